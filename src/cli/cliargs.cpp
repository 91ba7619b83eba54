#include "cli/cliargs.h"

#include "link/exchangeengine.h"
#include "link/gatewayaddress.h"
#include "platform/busscan.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <set>
#include <sstream>

namespace {

const std::set<std::string> kCommands = {"read", "write", "verify", "diff", "scan", "clock"};

// Options that belong to some commands only; the others take them as a typing error.
const std::map<std::string, std::set<std::string>> kOwnOptions = {
    {"--out", {"read"}},
    {"--force", {"read"}},
    {"--speeds", {"scan"}},
    {"--devices", {"scan"}},
    {"--probe-ms", {"scan"}},
    {"--latency", {"scan"}},
    {"--set-now", {"clock"}},
    {"--no-backup", {"write"}},
    {"--dry-run", {"write"}},
    {"--password", {"write", "clock"}},
    {"--password-file", {"write", "clock"}}};

bool Fail(std::string* error, const std::string& text) {
    if (error)
        *error = text;
    return false;
}

bool Number(const std::string& text, int lo, int hi, int* value) {
    int v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || p != end || v < lo || v > hi)
        return false;
    *value = v;
    return true;
}

bool Speed(const std::string& text, int* value) {
    int v = 0;
    if (!Number(text, 1, 1000000, &v) || !ExchangeEngine::IsSupportedSpeed(v))
        return false;
    *value = v;
    return true;
}

bool Speeds(const std::string& text, std::vector<int>* out) {
    std::vector<int> list;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        int v = 0;
        if (!Speed(item, &v))
            return false;
        if (std::find(list.begin(), list.end(), v) == list.end())
            list.push_back(v);
    }
    if (list.empty() || text.back() == ',')
        return false;
    *out = list;
    return true;
}

// "N" or "A-B" with 1 <= A <= B <= 31.
bool Devices(const std::string& text, int* first, int* last) {
    const size_t dash = text.find('-');
    int a = 0;
    int b = 0;
    if (dash == std::string::npos) {
        if (!Number(text, 1, 31, &a))
            return false;
        b = a;
    } else if (!Number(text.substr(0, dash), 1, 31, &a) ||
               !Number(text.substr(dash + 1), 1, 31, &b) || b < a) {
        return false;
    }
    *first = a;
    *last = b;
    return true;
}

// "1,3,5-8": bus numbers in the order given, each once.
bool DeviceList(const std::string& text, std::vector<int>* out) {
    std::vector<int> list;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        int first = 0;
        int last = 0;
        if (!Devices(item, &first, &last))
            return false;
        for (int n = first; n <= last; ++n)
            if (std::find(list.begin(), list.end(), n) == list.end())
                list.push_back(n);
    }
    if (list.empty() || text.back() == ',')
        return false;
    *out = list;
    return true;
}

bool TakesValue(const std::string& option) {
    static const std::set<std::string> withValue = {
        "--port",    "--speed",         "--parity",     "--stop",     "--device",
        "--out",     "--speeds",        "--devices",    "--probe-ms", "--password",
        "--timeout", "--password-file", "--round-trip", "--echo",     "--latency"};
    return withValue.count(option) != 0;
}

bool ApplyValue(const std::string& option, const std::string& value, CliArgs& a,
                std::string* error) {
    const std::string bad = "Неверное значение " + option + ": \"" + value + "\"";
    if (option == "--port") {
        a.port = value;
        return !value.empty() || Fail(error, "Укажите порт: --port ПОРТ");
    }
    if (option == "--speed")
        return Speed(value, &a.speed) || Fail(error, bad + " (скорость, например 9600)");
    if (option == "--parity") {
        if (value != "N" && value != "E" && value != "O")
            return Fail(error, bad + " (чётность N, E или O)");
        a.parity = value[0];
        return true;
    }
    if (option == "--stop")
        return Number(value, 1, 2, &a.stopBits) || Fail(error, bad + " (стоповых битов 1 или 2)");
    if (option == "--device")
        return DeviceList(value, &a.devices) ||
               Fail(error, bad + " (номер прибора 1..31 или список, например 1,3,5-8)");
    if (option == "--round-trip")
        return Number(value, 0, 5000, &a.roundTripMs) || Fail(error, bad + " (мс, 0..5000)");
    if (option == "--timeout")
        return Number(value, 1, 86400, &a.timeoutSeconds) ||
               Fail(error, bad + " (секунд, 1..86400)");
    if (option == "--out") {
        a.out = value;
        return !value.empty() || Fail(error, "Укажите файл: --out ФАЙЛ.lum");
    }
    if (option == "--speeds")
        return Speeds(value, &a.speeds) || Fail(error, bad + " (скорости через запятую)");
    if (option == "--devices")
        return Devices(value, &a.firstDevice, &a.lastDevice) ||
               Fail(error, bad + " (номера приборов, например 1-31)");
    if (option == "--probe-ms")
        return Number(value, BusScan::MinProbeMs, 2000, &a.probeMs) ||
               Fail(error, bad + " (" + std::to_string(BusScan::MinProbeMs) + "..2000 мс)");
    if (option == "--latency")
        return Number(value, 0, 1000, &a.latencyMs) || Fail(error, bad + " (мс, 0..1000)");
    if (option == "--echo") {
        a.echo = value;
        return value == "auto" || value == "on" || value == "off" ||
               Fail(error, bad + " (auto, on или off)");
    }
    if (option == "--password-file") {
        a.passwordFile = value;
        return !value.empty() || Fail(error, "Укажите файл: --password-file ФАЙЛ");
    }
    a.password = value; // --password
    return true;
}

bool ApplyFlag(const std::string& option, CliArgs& a, std::string* error) {
    if (option == "--help" || option == "-h")
        a.help = true;
    else if (option == "--version")
        a.version = true;
    else if (option == "--json")
        a.json = true;
    else if (option == "--trace")
        a.trace = true;
    else if (option == "--verbose" || option == "-v")
        a.verbose = true;
    else if (option == "--force")
        a.force = true;
    else if (option == "--set-now")
        a.setNow = true;
    else if (option == "--no-backup")
        a.noBackup = true;
    else if (option == "--rts")
        a.rts = true;
    else if (option == "--dry-run")
        a.dryRun = true;
    else
        return Fail(error, "Неизвестный параметр " + option);
    return true;
}

// The checks that need the whole line: the command, its files and its own options.
bool Complete(CliArgs& a, const std::vector<std::string>& given, std::string* error) {
    if (a.help || a.version)
        return true;
    if (a.command.empty())
        return Fail(error, "Не задана команда (read, write, verify, diff, scan, clock)");
    for (const std::string& option : given) {
        auto own = kOwnOptions.find(option);
        if (own != kOwnOptions.end() && own->second.count(a.command) == 0)
            return Fail(error, "Параметр " + option + " не относится к команде " + a.command);
    }
    const size_t files = a.command == "diff"                             ? 2
                         : a.command == "write" || a.command == "verify" ? 1
                                                                         : 0;
    if (a.files.size() != files)
        return Fail(error, files == 0 ? "Команда " + a.command + " не принимает файлов"
                           : files == 1 ? "Команде " + a.command + " нужен один файл .lum"
                                        : "Команде diff нужны два файла .lum");
    if (a.devices.size() > 1 && a.command != "read" && a.command != "write" &&
        a.command != "verify" && a.command != "clock")
        return Fail(error, "Список приборов --device принимают команды read, write, verify и "
                           "clock; для scan номера задаёт --devices");
    if (a.command == "read" && a.out.empty())
        return Fail(error, "Укажите файл для записи: --out ФАЙЛ.lum");
    if (NeedsPort(a.command) && a.port.empty())
        return Fail(error, "Укажите порт: --port ПОРТ (например /dev/ttyUSB0 или COM3)");
    const bool gateway = IsGatewayName(a.port);
    if (gateway && !ParseGatewayAddress(a.port))
        return Fail(error, "Неверный адрес шлюза " + a.port + " (нужно " + GatewayNameForm +
                               ", порт 1..65535)");
#ifndef _WIN32
    // A port name without a folder is looked up in /dev; one with a folder is taken as it
    // stands, and a relative one would depend on where the command was started.
    if (!gateway && a.port.find('/') != std::string::npos && a.port.front() != '/')
        return Fail(error,
                    "Путь к порту должен начинаться с /: например /dev/ttyUSB0, а не " + a.port);
#endif
    if (!gateway && std::find(given.begin(), given.end(), "--round-trip") != given.end())
        return Fail(error, "Параметр --round-trip относится только к шлюзу (--port tcp://УЗЕЛ:ПОРТ "
                           "или mbtcp://УЗЕЛ:ПОРТ)");
    // The port dialog refuses this pair as well: the converters cannot take it. A gateway's
    // line settings are its own.
    if (!gateway && a.parity == 'E' && a.stopBits == 2)
        return Fail(error, "Чётность E с двумя стоповыми битами не допускается");
    // Behind a gateway the program sets no speed: one pass finds what is there.
    if (gateway && a.speeds.size() > 1)
        a.speeds.resize(1);
    return true;
}

} // namespace

std::string CommandWord(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.rfind("-", 0) != 0 || word == "-")
            return kCommands.count(word) != 0 ? word : std::string();
        if (word.find('=') == std::string::npos && TakesValue(word))
            ++i; // its value
    }
    return {};
}

bool AsksForJson(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--json") != args.end() ||
           std::find(args.begin(), args.end(), "--json=1") != args.end();
}

bool NeedsPort(const std::string& command) {
    return command != "diff" && !command.empty();
}

std::optional<CliArgs> ParseCliArgs(const std::vector<std::string>& args, std::string* error) {
    CliArgs a;
    std::vector<std::string> given;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        if (option.rfind("-", 0) != 0 || option == "-") {
            if (a.command.empty()) {
                if (kCommands.count(option) == 0) {
                    Fail(error, "Неизвестная команда " + option);
                    return std::nullopt;
                }
                a.command = option;
            } else {
                a.files.push_back(option);
            }
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const size_t eq = option.find('=');
            option.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = option.substr(eq + 1);
            option = option.substr(0, eq);
            hasValue = true;
        }
        given.push_back(option);
        if (option == "--json" && hasValue) {
            // --json=1 for the scripts that write every option with a value.
            if (value != "1" && value != "0") {
                Fail(error, "Неверное значение --json: \"" + value + "\" (1 или 0)");
                return std::nullopt;
            }
            a.json = value == "1";
            continue;
        }
        if (TakesValue(option)) {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    Fail(error, "После " + option + " нужно значение");
                    return std::nullopt;
                }
                value = args[++i];
            }
            if (!ApplyValue(option, value, a, error))
                return std::nullopt;
        } else if (hasValue || !ApplyFlag(option, a, error)) {
            if (hasValue)
                Fail(error, "Параметр " + option + " не принимает значения");
            return std::nullopt;
        }
    }
    if (!Complete(a, given, error))
        return std::nullopt;
    if (a.devices.empty())
        a.devices = {a.device};
    a.device = a.devices.front();
    return a;
}
