// Comparing a device or a file with a configuration file, in the operator's words.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "link/deviceimageread.h"
#include "model/configfile.h"
#include "model/devicecompare.h"
#include "platform/filestore.h"

#include <QJsonArray>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

int ShowDifferences(CliConsole& console, const std::vector<Difference>& differences,
                    const std::string& sameText, QJsonObject json, SideNames sides) {
    std::string text;
    QJsonArray list;
    for (const Difference& d : differences) {
        text += d.text + "\n";
        QJsonObject item{{"text", Q(d.text)},
                         {"where", Q(d.where)},
                         {"field", Q(d.field)},
                         {sides.first, Q(d.first)},
                         {sides.second, Q(d.second)}};
        item["module"] = d.module > 0 ? QJsonValue(d.module) : QJsonValue();
        item["input"] = d.input.empty() ? QJsonValue() : QJsonValue(Q(d.input));
        item["block"] = d.block > 0 ? QJsonValue(d.block) : QJsonValue();
        list.append(item);
    }
    console.Summary(differences.empty() ? sameText
                                        : "различий " + std::to_string(differences.size()));
    json["same"] = differences.empty();
    json["differences"] = list;
    console.Result(text, json);
    if (differences.empty()) {
        console.Message(sameText);
        return CliExit::Done;
    }
    return console.Fail(CliExit::Differs, "differs",
                        "Различий: " + std::to_string(differences.size()));
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
    return ShowDifferences(
        console, CompareDeviceImagesInParts(*file, device), "Прибор совпадает с файлом",
        {{"file", Q(args.files[0])}, {"device", args.device}}, {"file", "device"});
}

int RunDiff(const CliArgs& args, CliConsole& console) {
    const auto a = LoadImage(args.files[0], console);
    const auto b = a ? LoadImage(args.files[1], console) : std::nullopt;
    if (!a || !b)
        return console.Worst().exit;
    return ShowDifferences(console, CompareDeviceImagesInParts(*a, *b), "Файлы совпадают",
                           {{"a", Q(args.files[0])}, {"b", Q(args.files[1])}}, {"a", "b"});
}
