#include "link/monitorrows.h"

#include "link/framedecoder.h"

#include <cstdio>

namespace {

std::string Clean(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::string TimeText(int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3'600'000),
                  static_cast<int>(ms / 60'000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    return text;
}

std::string Hex2(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value & 0xFF));
    return text;
}

std::string DeviceText(const FrameRecord& r) {
    const std::string number = std::to_string(r.device + 1);
    if (r.bytes.empty())
        return number;
    // A broadcast is for every device, whichever was selected.
    if (r.bytes[0] == 0)
        return "все (00)";
    return number + " (" + Hex2(r.bytes[0]) + ")";
}

std::string FunctionText(int function) {
    if (function < 0)
        return {};
    return std::to_string(function & 0x7F) + " " + FunctionName(function);
}

const std::vector<uint8_t>& RequestOf(const FrameRecorder& recorder, const FrameRecord& r) {
    static const std::vector<uint8_t> none;
    const FrameRecord* request = recorder.At(r.request);
    return request ? request->bytes : none;
}

void FillFrame(const FrameRecorder& recorder, const FrameRecord& r, MonitorRow& row) {
    const bool isRequest = r.kind == FrameRecord::Kind::Request;
    const DecodedFrame d =
        DecodeFrame(r.bytes, isRequest ? FrameDirection::Request : FrameDirection::Reply,
                    isRequest ? std::vector<uint8_t>{} : RequestOf(recorder, r));
    row[MonitorColumn::Direction] = isRequest ? "→" : "←";
    row[MonitorColumn::Function] = FunctionText(d.function);
    row[MonitorColumn::Meaning] = d.meaning;
    if (r.repeat > 0)
        row[MonitorColumn::Meaning] += " (повтор " + std::to_string(r.repeat) + ")";
    row[MonitorColumn::Length] = std::to_string(r.bytes.size());
    row[MonitorColumn::Crc] = CrcText(d.crc);
    row[MonitorColumn::Bytes] = HexBytes(r.bytes);
}

void FillTimeout(const FrameRecorder& recorder, const FrameRecord& r, MonitorRow& row) {
    row[MonitorColumn::Direction] = "нет ответа, " + std::to_string(r.waited / 1000) + " мс";
    row[MonitorColumn::Function] = FunctionText(r.function);
    const std::vector<uint8_t>& request = RequestOf(recorder, r);
    if (!request.empty())
        row[MonitorColumn::Meaning] =
            "ответа нет: " + DecodeFrame(request, FrameDirection::Request).meaning;
}

void FillResult(const FrameRecord& r, MonitorRow& row) {
    row[MonitorColumn::Direction] = "итог";
    row[MonitorColumn::Function] = FunctionText(r.function);
    row[MonitorColumn::Meaning] =
        "код " + std::to_string(r.code) + ": " + (r.code == 0 ? "выполнено" : r.message);
}

} // namespace

const MonitorRow& MonitorHeader() {
    static const MonitorRow header = {"Время", "Δt, мс", "Направление", "Прибор", "Функция",
                                      "Смысл", "Длина",  "CRC",         "Байты"};
    return header;
}

RowTrouble TroubleOf(const FrameRecorder& recorder, const FrameRecord& r) {
    switch (r.kind) {
    case FrameRecord::Kind::Request:
        return RowTrouble::None;
    case FrameRecord::Kind::Timeout:
        return RowTrouble::NoAnswer;
    case FrameRecord::Kind::Result:
        return r.code == 0 ? RowTrouble::None : RowTrouble::Failed;
    case FrameRecord::Kind::Reply:
        break;
    }
    if (r.check == ReplyCheck::BadCrc || r.check == ReplyCheck::Short || r.bytes.size() < 2)
        return RowTrouble::Damaged;
    const std::vector<uint8_t>& request = RequestOf(recorder, r);
    const int asked = request.size() >= 2 ? request[1] : (r.bytes[1] & 0x7F);
    if (r.bytes[1] == (asked | 0x80))
        return RowTrouble::Exception;
    return r.bytes[1] == asked ? RowTrouble::None : RowTrouble::Foreign;
}

std::string DateText(int64_t localMs) {
    // Days since 1970-01-01 to a civil date (the proleptic Gregorian calendar).
    const int64_t days = (localMs >= 0 ? localMs : localMs - 86'399'999) / 86'400'000;
    const int64_t z = days + 719'468;
    const int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
    const int64_t doe = z - era * 146'097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04lld", day, month, static_cast<long long>(year));
    return text;
}

std::string JournalText(const FrameRecorder& recorder, const std::vector<int64_t>& serials,
                        const std::vector<std::string>& heading) {
    std::string text;
    for (const std::string& line : heading)
        text += Clean(line) + '\n';
    std::vector<MonitorRow> rows{MonitorHeader()};
    std::vector<std::string> dates{"Дата"};
    const FrameRecord* previous = nullptr;
    for (int64_t serial : serials) {
        const FrameRecord* record = recorder.At(serial);
        if (!record)
            continue;
        rows.push_back(FormatRecord(recorder, *record, previous));
        dates.push_back(DateText(recorder.LocalMs(*record)));
        previous = record;
    }
    const std::string table = TabSeparated(rows);
    size_t line = 0;
    for (size_t start = 0; start < table.size(); ++line) {
        const size_t end = table.find('\n', start);
        text += dates[line] + '\t' + table.substr(start, end + 1 - start);
        start = end + 1;
    }
    return text;
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += Hex2(b);
    }
    return text;
}

MonitorRow FormatRecord(const FrameRecorder& recorder, const FrameRecord& record,
                        const FrameRecord* previous) {
    MonitorRow row;
    row[MonitorColumn::Time] = TimeText(recorder.TimeOfDayMs(record));
    if (previous)
        row[MonitorColumn::Delta] = "+" + std::to_string((record.at - previous->at) / 1000);
    row[MonitorColumn::Device] = DeviceText(record);
    switch (record.kind) {
    case FrameRecord::Kind::Request:
    case FrameRecord::Kind::Reply:
        FillFrame(recorder, record, row);
        break;
    case FrameRecord::Kind::Timeout:
        FillTimeout(recorder, record, row);
        break;
    case FrameRecord::Kind::Result:
        FillResult(record, row);
        break;
    }
    return row;
}

std::string TabSeparated(const std::vector<MonitorRow>& rows) {
    std::string text;
    for (const MonitorRow& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            if (c)
                text += '\t';
            text += Clean(row[c]);
        }
        text += '\n';
    }
    return text;
}
