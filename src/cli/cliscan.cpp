// Finding the devices on a line: every speed asked for, every bus number of the range, one
// short probe each (link/busscan.h).

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "platform/busscan.h"

#include <QJsonArray>

namespace {

struct Found {
    int speed;
    int device;
    ProbeFinding finding;
};

std::string ModificationCode(const std::vector<uint8_t>& config) {
    std::string code;
    for (size_t i = 1; i <= 16 && i < config.size(); ++i)
        code += std::to_string(config[i]);
    return code;
}

const char* const kCrcText = "отвечает с ошибками CRC";

} // namespace

int RunScan(const CliArgs& args, CliConsole& console) {
    CliLink link(args, console);
    std::vector<Found> found;
    for (int speed : args.speeds) {
        if (!link.Open(speed))
            return CliExit::Line;
        BusScan scan(link.Port(), link.Line(), args.probeMs);
        scan.SetObserver(link.Trace());
        for (int n = args.firstDevice; n <= args.lastDevice; ++n) {
            console.Progress("Поиск: " + std::to_string(speed) + " бит/с, прибор " +
                             std::to_string(n));
            if (const int code = scan.Probe(n); code != ResultCode::Ok)
                return link.Failed(n - 1, code);
        }
        if (const int code = scan.Finish(); code != ResultCode::Ok)
            return link.Failed(args.lastDevice - 1, code);
        for (const auto& [device, finding] : scan.Findings())
            found.push_back({speed, device, finding});
    }
    link.Port().ClosePort();

    std::string lines;
    QJsonArray list;
    const std::string parity(1, args.parity);
    int damaged = 0;
    for (const Found& f : found) {
        const bool good = f.finding.verdict == ProbeVerdict::Found;
        const bool crc = f.finding.verdict == ProbeVerdict::CrcErrors;
        const std::string modif = good ? ModificationCode(f.finding.config) : "?";
        lines += std::to_string(f.speed) + " " + parity + " " + std::to_string(args.stopBits) +
                 " " + std::to_string(f.device) + " " + modif +
                 (crc ? std::string(" ") + kCrcText : "") + "\n";
        QJsonObject item{{"speed", f.speed},
                         {"parity", QString::fromStdString(parity)},
                         {"stop", args.stopBits},
                         {"device", f.device},
                         {"modification", QString::fromStdString(good ? modif : "")},
                         {"state", good  ? "found"
                                   : crc ? "crc-errors"
                                         : "refused"}};
        if (f.finding.verdict == ProbeVerdict::Refused)
            item["exception"] = f.finding.exception;
        list.append(item);
        if (crc) {
            ++damaged;
            console.Message("Прибор " + std::to_string(f.device) + " (" + std::to_string(f.speed) +
                            " бит/с) " + kCrcText + ": проверьте линию");
        }
    }
    console.Result(lines, QJsonObject{{"devices", list}});
    if (found.empty())
        return console.Fail(CliExit::Line, "line", "Ни один прибор не ответил на " + args.port,
                            ResultCode::NoAnswer);
    if (damaged > 0)
        return console.Record(CliExit::Differs, "line",
                              "Приборов, отвечающих с ошибками CRC: " + std::to_string(damaged),
                              ResultCode::Checksum);
    return CliExit::Done;
}
