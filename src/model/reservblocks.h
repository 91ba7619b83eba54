#pragma once
// Reserve copies of what was last exchanged with the device or loaded from a file, used to
// discard edits, and the inputs table's clipboard for groups of labels. Plain data: the owning
// windows read and write the fields directly.

#include <cstdint>
#include <string>

class TReservBlocksClass {
public:
    uint8_t ReservF15[82] = {};
    uint8_t ReservRecVh[108] = {};
    std::string ReservIdVh[36][11];
};

class TCopyBlocksClass {
public:
    uint8_t CopyText[36][15] = {}; // 14 label bytes per input; the 15th carries nothing
    int FirstCopy = 0;
    int LastCopy = 0;
};
