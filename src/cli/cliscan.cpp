// Finding the devices on a line: every speed asked for, every bus number of the range, one
// short probe each (link/busscan.h).

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "platform/busscan.h"

#include <QJsonArray>

namespace {
const char* const kCrcText = "отвечает с ошибками CRC";
} // namespace

int RunScan(const CliArgs& args, CliConsole& console) {
    CliLink link(args, console);
    std::vector<ScanHit> found;
    const ScanPlan plan{args.speeds, args.firstDevice, args.lastDevice, args.probeMs};
    int failed = 0;
    const int code = ScanLine(
        link.Port(), link.Line(), plan, [&link](int speed) { return link.Open(speed); },
        [&console](int speed, int device, int, int) {
            if (device > 0)
                console.Progress("Поиск: " + std::to_string(speed) + " бит/с, прибор " +
                                 std::to_string(device));
        },
        link.Trace(), &found, &failed);
    if (code == ResultCode::PortCannotOpen)
        return CliExit::Line;
    if (code != ResultCode::Ok)
        return link.Failed(failed - 1, code);
    link.Port().ClosePort();

    std::string lines;
    QJsonArray list;
    const std::string parity(1, args.parity);
    int damaged = 0;
    for (const ScanHit& f : found) {
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
