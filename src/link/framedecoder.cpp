#include "link/framedecoder.h"

#include "link/rtuframe.h"
#include "model/moduleconfig.h"

#include <cstdio>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kBusAddressBlock = 99;
constexpr int kNetworkBlock = 17;
constexpr int kClockRegister = 1000;
constexpr int kClockRegisters = 7;

std::string Two(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// Seconds, minutes, hour, day, month, year as the clock window shows them.
std::string ClockText(int s, int m, int h, int day, int month, int year) {
    return ClockTimeText(h, m, s) + " " + ClockDateText(day, month, year);
}

// "3 (модуль 3)": what a block number stands for.
std::string BlockLabel(int block) {
    const std::string n = std::to_string(block);
    if (block >= 1 && block <= 6)
        return n + " (модуль " + n + ")";
    if (block == kNetworkBlock)
        return n + " (сетевые блоки)";
    if (block == kBusAddressBlock)
        return n + " (номер прибора)";
    return n + " (неизвестный блок)";
}

std::string ExceptionText(int code) {
    const std::string n = "исключение " + std::to_string(code);
    switch (code) {
    case 1:
        return "недопустимая функция (" + n + ")";
    case 2:
        return "недопустимый адрес (" + n + ")";
    case 3:
        return "недопустимое значение (" + n + ")";
    case 6:
        return "занят (" + n + ")";
    case 7:
        return "отказ (" + n + ")";
    default:
        return n;
    }
}

// The data bytes of a request: between the function code and the CRC.
Bytes RequestData(const Bytes& f) {
    return Bytes(f.begin() + 2, f.end() - RtuFrame::CrcLength);
}

std::string RequestMeaning(const Bytes& f) {
    const int function = f[1];
    const Bytes d = RequestData(f);
    const int n = static_cast<int>(d.size());
    switch (function) {
    case 17:
        return n == 0 ? "чтение конфигурации" : "чтение конфигурации, " + ByteCount(n) + " данных";
    case 68:
        return n == 0 ? "чтение блока без номера" : "чтение блока " + BlockLabel(d[0]);
    case 69:
        if (n == 0)
            return "запись блока без номера";
        if (d[0] == kBusAddressBlock && n == 2)
            return "смена номера " + std::to_string(f[0]) + " → " + std::to_string(d[1] + 1);
        return "запись блока " + BlockLabel(d[0]) + ", " + ByteCount(n);
    case 14:
        return "опрос записи";
    case 4: {
        if (n != 4)
            return "чтение входных регистров, " + ByteCount(n) + " данных";
        const int start = d[0] << 8 | d[1];
        const int count = d[2] << 8 | d[3];
        if (start == kClockRegister && count == kClockRegisters)
            return "чтение времени прибора";
        return "чтение входных регистров " + std::to_string(start) + ", " + std::to_string(count) +
               " шт.";
    }
    case 70:
        if (n != 7)
            return "установка времени, " + ByteCount(n) + " данных";
        return std::string(f[0] == 0 ? "широковещательная установка времени "
                                     : "установка времени ") +
               ClockText(d[0], d[1], d[2], d[3], d[4], d[5]);
    default:
        if (!RtuFrame::IsAllowedFunction(function))
            return "неизвестная функция " + std::to_string(function);
        return FunctionName(function) + (n ? ", " + ByteCount(n) + " данных" : "");
    }
}

// A whole normal reply (at least the header) to the given function.
std::string ReplyContent(const Bytes& f, int function, const Bytes& request) {
    const int count = f[2];
    const uint8_t* d = f.data() + RtuFrame::HeaderLength;
    const int have = static_cast<int>(f.size()) - RtuFrame::HeaderLength - RtuFrame::CrcLength;
    const int block = request.size() >= 5 ? request[2] : (have > 0 ? d[0] : 0);
    switch (function) {
    case 17: {
        if (count < 17 || have < 17)
            return "конфигурация: " + ByteCount(count) + " вместо 17";
        std::string text = "конфигурация: модулей " + std::to_string(d[0]);
        const char* sep = " —";
        for (int slot = 0; slot < 16; ++slot) {
            const int code = d[1 + slot];
            if (code == 0)
                continue;
            text += sep + std::string(" ") + ModuleConfig::ModuleCodeName(code) + " (адрес " +
                    std::to_string(slot) + ")";
            sep = ",";
        }
        return text;
    }
    case 68:
        return "блок " + BlockLabel(block) + ", " + ByteCount(count);
    case 69:
        return block == kBusAddressBlock ? "смена номера принята"
                                         : "запись блока " + std::to_string(block) + " принята";
    case 14:
        return "опрос записи: блок сохранён";
    case 4:
        if (count == 2 * kClockRegisters && have >= count)
            return "время прибора " + ClockText(d[1], d[3], d[5], d[7], d[9], d[11]);
        return "входные регистры, " + ByteCount(count);
    default:
        return FunctionName(function) + ", " + ByteCount(count);
    }
}

DecodedFrame DecodeRequest(const Bytes& f) {
    DecodedFrame out;
    if (f.size() < 4) {
        out.meaning = "обрывок запроса: " + ByteCount(static_cast<int>(f.size()));
        return out;
    }
    out.crc = RtuFrame::CrcMatches(f.data(), static_cast<int>(f.size())) ? CrcVerdict::Good
                                                                         : CrcVerdict::Bad;
    out.meaning = RequestMeaning(f);
    return out;
}

DecodedFrame DecodeReply(const Bytes& f, const Bytes& request) {
    DecodedFrame out;
    const int size = static_cast<int>(f.size());
    const bool known = request.size() >= 4;
    const int asked = known ? request[1] : (f[1] & 0x7F);
    const std::string what = known ? RequestMeaning(request) : FunctionName(asked);
    if (size < RtuFrame::HeaderLength) {
        out.meaning = "обрывок ответа: " + ByteCount(size);
        return out;
    }
    if (f[1] == (asked | RtuFrame::ExceptionFlag)) {
        // The engine stops after these three bytes; a whole one still has its CRC checked.
        if (size >= 5)
            out.crc = RtuFrame::CrcMatches(f.data(), 5) ? CrcVerdict::Good : CrcVerdict::Bad;
        out.meaning = what + ": " + ExceptionText(f[2]);
        return out;
    }
    if (f[1] != asked) {
        out.meaning =
            "чужой ответ: функция " + std::to_string(f[1]) + " вместо " + std::to_string(asked);
        return out;
    }
    const int expected =
        RtuFrame::ExpectedReplyLength(asked, known ? static_cast<int>(request.size()) : 4, f[2]);
    if (size < expected) {
        out.meaning =
            "обрывок ответа: " + std::to_string(size) + " из " + std::to_string(expected) + " байт";
        return out;
    }
    out.crc = RtuFrame::CrcMatches(f.data(), size) ? CrcVerdict::Good : CrcVerdict::Bad;
    out.meaning = ReplyContent(f, asked, known ? request : Bytes{});
    return out;
}

} // namespace

std::string ByteCount(int n) {
    const int last = n % 10;
    const int lastTwo = n % 100;
    const bool few = last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14);
    return std::to_string(n) + (few ? " байта" : " байт");
}

std::string FunctionName(int function) {
    if (function & RtuFrame::ExceptionFlag)
        return FunctionName(function & 0x7F) + ", исключение";
    switch (function) {
    case 1:
        return "чтение выходов";
    case 2:
        return "чтение входов";
    case 3:
        return "чтение регистров";
    case 4:
        return "чтение входных регистров";
    case 5:
        return "запись выхода";
    case 6:
        return "запись регистра";
    case 14:
        return "опрос записи";
    case 15:
        return "запись выходов";
    case 17:
        return "конфигурация";
    case 68:
        return "чтение блока";
    case 69:
        return "запись блока";
    case 70:
        return "установка времени";
    default:
        return RtuFrame::IsAllowedFunction(function) ? "функция прибора" : "неизвестная функция";
    }
}

const char* CrcText(CrcVerdict verdict) {
    switch (verdict) {
    case CrcVerdict::Good:
        return "верна";
    case CrcVerdict::Bad:
        return "неверна";
    default:
        return "нет";
    }
}

DecodedFrame DecodeFrame(const std::vector<uint8_t>& frame, FrameDirection direction,
                         const std::vector<uint8_t>& request) {
    DecodedFrame out;
    if (frame.empty()) {
        out.meaning = "пустой кадр";
        return out;
    }
    if (frame.size() >= 2) {
        out = direction == FrameDirection::Request ? DecodeRequest(frame)
                                                   : DecodeReply(frame, request);
        out.function = frame[1];
        out.functionName = FunctionName(frame[1]);
    } else {
        out.meaning = direction == FrameDirection::Request ? "обрывок запроса: 1 байт"
                                                           : "обрывок ответа: 1 байт";
    }
    out.address = frame[0];
    return out;
}

std::string ClockTimeText(int hour, int minutes, int seconds) {
    return Two(hour) + ":" + Two(minutes) + ":" + Two(seconds);
}

std::string ClockDateText(int day, int month, int year) {
    return Two(day) + "." + Two(month) + "." + Two(year);
}
