#pragma once
// Field-by-field comparison of model objects, to show that a refused load changed nothing.

#include "model/inputprogram.h"
#include "model/labelclipboard.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"

#include <cstring>

inline bool SameModel(const ModuleConfig& a, const ModuleConfig& b) {
    if (a.NewBusNumber != b.NewBusNumber || a.CurrentModule != b.CurrentModule ||
        a.ModuleCount != b.ModuleCount || a.BusNumber != b.BusNumber)
        return false;
    if (std::memcmp(a.Config, b.Config, sizeof a.Config) ||
        std::memcmp(a.ModuleType, b.ModuleType, sizeof a.ModuleType) ||
        std::memcmp(a.ModuleAddress, b.ModuleAddress, sizeof a.ModuleAddress) ||
        std::memcmp(a.Label, b.Label, sizeof a.Label) ||
        std::memcmp(a.LabelBlock, b.LabelBlock, sizeof a.LabelBlock))
        return false;
    for (int input = 0; input < 36; ++input)
        for (int p = 0; p < 11; ++p)
            if (a.InputId[input][p] != b.InputId[input][p])
                return false;
    return true;
}

inline bool SameModel(const InputProgram& a, const InputProgram& b) {
    return a.ModuleWriteLength == b.ModuleWriteLength &&
           !std::memcmp(a.Records, b.Records, sizeof a.Records) &&
           !std::memcmp(a.ModuleBuffer, b.ModuleBuffer, sizeof a.ModuleBuffer);
}

inline bool SameModel(const NetworkBlocks& a, const NetworkBlocks& b) {
    return !std::memcmp(a.Image, b.Image, sizeof a.Image) && a.WriteLength == b.WriteLength &&
           a.MenuBlock == b.MenuBlock;
}
