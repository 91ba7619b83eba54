#include "link/monitorrows.h"

#include "link/framedecoder.h"

#include <cstdio>

namespace {

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
        row[MonitorColumn::Meaning] +=
            " (повтор " + std::to_string(r.repeat) + "/" + std::to_string(r.repeatOf) + ")";
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

std::string Clean(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

} // namespace

const MonitorRow& MonitorHeader() {
    static const MonitorRow header = {"Время", "Направление", "Прибор", "Функция",
                                      "Смысл", "Длина",       "CRC",    "Байты"};
    return header;
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
        row[MonitorColumn::Time] += " +" + std::to_string((record.at - previous->at) / 1000);
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
