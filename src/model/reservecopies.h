#pragma once
// Reserve copies of what was last exchanged with the device or loaded from a file, used to
// discard edits, and the inputs table's clipboard for groups of labels. Plain data: the owning
// windows read and write the fields directly.

#include <cstdint>
#include <string>

class ReserveCopies {
public:
    uint8_t NetworkCopy[82] = {};
    uint8_t RecordsCopy[108] = {};
    std::string InputIdsCopy[36][11];
};

class LabelClipboard {
public:
    uint8_t Labels[36][15] = {}; // 14 label bytes per input; the 15th carries nothing
    int FirstInput = 0;
    int LastInput = 0;
    bool Holds = false; // a group was copied
};
