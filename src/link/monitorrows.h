#pragma once
// The bus monitor's rows as text: one function makes the columns of a record, the same for the
// table, the clipboard and the saved file.

#include "link/framerecorder.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace MonitorColumn {
enum {
    Time,      // hh:mm:ss.mmm and milliseconds since the previous row
    Direction, // →, ←, "нет ответа" with the time waited, "итог"
    Device,    // device number and the frame's address byte
    Function,  // number and name
    Meaning,   // in the device's terms; repeats and results too
    Length,
    Crc,
    Bytes, // hex
    Count
};
}

using MonitorRow = std::array<std::string, MonitorColumn::Count>;

// The column captions.
const MonitorRow& MonitorHeader();

// The row of a record; previous is the record of the row above (nullptr for the first row).
MonitorRow FormatRecord(const FrameRecorder& recorder, const FrameRecord& record,
                        const FrameRecord* previous);

// "01 11 C0 2C".
std::string HexBytes(const std::vector<uint8_t>& bytes);

// Rows joined as tab-separated lines (each ending in a line feed); tabs and line breaks
// inside a text become blanks.
std::string TabSeparated(const std::vector<MonitorRow>& rows);
