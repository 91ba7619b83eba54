#pragma once
// Reply and request frames for tests, built with a CRC of their own (table-driven, checked
// against published check values) so that the engine's CRC is not used to test itself.

#include <cstdint>
#include <vector>

namespace TestFrame {

using Bytes = std::vector<uint8_t>;

uint16_t Crc(const Bytes& bytes);
// The bytes followed by their CRC, low byte first.
Bytes WithCrc(Bytes bytes);
// A normal reply: address, function, byte count, data, CRC.
Bytes Normal(uint8_t address, uint8_t function, const Bytes& data);
// An exception reply: address, function + 0x80, code, CRC.
Bytes Exception(uint8_t address, uint8_t function, uint8_t code);
// The first n bytes of a frame.
Bytes Truncated(const Bytes& frame, int n);

} // namespace TestFrame
