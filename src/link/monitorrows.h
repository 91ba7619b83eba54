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
    Time,      // hh:mm:ss.mmm
    Delta,     // milliseconds since the previous row
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

// What went wrong in a record, for the monitor's colours and its "errors only" filter.
enum class RowTrouble {
    None,
    NoAnswer,  // a time-out
    Damaged,   // a reply with a wrong CRC or cut short
    Exception, // the device's exception reply
    Foreign,   // a reply to another function, or noise
    Failed,    // a transaction's result other than success
};
RowTrouble TroubleOf(const FrameRecorder& recorder, const FrameRecord& record);

// The row of a record; previous is the record of the row above (nullptr for the first row).
MonitorRow FormatRecord(const FrameRecorder& recorder, const FrameRecord& record,
                        const FrameRecord* previous);

// "01 11 C0 2C".
std::string HexBytes(const std::vector<uint8_t>& bytes);

// "07.12.2026" of local milliseconds since 1970-01-01.
std::string DateText(int64_t localMs);

// The saved journal: the given heading lines, then a header and one line per record with its
// date in a column of its own, tab-separated.
std::string JournalText(const FrameRecorder& recorder, const std::vector<int64_t>& serials,
                        const std::vector<std::string>& heading);

// Rows joined as tab-separated lines (each ending in a line feed); tabs and line breaks
// inside a text become blanks.
std::string TabSeparated(const std::vector<MonitorRow>& rows);
