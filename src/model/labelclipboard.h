#pragma once
// The inputs table's clipboard for groups of labels. Plain data: the table reads and writes the
// fields directly.

#include <cstdint>

class LabelClipboard {
public:
    uint8_t Labels[36][15] = {}; // 14 label bytes per input; the 15th carries nothing
    int FirstInput = 0;
    int LastInput = 0;
    bool Holds = false; // a group was copied
};
