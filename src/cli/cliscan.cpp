// Finding the devices on a line: every speed asked for, every bus number of the range, one
// short probe each (link/busscan.h).

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "platform/busscan.h"

#include <QJsonArray>

namespace {
const char* const kCrcText = "отвечает с ошибками CRC";
const char* const kGatewayText = "шлюз: прибор не ответил";
} // namespace

int RunScan(const CliArgs& args, CliConsole& console) {
    CliLink link(args, console);
    std::vector<ScanHit> found;
    const ScanPlan plan{args.speeds, args.firstDevice, args.lastDevice, args.probeMs,
                        args.latencyMs};
    int failed = 0;
    const int code = ScanLine(
        link.Port(), link.Line(), plan, [&link](int speed) { return link.Open(speed); },
        [&console](int speed, int device, int, int) {
            if (device > 0)
                console.Progress("Поиск: " + std::to_string(speed) + " бит/с, прибор " +
                                 std::to_string(device));
        },
        link.Trace(), &found, &failed);
    if (code == ResultCode::PortCannotOpen && found.empty())
        return CliExit::Line;
    link.Port().ClosePort();

    std::string lines;
    QJsonArray list;
    const std::string parity(1, args.parity);
    int damaged = 0;
    for (const ScanHit& f : found) {
        const bool good = f.finding.verdict == ProbeVerdict::Found;
        const bool gateway = f.finding.verdict == ProbeVerdict::GatewayNoAnswer;
        const bool crc = f.finding.verdict == ProbeVerdict::CrcErrors || gateway;
        const char* fault = gateway ? kGatewayText : kCrcText;
        const std::string modif = good ? ModificationCode(f.finding.config) : "?";
        lines += std::to_string(f.speed) + " " + parity + " " + std::to_string(args.stopBits) +
                 " " + std::to_string(f.device) + " " + modif +
                 (crc ? std::string(" ") + fault : "") + "\n";
        QJsonObject item{{"speed", f.speed},
                         {"parity", QString::fromStdString(parity)},
                         {"stop", args.stopBits},
                         {"device", f.device},
                         {"modification", QString::fromStdString(good ? modif : "")},
                         {"state", good      ? "found"
                                   : gateway ? "gateway-no-answer"
                                   : crc     ? "crc-errors"
                                             : "refused"}};
        if (f.finding.verdict == ProbeVerdict::Refused || gateway)
            item["exception"] = f.finding.exception;
        list.append(item);
        if (crc) {
            ++damaged;
            console.Message("Прибор " + std::to_string(f.device) + " (" + std::to_string(f.speed) +
                            " бит/с) " + fault + ": проверьте линию");
        }
    }
    // A scan that ended early still tells what it found before its failure is said.
    console.Result(lines, QJsonObject{{"devices", list}, {"complete", code == ResultCode::Ok}});
    if (code == ResultCode::PortCannotOpen)
        return CliExit::Line;
    if (code != ResultCode::Ok)
        return link.Failed(failed - 1, code);
    if (found.empty())
        return console.Fail(CliExit::Line, "line", "Ни один прибор не ответил на " + args.port,
                            ResultCode::NoAnswer);
    if (damaged > 0)
        return console.Record(CliExit::Differs, "line",
                              "Приборов, отвечающих с ошибками CRC: " + std::to_string(damaged),
                              ResultCode::Checksum);
    return CliExit::Done;
}
