#include "link/rtuframe.h"

#include <algorithm>
#include <array>

namespace RtuFrame {

namespace {

// The CRC of every byte value, worked out once: a byte then costs one look-up instead of eight
// shifts, which was half of the engine's own work on a short transaction.
constexpr std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        uint16_t crc = static_cast<uint16_t>(value);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<uint16_t>(crc >> 1);
        table[value] = crc;
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

} // namespace

uint16_t Crc16(int count, const uint8_t* bytes) {
    uint16_t crc = 0xFFFF;
    for (int i = 0; i < count; ++i)
        crc = static_cast<uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ bytes[i]) & 0xFF]);
    return crc;
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
