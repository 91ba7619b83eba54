#include "emu/options.h"

#include <charconv>
#include <ctime>
#include <sstream>

namespace emu {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, separator);)
        items.push_back(item);
    if (!text.empty() && text.back() == separator)
        items.push_back({});
    return items;
}

bool Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

bool ParseAddresses(const std::string& text, std::vector<int>* out, std::string* error) {
    std::vector<int> list;
    for (const auto& item : Split(text, ',')) {
        long long v = 0;
        if (!ParseNumber(item, 1, 31, &v))
            return Fail(error, "--address: a bus number is 1..31, not '" + item + "'");
        for (int a : list)
            if (a == v)
                return Fail(error, "--address: " + item + " is given twice");
        list.push_back(static_cast<int>(v));
    }
    if (list.empty())
        return Fail(error, "--address needs a bus number");
    *out = list;
    return true;
}

// A fault that lasts for the whole run, from one of the short options.
bool ShortFault(const std::string& option, const std::string& value, EmuOptions* o,
                std::string* error) {
    const std::string kind = option.substr(2);
    std::string parseError;
    auto fault = ParseFault(value.empty() ? kind : kind + " " + value, 0, &parseError);
    if (!fault)
        return Fail(error, option + ": " + parseError);
    o->faults.push_back(*fault);
    return true;
}

bool TakesValue(const std::string& option) {
    static const char* const withValue[] = {"--address", "--modules",   "--busy",      "--clock",
                                            "--speed",   "--link",      "--seed",      "--fault",
                                            "--partial", "--crc-rate",  "--exception", "--noise",
                                            "--latency", "--turnaround"};
    for (const char* o : withValue)
        if (option == o)
            return true;
    return false;
}

bool Apply(const std::string& option, const std::string& value, EmuOptions* o, std::string* error) {
    long long v = 0;
    if (option == "--address")
        return ParseAddresses(value, &o->addresses, error);
    if (option == "--modules")
        return ParseModules(value, &o->modules, error);
    if (option == "--busy") {
        if (!ParseNumber(value, 0, 1000000000, &v))
            return Fail(error, "--busy needs a number of polls, not '" + value + "'");
        o->busy = static_cast<int>(v);
        return true;
    }
    if (option == "--clock") {
        ClockValues c{};
        if (!ParseClock(value, &c, error))
            return false;
        o->clock = c;
        return true;
    }
    if (option == "--speed") {
        if (!ParseNumber(value, 1, 4000000, &v))
            return Fail(error, "--speed needs a baud rate, not '" + value + "'");
        o->speed = static_cast<int>(v);
        return true;
    }
    if (option == "--link") {
        if (value.empty())
            return Fail(error, "--link needs a path");
        o->link = value;
        return true;
    }
    if (option == "--seed") {
        if (!ParseNumber(value, 0, (1LL << 62), &v))
            return Fail(error, "--seed needs a number, not '" + value + "'");
        o->seed = static_cast<uint64_t>(v);
        return true;
    }
    if (option == "--latency" || option == "--turnaround") {
        if (!ParseNumber(value, 0, Pacing::kMaxMs, &v))
            return Fail(error, option + " needs milliseconds 0.." + std::to_string(Pacing::kMaxMs) +
                                   ", not '" + value + "'");
        (option == "--latency" ? o->pacing.latencyMs : o->pacing.turnaroundMs) = int(v);
        return true;
    }
    if (option == "--fault") {
        std::string parseError;
        auto fault = ParseFault(value, 0, &parseError);
        if (!fault)
            return Fail(error, "--fault: " + parseError);
        o->faults.push_back(*fault);
        return true;
    }
    return ShortFault(option, value, o, error);
}

bool ApplyFlag(const std::string& option, EmuOptions* o, std::string* error) {
    if (option == "--help" || option == "-h")
        o->help = true;
    else if (option == "--pace")
        o->pacing.pace = true;
    else if (option == "--version")
        o->version = true;
    else if (option == "--clock-frozen")
        o->clockFrozen = true;
    else if (option == "--quit-on-eof")
        o->quitOnEof = true;
    else if (option == "--no-register")
        o->registerPort = false;
    else if (option == "--silent" || option == "--bad-crc" || option == "--wrong-function" ||
             option == "--hangup")
        return ShortFault(option == "--bad-crc" ? "--crc" : option, "", o, error);
    else
        return Fail(error, "unknown option '" + option + "' (see --help)");
    return true;
}

} // namespace

bool ParseNumber(const std::string& text, long long lo, long long hi, long long* value) {
    long long v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || p != end || v < lo || v > hi)
        return false;
    *value = v;
    return true;
}

bool ParseModules(const std::string& text, std::vector<ModuleSlot>* modules, std::string* error) {
    std::vector<ModuleSlot> list;
    if (text.empty())
        return Fail(error, "--modules needs SLOT:TYPE,... or none");
    if (text != "none") {
        for (const auto& item : Split(text, ',')) {
            const auto parts = Split(item, ':');
            long long slot = 0, type = 0;
            if (parts.size() != 2 || !ParseNumber(parts[0], 0, 15, &slot) ||
                !ParseNumber(parts[1], 1, 2, &type))
                return Fail(error, "--modules: '" + item +
                                       "' is not SLOT:TYPE with slot 0..15 and type 1 or 2");
            for (const auto& m : list)
                if (m.slot == slot)
                    return Fail(error, "--modules: slot " + parts[0] + " is given twice");
            list.push_back({static_cast<int>(slot), static_cast<int>(type)});
        }
    }
    if (list.size() > 6)
        return Fail(error, "--modules: the device takes at most 6 modules");
    *modules = list;
    return true;
}

bool ParseClock(const std::string& text, ClockValues* clock, std::string* error) {
    static const int lo[7] = {0, 0, 0, 1, 1, 0, 1};
    static const int hi[7] = {59, 59, 23, 31, 12, 99, 7};
    const auto parts = Split(text, ',');
    if (parts.size() != 7)
        return Fail(error, "--clock needs seven numbers: s,m,h,day,month,year,weekday");
    for (size_t i = 0; i < 7; ++i) {
        long long v = 0;
        if (!ParseNumber(parts[i], lo[i], hi[i], &v))
            return Fail(error, "--clock: '" + parts[i] + "' is not within " +
                                   std::to_string(lo[i]) + ".." + std::to_string(hi[i]));
        (*clock)[i] = static_cast<uint8_t>(v);
    }
    return true;
}

ClockValues LocalClock() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now); // the same, with the arguments the other way round
#else
    localtime_r(&now, &tm);
#endif
    return {static_cast<uint8_t>(tm.tm_sec > 59 ? 59 : tm.tm_sec),
            static_cast<uint8_t>(tm.tm_min),
            static_cast<uint8_t>(tm.tm_hour),
            static_cast<uint8_t>(tm.tm_mday),
            static_cast<uint8_t>(tm.tm_mon + 1),
            static_cast<uint8_t>(tm.tm_year % 100),
            static_cast<uint8_t>(tm.tm_wday == 0 ? 7 : tm.tm_wday)};
}

bool ParseOptions(const std::vector<std::string>& args, EmuOptions* options, std::string* error) {
    EmuOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::string value;
        bool hasValue = false;
        const size_t eq = option.find('=');
        if (option.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = option.substr(eq + 1);
            option = option.substr(0, eq);
            hasValue = true;
        }
        if (TakesValue(option)) {
            if (!hasValue) {
                if (i + 1 >= args.size())
                    return Fail(error, option + " needs a value");
                value = args[++i];
            }
            if (!Apply(option, value, &o, error))
                return false;
        } else if (hasValue) {
            return Fail(error, option + " takes no value");
        } else if (!ApplyFlag(option, &o, error)) {
            return false;
        }
    }
    *options = o;
    return true;
}

std::string UsageText() {
    return R"(Usage: lum08-emu [options]
Emulates ЛУМ-08 devices on a pseudo-terminal. The first line of output is the port's path;
the emulator serves until it gets SIGTERM or SIGINT (or the command quit).

  --address N[,N...]     bus number(s) 1..31, one device each (default 1)
  --modules SLOT:TYPE,...  fitted modules, slot 0..15, type 1 МЛВ or 2 МСЮ, at most 6;
                         "none" for none (default 0:1,3:2)
  --busy N               polls answered with exception 6 after each write (default 2)
  --clock s,m,h,d,mo,y,wd  clock setting (default: the PC's local time)
  --clock-frozen         the clock does not run
  --speed BAUD           answer only while the port is set to this speed (default: any);
                         at another speed a request is noise to the device
  --link PATH            make PATH a symbolic link to the port (removed on exit)
  --seed N               seed of the random faults (default 1)
  --pace                 bytes at the line's real rate, both ways: start bit, 8 data bits,
                         parity bit, stop bits, at the speed the program set on its port (a
                         pseudo-terminal keeps no parity setting: no parity bit is counted)
  --latency MS           hand the answer over in chunks at most every MS ms, as a USB adapter
                         does on its latency timer (default 0: no adapter)
  --turnaround MS        from the end of a request to the start of its answer
                         (default 2 with --pace, else 0)
  --no-register          do not list the port for the program's port list
  --quit-on-eof          end when standard input closes
  --help                 this text
  --version              print the version and end

Faults (each may be repeated; they apply to the answers):
  --silent               never answer
  --hangup               drop the line at the first request (the emulator then ends, status 3)
  --partial K            send only the first K bytes of each answer
  --bad-crc              spoil the CRC of each answer
  --crc-rate R           spoil the CRC with probability R (0..1)
  --wrong-function       answer with another function code
  --exception C          answer with exception code C instead of acting
  --noise N              send N random bytes before each answer
  --fault SPEC           any fault, scheduled: "KIND [VALUE] [from A] [to B] [fn F,F...]"
                         KIND: silent, hangup, exception, wrong-function, crc, crc-rate,
                         partial, noise; A and B count the requests to the device from 1
                         (e.g. --fault "silent from 3 to 5", --fault "exception 7 fn 69")

Commands on standard input (one per line; each answer ends with "ok" or "error: ..."):
  dump | fault none | fault SPEC | fault add SPEC | faults | busy N | busy-now N
  pace on|off | latency MS | turnaround MS | line
  address N | modules SPEC | records BLOCK HEX... | image HEX... | clock s,m,h,d,mo,y,wd
  freeze | thaw | seed N | requests | log | clear-log | device I | help | quit
)";
}

} // namespace emu
