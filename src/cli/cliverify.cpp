// Comparing a device or a file with a configuration file, in the operator's words.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "link/deviceimageread.h"
#include "link/filestore.h"
#include "model/configfile.h"
#include "model/devicecompare.h"

#include <QJsonArray>

int ShowDifferences(CliConsole& console, const std::vector<std::string>& lines,
                    const std::string& sameText, QJsonObject json) {
    std::string text;
    QJsonArray list;
    for (const std::string& line : lines) {
        text += line + "\n";
        list.append(QString::fromStdString(line));
    }
    json["same"] = lines.empty();
    json["differences"] = list;
    console.Result(text, json);
    if (lines.empty()) {
        console.Message(sameText);
        return CliExit::Done;
    }
    return console.Fail(CliExit::Differs, "differs", "Различий: " + std::to_string(lines.size()));
}

int RunVerify(const CliArgs& args, CliConsole& console) {
    const auto file = LoadImage(args.files[0], console);
    if (!file)
        return console.Worst().exit;
    CliLink link(args, console);
    if (!link.Open(args.speed))
        return CliExit::Line;
    DeviceImage device;
    int steps = 0;
    const int code = ReadDeviceImage(link.Port(), link.Device(), device, [&] {
        console.Progress("Чтение прибора: шаг " + std::to_string(++steps));
    });
    if (code != ResultCode::Ok)
        return link.Failed(link.Device(), code);
    // The file first, the device second: "what the file holds → what the device holds".
    return ShowDifferences(console, CompareDeviceImages(*file, device), "Прибор совпадает с файлом",
                           {{"command", "verify"},
                            {"file", QString::fromStdString(args.files[0])},
                            {"device", args.device}});
}

int RunDiff(const CliArgs& args, CliConsole& console) {
    const auto a = LoadImage(args.files[0], console);
    const auto b = a ? LoadImage(args.files[1], console) : std::nullopt;
    if (!a || !b)
        return console.Worst().exit;
    return ShowDifferences(console, CompareDeviceImages(*a, *b), "Файлы совпадают",
                           {{"command", "diff"},
                            {"a", QString::fromStdString(args.files[0])},
                            {"b", QString::fromStdString(args.files[1])}});
}
