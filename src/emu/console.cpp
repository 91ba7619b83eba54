#include "emu/console.h"

#include "emu/options.h"

#include <cstdio>
#include <sstream>

namespace emu {

namespace {

bool ParseHex(const std::vector<std::string>& words, size_t first, std::vector<uint8_t>* bytes) {
    for (size_t i = first; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.empty() || w.size() > 2)
            return false;
        unsigned v = 0;
        for (char c : w) {
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0)
                return false;
            v = v * 16 + static_cast<unsigned>(d);
        }
        bytes->push_back(static_cast<uint8_t>(v));
    }
    return true;
}

std::string Join(const std::vector<std::string>& words, size_t first) {
    std::string text;
    for (size_t i = first; i < words.size(); ++i)
        text += (i > first ? " " : "") + words[i];
    return text;
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, " %02X", b);
        text += buf;
    }
    return text;
}

const char* const kHelp[] = {
    "dump                   память прибора строками шестнадцатеричных байтов",
    "fault none             снять все неисправности",
    "fault SPEC             только эта неисправность: KIND [VALUE] [from A] [to B] [fn F,F...]",
    "fault add SPEC         ещё одна неисправность (A и B могут быть +N: через N запросов)",
    "faults                 действующие неисправности",
    "busy N                 сколько опросов после каждой записи прибор занят",
    "busy-now N             сколько ближайших опросов прибор занят",
    "address N              номер прибора 1..31",
    "modules SPEC           модули SLOT:TYPE,... или none (программы очищаются)",
    "records BLOCK HEX x18  программа модуля, блок 1..6",
    "image HEX x82          сетевые блоки (блок 17)",
    "poke BLOCK BYTE HEX    один байт блока 1..6 (байт 0..17) или 17 (байт 1..81)",
    "stuck BLOCK BYTE HEX   то же, и байт не меняется при записи; stuck none снимает",
    "clock s,m,h,d,mo,y,wd  установить часы; freeze / thaw останавливают и пускают их",
    "seed N                 начало ряда случайных неисправностей",
    "pace on|off            байты в темпе настоящей линии (скорость, заданная порту)",
    "echo on|off            адаптер возвращает программе каждый байт запроса",
    "latency MS             ответ частями не чаще раза в MS мс (0: без USB-адаптера)",
    "turnaround MS          от конца запроса до начала ответа (-1: 2 мс в темпе линии)",
    "line                   действующие времена линии",
    "requests | log | clear-log   число принятых запросов, их журнал, очистка журнала",
    "device I               прибор для следующих команд (0 - первый из --address)",
    "quit                   завершить эмулятор",
};

} // namespace

std::vector<std::string> Console::Execute(const std::string& line) {
    std::vector<std::string> words;
    std::stringstream in(line);
    for (std::string w; in >> w;)
        words.push_back(w);
    std::vector<std::string> out;
    std::string error;
    if (words.empty())
        error = "пустая команда";
    else if (devices_.empty())
        error = "нет прибора";
    else if (Run(words, out, error))
        error.clear();
    else if (error.empty())
        error = "неизвестная команда '" + words[0] + "' (список: help)";
    out.push_back(error.empty() ? "ok" : "error: " + error);
    return out;
}

bool Console::Run(const Words& words, std::vector<std::string>& out, std::string& error) {
    const std::string& cmd = words[0];
    if (cmd == "quit") {
        quit_ = true;
    } else if (cmd == "help") {
        out.assign(std::begin(kHelp), std::end(kHelp));
    } else if (cmd == "dump" && words.size() == 1) {
        out = Current().Dump();
    } else if (cmd == "fault") {
        return SetFault(words, error);
    } else if (cmd == "faults") {
        for (const auto& f : Current().Faults())
            out.push_back(FaultToString(f));
    } else if (cmd == "requests") {
        out.push_back("requests " + std::to_string(Current().RequestCount()));
    } else if (cmd == "log") {
        for (const auto& r : Current().RequestLog())
            out.push_back(std::to_string(r.number) + " " + std::to_string(r.address) + " " +
                          std::to_string(r.function) + HexBytes(r.data));
    } else if (cmd == "clear-log") {
        Current().ClearRequestLog();
    } else if (cmd == "freeze" || cmd == "thaw") {
        Current().SetClockFrozen(cmd == "freeze");
    } else if (cmd == "pace" || cmd == "echo" || cmd == "latency" || cmd == "turnaround" ||
               cmd == "line") {
        return SetLine(words, out, error);
    } else if (cmd == "modules" || cmd == "records" || cmd == "image" || cmd == "clock") {
        return SetMemory(words, error);
    } else if (cmd == "poke" || cmd == "stuck") {
        return PokeByte(words, error);
    } else {
        return SetNumber(words, error);
    }
    return true;
}

bool Console::SetFault(const Words& words, std::string& error) {
    if (words.size() == 2 && words[1] == "none") {
        Current().ClearFaults();
        return true;
    }
    const bool add = words.size() > 1 && words[1] == "add";
    auto fault = ParseFault(Join(words, add ? 2 : 1), Current().RequestCount(), &error);
    if (!fault)
        return false;
    if (add)
        Current().AddFault(*fault);
    else
        Current().SetFaults({*fault});
    return true;
}

bool Console::SetMemory(const Words& words, std::string& error) {
    const std::string& cmd = words[0];
    if (cmd == "modules" || cmd == "clock") {
        if (words.size() != 2) {
            error = cmd + ": нужен один аргумент";
            return false;
        }
        if (cmd == "clock") {
            ClockValues c{};
            if (!ParseClock(words[1], &c, &error))
                return false;
            Current().SetClock(c);
            return true;
        }
        std::vector<ModuleSlot> modules;
        return ParseModules(words[1], &modules, &error) && Current().SetModules(modules);
    }
    const size_t first = cmd == "records" ? 2 : 1;
    long long block = 0;
    std::vector<uint8_t> bytes;
    if (cmd == "records" && (words.size() < 2 || !ParseNumber(words[1], 1, 6, &block))) {
        error = "records: нужен номер блока 1..6";
        return false;
    }
    const size_t want = cmd == "records" ? Device::kRecordSize : Device::kImageSize;
    if (!ParseHex(words, first, &bytes) || bytes.size() != want) {
        error = cmd + ": нужно " + std::to_string(want) + " шестнадцатеричных байтов";
        return false;
    }
    if (cmd == "records") {
        Device::Records r{};
        std::copy(bytes.begin(), bytes.end(), r.begin());
        Current().SetModuleRecords(static_cast<int>(block), r);
    } else {
        Device::Image image{};
        std::copy(bytes.begin(), bytes.end(), image.begin());
        Current().SetImage(image);
    }
    return true;
}

bool Console::SetLine(const Words& words, std::vector<std::string>& out, std::string& error) {
    const std::string& cmd = words[0];
    if (!line_) {
        error = "линия не открыта";
        return false;
    }
    Pacing pacing = line_->GetPacing();
    long long v = 0;
    const bool onOff = cmd == "pace" || cmd == "echo";
    if (onOff && words.size() == 2 && (words[1] == "on" || words[1] == "off")) {
        if (cmd == "echo" && !line_->CanEcho()) {
            error = "echo: эхо адаптера бывает только на псевдотерминале";
            return false;
        }
        (cmd == "pace" ? pacing.pace : pacing.echo) = words[1] == "on";
    } else if (!onOff && cmd != "line" && words.size() == 2 &&
               ParseNumber(words[1], cmd == "latency" ? 0 : -1, Pacing::kMaxMs, &v)) {
        (cmd == "latency" ? pacing.latencyMs : pacing.turnaroundMs) = static_cast<int>(v);
    } else if (cmd != "line" || words.size() != 1) {
        error = onOff ? cmd + ": нужно on или off"
                : cmd == "line"
                    ? "line: аргументы не принимаются"
                    : cmd + ": нужно время до " + std::to_string(Pacing::kMaxMs) + " мс";
        return false;
    }
    line_->SetPacing(pacing);
    out.push_back(std::string("pace ") + (pacing.pace ? "on" : "off") + " latency " +
                  std::to_string(pacing.latencyMs) + " turnaround " +
                  std::to_string(pacing.Turnaround()) + (pacing.echo ? " echo on" : ""));
    return true;
}

bool Console::PokeByte(const Words& words, std::string& error) {
    const bool stuck = words[0] == "stuck";
    if (stuck && words.size() == 2 && words[1] == "none") {
        Current().ClearStuckBytes();
        return true;
    }
    long long block = 0;
    long long offset = 0;
    std::vector<uint8_t> value;
    if (words.size() != 4 || !ParseNumber(words[1], 1, Device::kImageBlock, &block) ||
        !ParseNumber(words[2], 0, Device::kImageSize - 1, &offset) || !ParseHex(words, 3, &value) ||
        !Current().PokeByte(int(block), int(offset), value.front(), stuck)) {
        error = words[0] +
                ": нужны блок 1..6 с байтом 0..17 или 17 с байтом 1..81 и шестнадцатеричное "
                "значение";
        return false;
    }
    return true;
}

bool Console::SetNumber(const Words& words, std::string& error) {
    const std::string& cmd = words[0];
    long long v = 0;
    const bool known =
        cmd == "busy" || cmd == "busy-now" || cmd == "address" || cmd == "seed" || cmd == "device";
    if (!known)
        return false;
    const long long hi = cmd == "address"  ? 31
                         : cmd == "device" ? long(devices_.size()) - 1
                                           : (1LL << 62);
    const long long lo = cmd == "address" ? 1 : 0;
    if (words.size() != 2 || !ParseNumber(words[1], lo, hi, &v)) {
        error = cmd + ": нужно число от " + std::to_string(lo) + " до " + std::to_string(hi);
        return false;
    }
    if (cmd == "busy")
        Current().SetBusyAfterWrite(v > 1000000000 ? 1000000000 : static_cast<int>(v));
    else if (cmd == "busy-now")
        Current().SetBusyCount(v > 1000000000 ? 1000000000 : static_cast<int>(v));
    else if (cmd == "address")
        Current().SetAddress(static_cast<int>(v));
    else if (cmd == "seed")
        Current().SeedFaults(static_cast<uint64_t>(v));
    else
        current_ = static_cast<size_t>(v);
    return true;
}

} // namespace emu
