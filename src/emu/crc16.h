#pragma once
// Modbus CRC-16 as the device computes it: low byte first on the wire.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace emu {

// Initial value 0xFFFF, reflected polynomial 0xA001, no final exclusive-or.
uint16_t Crc16(const uint8_t* bytes, size_t count);

// Appends the CRC of everything already in the frame, low byte first.
void AppendCrc(std::vector<uint8_t>& frame);

// True when the last two bytes are the CRC of the bytes before them (at least 4 bytes in all).
bool CrcChecks(const uint8_t* bytes, size_t count);

} // namespace emu
