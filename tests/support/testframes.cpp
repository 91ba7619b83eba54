#include "support/testframes.h"

#include <array>

namespace TestFrame {

namespace {

std::array<uint16_t, 256> MakeTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t value = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            value = static_cast<uint16_t>((value >> 1) ^ ((value & 1) ? 0xA001 : 0));
        table[i] = value;
    }
    return table;
}

} // namespace

uint16_t Crc(const Bytes& bytes) {
    static const std::array<uint16_t, 256> table = MakeTable();
    uint16_t crc = 0xFFFF;
    for (uint8_t b : bytes)
        crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ b) & 0xFF]);
    return crc;
}

Bytes WithCrc(Bytes bytes) {
    const uint16_t crc = Crc(bytes);
    bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<uint8_t>(crc >> 8));
    return bytes;
}

Bytes Normal(uint8_t address, uint8_t function, const Bytes& data) {
    Bytes frame{address, function, static_cast<uint8_t>(data.size())};
    frame.insert(frame.end(), data.begin(), data.end());
    return WithCrc(frame);
}

Bytes Exception(uint8_t address, uint8_t function, uint8_t code) {
    return WithCrc({address, static_cast<uint8_t>(function | 0x80), code});
}

Bytes Truncated(const Bytes& frame, int n) {
    if (n >= static_cast<int>(frame.size()))
        return frame;
    return Bytes(frame.begin(), frame.begin() + (n < 0 ? 0 : n));
}

} // namespace TestFrame
