#include "link/rtuframe.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace RtuFrame {

namespace {

// The CRC of every byte value, worked out once: a byte then costs one look-up instead of eight
// shifts, which was half of the engine's own work on a short transaction. The second table
// carries a value on over a further byte (the CRC is linear), so that two bytes cost two
// look-ups and one step of the loop.
// Words of 32 bits spare the loop a widening at every step.
using CrcTable = std::array<uint32_t, 256>;

constexpr CrcTable MakeCrcTable() {
    CrcTable table{};
    for (unsigned value = 0; value < 256; ++value) {
        uint16_t crc = static_cast<uint16_t>(value);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<uint16_t>(crc >> 1);
        table[value] = crc;
    }
    return table;
}

constexpr CrcTable kCrcTable = MakeCrcTable();

constexpr CrcTable MakePairTable() {
    CrcTable table{};
    for (unsigned value = 0; value < 256; ++value)
        table[value] = (kCrcTable[value] >> 8) ^ kCrcTable[kCrcTable[value] & 0xFF];
    return table;
}

constexpr CrcTable kPairTable = MakePairTable();

// Two bytes, the first in the low half: one load where the machine stores them so.
uint32_t Pair(const uint8_t* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        uint16_t pair;
        std::memcpy(&pair, bytes, sizeof pair);
        return pair;
    } else {
        return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8;
    }
}

} // namespace

uint16_t Crc16(int count, const uint8_t* bytes) {
    uint32_t crc = 0xFFFF;
    int i = 0;
    for (; i + 1 < count; i += 2) {
        crc ^= Pair(bytes + i);
        crc = kPairTable[crc & 0xFF] ^ kCrcTable[crc >> 8];
    }
    if (i < count)
        crc = (crc >> 8) ^ kCrcTable[(crc ^ bytes[i]) & 0xFF];
    return static_cast<uint16_t>(crc);
}

bool IsAllowedFunction(int function) {
    return std::find(AllowedFunctionTable.begin(), AllowedFunctionTable.end(), function) !=
           AllowedFunctionTable.end();
}

int ExpectedReplyLength(int function, int frameLength, int byteCount) {
    if (function == 5 || function == 14)
        return frameLength;
    if (function == 15)
        return 8;
    return byteCount + HeaderLength + CrcLength;
}

bool CrcMatches(const uint8_t* frame, int length) {
    if (length < CrcLength + 1)
        return false;
    const uint16_t crc = Crc16(length - CrcLength, frame);
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

} // namespace RtuFrame
