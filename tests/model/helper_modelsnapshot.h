#pragma once
// Field-by-field comparison of model objects, to show that a refused load changed nothing.

#include "model/progf15class.h"
#include "model/proglumclass.h"
#include "model/reservblocks.h"
#include "model/servclass.h"

#include <cstring>

inline bool SameModel(const TServClass& a, const TServClass& b) {
    if (a.NumUstrZ != b.NumUstrZ || a.NMod != b.NMod || a.KolMod != b.KolMod ||
        a.NumUstr != b.NumUstr || a.FlagText != b.FlagText || a.FlagFile != b.FlagFile ||
        a.FlagChange != b.FlagChange || a.FlagOpenCur != b.FlagOpenCur)
        return false;
    if (std::memcmp(a.Config, b.Config, sizeof a.Config) ||
        std::memcmp(a.TipMod, b.TipMod, sizeof a.TipMod) ||
        std::memcmp(a.AdrMod, b.AdrMod, sizeof a.AdrMod) ||
        std::memcmp(a.TextVh, b.TextVh, sizeof a.TextVh) ||
        std::memcmp(a.TextBlock, b.TextBlock, sizeof a.TextBlock))
        return false;
    for (int vh = 0; vh < 36; ++vh)
        for (int p = 0; p < 11; ++p)
            if (a.IdVh[vh][p] != b.IdVh[vh][p])
                return false;
    return true;
}

inline bool SameModel(const TProgLumClass& a, const TProgLumClass& b) {
    return a.LenMod == b.LenMod && !std::memcmp(a.RecVh, b.RecVh, sizeof a.RecVh) &&
           !std::memcmp(a.RecMod, b.RecMod, sizeof a.RecMod) && a.FlagScheme == b.FlagScheme &&
           a.Dostup == b.Dostup;
}

inline bool SameModel(const TProgF15Class& a, const TProgF15Class& b) {
    return !std::memcmp(a.BufF15, b.BufF15, sizeof a.BufF15) && a.LenF15 == b.LenF15 &&
           a.FlagNoChange == b.FlagNoChange && a.NBlDel == b.NBlDel;
}

inline bool SameModel(const TReservBlocksClass& a, const TReservBlocksClass& b) {
    if (std::memcmp(a.ReservF15, b.ReservF15, sizeof a.ReservF15) ||
        std::memcmp(a.ReservRecVh, b.ReservRecVh, sizeof a.ReservRecVh))
        return false;
    for (int vh = 0; vh < 36; ++vh)
        for (int p = 0; p < 11; ++p)
            if (a.ReservIdVh[vh][p] != b.ReservIdVh[vh][p])
                return false;
    return true;
}
