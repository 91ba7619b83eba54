#include "link/linecounts.h"

#include "link/monitorrows.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kExceptionFlag = 0x80;

// Milliseconds with one decimal and a comma: "12,5".
std::string Ms(int64_t micros) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld,%lld", static_cast<long long>(micros / 1000),
                  static_cast<long long>(micros % 1000 / 100));
    return text;
}

const char* CheckText(ReplyCheck check) {
    switch (check) {
    case ReplyCheck::Good:
        return "верна";
    case ReplyCheck::BadCrc:
        return "ошибка CRC";
    case ReplyCheck::Short:
        return "неполный";
    case ReplyCheck::NotChecked:
        break;
    }
    return "не проверялся";
}

} // namespace

void LineCounts::OnRequest(int64_t at, const uint8_t* frame, int length, int, int) {
    current_ = length > 0 ? frame[0] : -1;
    sentAt_ = at;
    ++devices_[current_].requests;
}

void LineCounts::OnReply(int64_t at, const uint8_t* bytes, int length, ReplyCheck check) {
    if (current_ < 0)
        return;
    DeviceCounts& d = devices_[current_];
    if (check == ReplyCheck::Short) {
        ++d.timeouts;
    } else if (check == ReplyCheck::BadCrc) {
        ++d.crcErrors;
    } else if (check == ReplyCheck::Good) {
        ++d.answers;
        if (length > 1 && (bytes[1] & kExceptionFlag))
            ++d.exceptions;
        const int64_t took = std::max<int64_t>(0, at - sentAt_);
        d.minMicros = d.answers == 1 ? took : std::min(d.minMicros, took);
        d.maxMicros = std::max(d.maxMicros, took);
        d.sumMicros += took;
    }
    // One verdict per request: what comes after it (noise) is not counted again.
    current_ = -1;
}

void LineCounts::OnTimeout(int64_t, int64_t) {
    if (current_ >= 0)
        ++devices_[current_].timeouts;
    current_ = -1;
}

std::vector<std::string> LineCounts::Lines() const {
    std::vector<std::string> lines;
    for (const auto& [device, d] : devices_) {
        std::string line =
            (device == 0 ? std::string("Все приборы") : "Прибор " + std::to_string(device)) +
            ": запросов " + std::to_string(d.requests) + ", ответов " + std::to_string(d.answers) +
            ", тайм-аутов " + std::to_string(d.timeouts) + ", ошибок CRC " +
            std::to_string(d.crcErrors) + ", исключений " + std::to_string(d.exceptions);
        if (d.answers > 0)
            line += ", ответ мин/сред/макс " + Ms(d.minMicros) + "/" + Ms(d.sumMicros / d.answers) +
                    "/" + Ms(d.maxMicros) + " мс";
        lines.push_back(line);
    }
    return lines;
}

std::string FramesCsv(const FrameRecorder& recorder, const std::vector<int64_t>& serials) {
    std::string csv = "Дата;Время;От начала, мс;Прибор;Направление;Функция;Байты;Проверка;"
                      "Ответ через, мс\n";
    int64_t start = -1;
    int64_t requestAt = 0;
    for (int64_t serial : serials) {
        const FrameRecord* r = recorder.At(serial);
        if (!r || r->kind == FrameRecord::Kind::Result)
            continue;
        if (start < 0)
            start = r->at;
        const int64_t local = recorder.LocalMs(*r);
        char time[16];
        const int64_t day = recorder.TimeOfDayMs(*r);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d", int(day / 3600000),
                      int(day / 60000 % 60), int(day / 1000 % 60), int(day % 1000));
        std::string direction, bytes = HexBytes(r->bytes), check, response;
        switch (r->kind) {
        case FrameRecord::Kind::Request:
            direction = "запрос";
            requestAt = r->at;
            break;
        case FrameRecord::Kind::Reply:
            direction = "ответ";
            check = CheckText(r->check);
            response = Ms(r->at - requestAt);
            break;
        default:
            direction = "нет ответа";
            response = Ms(r->waited);
            break;
        }
        csv += DateText(local) + ";" + time + ";" + Ms(r->at - start) + ";" +
               std::to_string(r->device + 1) + ";" + direction + ";" + std::to_string(r->function) +
               ";" + bytes + ";" + check + ";" + response + "\n";
    }
    return csv;
}
