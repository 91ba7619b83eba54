#include "emu/crc16.h"

namespace emu {

uint16_t Crc16(const uint8_t* bytes, size_t count) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            if (crc & 1u)
                crc = static_cast<uint16_t>((crc >> 1) ^ 0xA001u);
            else
                crc = static_cast<uint16_t>(crc >> 1);
        }
    }
    return crc;
}

void AppendCrc(std::vector<uint8_t>& frame) {
    const uint16_t crc = Crc16(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
}

bool CrcChecks(const uint8_t* bytes, size_t count) {
    if (count < 4)
        return false;
    const uint16_t crc = Crc16(bytes, count - 2);
    return bytes[count - 2] == (crc & 0xFF) && bytes[count - 1] == (crc >> 8);
}

} // namespace emu
