#pragma once
// One frame of the line in the device's own terms: which function, what it asks or answers
// ("чтение блока 3 (модуль 3)", "время прибора 12:30:05 07.12.26"), and whether its CRC holds.
// A plain function without I/O or Qt, so that the bus monitor shows exactly what is tested.

#include <cstdint>
#include <string>
#include <vector>

enum class FrameDirection { Request, Reply };

enum class CrcVerdict {
    Good,
    Bad,
    Missing // the frame stops before its CRC (a short reply, an exception header as read)
};

struct DecodedFrame {
    int address = -1;  // the address byte, -1 for an empty frame
    int function = -1; // the function code as sent (an exception keeps its 0x80 bit), or -1
    std::string functionName;
    std::string meaning;
    CrcVerdict crc = CrcVerdict::Missing;
};

// request: for a reply, the request it answers (empty when unknown); ignored for requests.
DecodedFrame DecodeFrame(const std::vector<uint8_t>& frame, FrameDirection direction,
                         const std::vector<uint8_t>& request = {});

// "верна", "неверна" or "нет".
const char* CrcText(CrcVerdict verdict);

// The name of a function code the engine knows ("чтение блока"), "исключение" names for the
// exception form, "неизвестная функция" for the rest.
std::string FunctionName(int function);

// "1 байт", "2 байта", "82 байта", "19 байт".
std::string ByteCount(int n);

// A device clock's "hh:mm:ss" and "dd.mm.yy", as the clock window shows them.
std::string ClockTimeText(int hour, int minutes, int seconds);
std::string ClockDateText(int day, int month, int year);
