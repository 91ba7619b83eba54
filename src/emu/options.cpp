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
            return Fail(error, "--address: номер прибора 1..31, а не '" + item + "'");
        for (int a : list)
            if (a == v)
                return Fail(error, "--address: " + item + " указан дважды");
        list.push_back(static_cast<int>(v));
    }
    if (list.empty())
        return Fail(error, "--address: нужен номер прибора");
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
    static const char* const withValue[] = {"--address", "--modules",    "--busy",      "--clock",
                                            "--speed",   "--link",       "--seed",      "--fault",
                                            "--partial", "--crc-rate",   "--exception", "--noise",
                                            "--latency", "--turnaround", "--tcp",       "--mbtcp"};
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
            return Fail(error, "--busy: нужно число опросов, а не '" + value + "'");
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
        // One speed for the line, or one per address ("9600,9600,19200").
        std::vector<int> speeds;
        for (size_t start = 0;;) {
            const size_t comma = value.find(',', start);
            const std::string one = value.substr(start, comma - start);
            if (!ParseNumber(one, 1, 4000000, &v))
                return Fail(error, "--speed: нужна скорость в бит/с, а не '" + one + "'");
            speeds.push_back(static_cast<int>(v));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        o->speed = speeds.size() == 1 ? speeds.front() : 0;
        o->speeds = speeds.size() == 1 ? std::vector<int>{} : speeds;
        return true;
    }
    if (option == "--tcp" || option == "--mbtcp") {
        if (o->line != EmuLine::Pty)
            return Fail(error, option + ": шлюз уже задан (--tcp и --mbtcp вместе не допускаются)");
        std::string why;
        if (!ParseListenAddress(value, &o->listenHost, &o->listenPort, &why))
            return Fail(error, option + ": " + why);
        o->line = option == "--tcp" ? EmuLine::RtuOverTcp : EmuLine::ModbusTcp;
        return true;
    }
    if (option == "--link") {
        if (value.empty())
            return Fail(error, "--link: нужен путь");
        o->link = value;
        return true;
    }
    if (option == "--seed") {
        if (!ParseNumber(value, 0, (1LL << 62), &v))
            return Fail(error, "--seed: нужно число, а не '" + value + "'");
        o->seed = static_cast<uint64_t>(v);
        return true;
    }
    if (option == "--latency" || option == "--turnaround") {
        if (!ParseNumber(value, 0, Pacing::kMaxMs, &v))
            return Fail(error, option + ": нужно время 0.." + std::to_string(Pacing::kMaxMs) +
                                   " мс, а не '" + value + "'");
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
    else if (option == "--echo")
        o->pacing.echo = true;
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
        return Fail(error, "неизвестный параметр '" + option + "' (справка: --help)");
    return true;
}

} // namespace

bool ParseListenAddress(const std::string& text, std::string* host, int* port, std::string* error) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return Fail(error, "нужно АДРЕС:ПОРТ, например 127.0.0.1:0, а не '" + text + "'");
    const std::string address = text.substr(0, colon);
    const auto octets = Split(address, '.');
    long long first = -1;
    bool numeric = octets.size() == 4;
    for (size_t i = 0; numeric && i < octets.size(); ++i) {
        long long v = 0;
        numeric = ParseNumber(octets[i], 0, 255, &v);
        if (i == 0)
            first = v;
    }
    if (!numeric || first != 127)
        return Fail(error, "эмулятор шлюза слушает только петлевой адрес 127.x.x.x (например "
                           "127.0.0.1), а не '" +
                               address + "'");
    long long v = 0;
    if (!ParseNumber(text.substr(colon + 1), 0, 65535, &v))
        return Fail(error,
                    "порт 0..65535 (0 - любой свободный), а не '" + text.substr(colon + 1) + "'");
    *host = address;
    *port = static_cast<int>(v);
    return true;
}

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
        return Fail(error, "--modules: нужно SLOT:TYPE,... или none");
    if (text != "none") {
        for (const auto& item : Split(text, ',')) {
            const auto parts = Split(item, ':');
            long long slot = 0, type = 0;
            if (parts.size() != 2 || !ParseNumber(parts[0], 0, 15, &slot) ||
                !ParseNumber(parts[1], 1, 2, &type))
                return Fail(error,
                            "--modules: '" + item + "' - не SLOT:TYPE (место 0..15, тип 1 или 2)");
            for (const auto& m : list)
                if (m.slot == slot)
                    return Fail(error, "--modules: место " + parts[0] + " указано дважды");
            list.push_back({static_cast<int>(slot), static_cast<int>(type)});
        }
    }
    if (list.size() > 6)
        return Fail(error, "--modules: в приборе не больше 6 модулей");
    *modules = list;
    return true;
}

bool ParseClock(const std::string& text, ClockValues* clock, std::string* error) {
    static const int lo[7] = {0, 0, 0, 1, 1, 0, 1};
    static const int hi[7] = {59, 59, 23, 31, 12, 99, 7};
    const auto parts = Split(text, ',');
    if (parts.size() != 7)
        return Fail(error, "--clock: нужны семь чисел: с,мин,ч,день,месяц,год,день недели");
    for (size_t i = 0; i < 7; ++i) {
        long long v = 0;
        if (!ParseNumber(parts[i], lo[i], hi[i], &v))
            return Fail(error, "--clock: '" + parts[i] + "' вне пределов " + std::to_string(lo[i]) +
                                   ".." + std::to_string(hi[i]));
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
                    return Fail(error, option + ": нужно значение");
                value = args[++i];
            }
            if (!Apply(option, value, &o, error))
                return false;
        } else if (hasValue) {
            return Fail(error, option + ": значение не принимается");
        } else if (!ApplyFlag(option, &o, error)) {
            return false;
        }
    }
    if (o.line != EmuLine::Pty && !o.link.empty())
        return Fail(error, "--link: ссылка делается только на псевдотерминал, не на шлюз");
    if (o.line != EmuLine::Pty && o.pacing.echo)
        return Fail(error, "--echo: эхо адаптера бывает только на псевдотерминале, не на шлюзе");
    if (!o.speeds.empty() && o.speeds.size() != o.addresses.size())
        return Fail(error, "--speed: скоростей " + std::to_string(o.speeds.size()) +
                               ", а номеров в --address " + std::to_string(o.addresses.size()));
    *options = o;
    return true;
}

std::string UsageText() {
    return R"(Использование: lum08-emu [параметры]
Эмулирует приборы ЛУМ-08 на псевдотерминале (или за шлюзом Ethernet на петлевом адресе).
Первая строка вывода - порт для программы: путь к псевдотерминалу или адрес шлюза
(tcp://127.0.0.1:ПОРТ, mbtcp://127.0.0.1:ПОРТ); эмулятор работает, пока не получит SIGTERM
или SIGINT (или команду quit).

  --address N[,N...]     номера приборов 1..31, по прибору на номер (по умолчанию 1)
  --modules SLOT:TYPE,...  модули: место 0..15, тип 1 МЛВ или 2 МСЮ, не больше 6;
                         "none" - без модулей (по умолчанию 0:1,3:2)
  --busy N               сколько опросов после каждой записи прибор отвечает "занят"
                         (исключение 6; по умолчанию 2)
  --clock s,m,h,d,mo,y,wd  часы прибора (по умолчанию - местное время компьютера)
  --clock-frozen         часы стоят
  --speed BAUD[,BAUD...] отвечать, только пока порт настроен на эту скорость (по умолчанию -
                         на любой); на другой скорости запрос для прибора - шум; список -
                         по скорости на каждый номер из --address
  --link PATH            сделать PATH символической ссылкой на порт (удаляется при выходе)
  --tcp 127.0.0.1:ПОРТ   вместо псевдотерминала - шлюз в прозрачном режиме: кадры RTU идут
                         через соединение TCP как есть; ПОРТ 0 - любой свободный (первая
                         строка вывода называет его); только петлевой адрес 127.x.x.x
  --mbtcp 127.0.0.1:ПОРТ то же, шлюз Modbus TCP: заголовок MBAP вместо номера и CRC, ответ
                         с номером транзакции запроса; ответ прибора с ошибкой (CRC, обрыв,
                         шум) шлюз заменяет исключением 0B. У шлюза одно соединение: новое
                         закрывает старое. --speed задаёт скорость линии за шлюзом для --pace
  --seed N               начало ряда случайных неисправностей (по умолчанию 1)
  --pace                 байты в темпе настоящей линии в обе стороны: старт-бит, 8 бит данных,
                         бит чётности, стоп-биты, на скорости, заданной программой порту
                         (псевдотерминал не хранит чётность: бит чётности не считается)
  --latency MS           отдавать ответ частями не чаще раза в MS мс, как USB-адаптер по
                         своему таймеру (по умолчанию 0: без адаптера)
  --turnaround MS        от конца запроса до начала ответа (по умолчанию 2 с --pace, иначе 0)
  --echo                 как адаптер, который слышит себя: каждый байт запроса возвращается
                         программе до ответа (только на псевдотерминале)
  --no-register          не вносить порт в список портов программы
  --quit-on-eof          завершиться, когда закроется стандартный ввод
  --help                 этот текст
  --version              показать версию и выйти

Неисправности (каждую можно повторить; они касаются ответов):
  --silent               не отвечать
  --hangup               оборвать линию на первом запросе (эмулятор завершается с кодом 3)
  --partial K            отправлять только первые K байтов каждого ответа
  --bad-crc              портить CRC каждого ответа
  --crc-rate R           портить CRC с вероятностью R (0..1)
  --wrong-function       отвечать другим кодом функции
  --exception C          отвечать исключением C вместо действия
  --noise N              отправлять N случайных байтов перед каждым ответом
  --fault SPEC           любая неисправность по расписанию: "KIND [VALUE] [from A] [to B] [fn F,F...]"
                         KIND: silent, hangup, drop, exception, wrong-function, crc, crc-rate,
                         partial, noise; A и B считают запросы к прибору с 1; drop - шлюз
                         разрывает соединение (и ждёт нового), на псевдотерминале - как hangup
                         (например --fault "silent from 3 to 5", --fault "exception 7 fn 69")

Команды на стандартном вводе (по одной в строке; ответ кончается "ok" или "error: ..."):
  dump | fault none | fault SPEC | fault add SPEC | faults | busy N | busy-now N
  pace on|off | echo on|off | latency MS | turnaround MS | line
  address N | modules SPEC | records BLOCK HEX... | image HEX... | clock s,m,h,d,mo,y,wd
  poke BLOCK BYTE HEX | stuck BLOCK BYTE HEX | stuck none
  freeze | thaw | seed N | requests | log | clear-log | device I | help | quit
)";
}

} // namespace emu
