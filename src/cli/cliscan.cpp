// Finding the devices on a line: one configuration request per speed and bus number, each
// given a short time to answer instead of the engine's repeats (8 s for a silent address).

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "link/devicecommands.h"

#include <QJsonArray>

namespace {

struct Found {
    int speed;
    int device;
    std::string modif; // empty when the device answered with an exception
};

std::string ModificationCode(const std::vector<uint8_t>& config) {
    std::string code;
    for (size_t i = 1; i <= 16 && i < config.size(); ++i)
        code += std::to_string(config[i]);
    return code;
}

} // namespace

int RunScan(const CliArgs& args, CliConsole& console) {
    CliLink link(args, console);
    ExchangeEngine& port = link.Port();
    // One attempt per address, no rest after it, and a short wait for the first byte.
    port.SetRepeat1(1);
    port.SetRepeat2(1);
    port.SetRepeatPause(0);
    link.Line().SetFirstByteTimeoutMs(args.probeMs);

    std::vector<Found> found;
    for (int speed : args.speeds) {
        if (!link.Open(speed))
            return CliExit::Line;
        for (int n = args.firstDevice; n <= args.lastDevice; ++n) {
            console.Progress("Поиск: " + std::to_string(speed) + " бит/с, прибор " +
                             std::to_string(n));
            std::vector<uint8_t> config;
            const int code = ReadConfiguration(port, n - 1, config);
            if (code == ResultCode::PortFailure)
                return link.Failed(n - 1, code);
            if (code == ResultCode::Ok)
                found.push_back({speed, n, ModificationCode(config)});
            else if (ExitForResult(code) == CliExit::Differs)
                found.push_back({speed, n, {}}); // it answered, if only with a refusal
        }
    }
    port.ClosePort();

    std::string lines;
    QJsonArray list;
    const std::string parity(1, args.parity);
    for (const Found& f : found) {
        const std::string modif = f.modif.empty() ? "?" : f.modif;
        lines += std::to_string(f.speed) + " " + parity + " " + std::to_string(args.stopBits) +
                 " " + std::to_string(f.device) + " " + modif + "\n";
        list.append(QJsonObject{{"speed", f.speed},
                                {"parity", QString::fromStdString(parity)},
                                {"stop", args.stopBits},
                                {"device", f.device},
                                {"modification", QString::fromStdString(f.modif)}});
    }
    console.Result(lines, QJsonObject{{"command", "scan"}, {"devices", list}});
    if (found.empty()) {
        console.Message("Ни один прибор не ответил на " + args.port);
        return CliExit::Line;
    }
    return CliExit::Done;
}
