#pragma once
// The framing rules of the device protocol as plain functions: no I/O here, so that the engine,
// the emulator and the tests share one reading of them.

#include <array>
#include <cstdint>

namespace RtuFrame {

constexpr int HeaderLength = 3; // address, function code, byte count
constexpr int CrcLength = 2;
constexpr int ExceptionFlag = 0x80;

// The Modbus CRC-16 (0xFFFF, reflected 0xA001, no final xor); the low byte goes first.
uint16_t Crc16(int count, const uint8_t* bytes);

// The codes the engine accepts, in the order of the device's function table.
inline constexpr std::array<int, 17> AllowedFunctionTable = {1,  2,  3,  4,  5,  6,  14, 15, 17,
                                                             18, 66, 67, 68, 69, 70, 71, 100};

// Whether the engine lets this function code onto the line.
bool IsAllowedFunction(int function);

// The reply length the engine waits for once the header is in: an echo as long as the request
// for 5 and 14, eight bytes for 15, otherwise the byte count plus address, function, count, CRC.
int ExpectedReplyLength(int function, int frameLength, int byteCount);

// Whether the last two bytes of the first length bytes are the CRC of those before them.
bool CrcMatches(const uint8_t* frame, int length);

} // namespace RtuFrame
