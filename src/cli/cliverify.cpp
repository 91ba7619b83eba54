// Comparing a device or a file with a configuration file, in the operator's words.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "link/deviceimageread.h"
#include "model/configfile.h"
#include "model/devicecompare.h"
#include "platform/filestore.h"

#include <QJsonArray>

std::optional<DeviceImage> LoadImage(const std::string& name, CliConsole& console) {
    const auto bytes = ReadWholeFile(QString::fromStdString(name));
    if (!bytes) {
        console.Message("Файл не удается открыть: " + name);
        return std::nullopt;
    }
    auto image = DeviceImage::FromFile(*bytes);
    if (!image) {
        std::string why = "Файл " + name + " не является файлом конфигурации ЛУМ-08";
        if (bytes->size() < size_t(ConfigFile::Size))
            why += " (" + std::to_string(bytes->size()) + " байт вместо 712)";
        console.Message(why);
    }
    return image;
}

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
    console.Message("Различий: " + std::to_string(lines.size()));
    return CliExit::Differs;
}

int RunVerify(const CliArgs& args, CliConsole& console) {
    const auto file = LoadImage(args.files[0], console);
    if (!file)
        return CliExit::Usage;
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
        return CliExit::Usage;
    return ShowDifferences(console, CompareDeviceImages(*a, *b), "Файлы совпадают",
                           {{"command", "diff"},
                            {"a", QString::fromStdString(args.files[0])},
                            {"b", QString::fromStdString(args.files[1])}});
}
