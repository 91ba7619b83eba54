#include "link/rtuframe.h"

#include <algorithm>

namespace RtuFrame {

uint16_t Crc16(int count, const uint8_t* bytes) {
    uint16_t crc = 0xFFFF;
    for (int i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<uint16_t>(crc >> 1);
    }
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
