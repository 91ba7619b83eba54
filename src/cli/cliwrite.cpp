// Writing a file to a device through the program's one write path: the back-up, the blocks,
// the read-back, and what the console and the JSON say of each block afterwards.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "link/devicewrite.h"
#include "model/devicecompare.h"
#include "model/devicedocument.h"
#include "platform/devicehistory.h"
#include "words/linkwords.h"

#include <QJsonArray>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The write path's words to the operator, kept for the console to say once, in its own way.
class HeldOperator : public Operator {
public:
    MsgButton Ask(const OperatorMessage& message) override {
        texts.push_back(message.text);
        return MsgButton::No; // nobody to ask: never write without a back-up
    }
    std::vector<std::string> texts;
};

const char* StateWord(BlockState state) {
    switch (state) {
    case BlockState::NotSent:
        return "not-sent";
    case BlockState::SentNotConfirmed:
        return "unconfirmed";
    case BlockState::Written:
        return "written";
    case BlockState::ReadBackDifferent:
        return "differs";
    case BlockState::NotVerified:
        return "not-verified";
    }
    return "";
}

// module blocks 1..n, then the network image, block 17.
QJsonArray BlocksJson(const DeviceWriteReport& report) {
    QJsonArray list;
    for (const BlockReport& b : report.blocks)
        list.append(QJsonObject{{"block", b.block},
                                {"what", Q(BlockName(b.block))},
                                {"state", StateWord(b.state)},
                                {"text", Q(BlockStateName(b.state))}});
    return list;
}

int Report(CliLink& link, CliConsole& console, const DeviceWriteReport& report,
           const HeldOperator& told, QJsonObject json) {
    json["written"] = BlocksJson(report);
    if (!report.backupPath.empty()) {
        json["backup"] = Q(report.backupPath);
        console.Message("Прежнее содержимое прибора сохранено: " + report.backupPath);
    }
    const std::string said = told.texts.empty() ? std::string() : told.texts.front();
    switch (report.end) {
    case WriteEnd::Refused:
        console.Result({}, json);
        return console.Fail(CliExit::Differs, "refused", said);
    case WriteEnd::Cancelled: {
        // A dry run: what the write would change, device → file; nothing was sent but reads.
        json["dryRun"] = true;
        const WriteScope scope = WriteScope::WholeDevice(report.wanted.ModuleCount());
        return ShowDifferences(
            console,
            CompareDeviceImagesInParts(report.before, report.wanted, CompareScope::Of(scope)),
            "Прибор уже содержит эти данные", json, {"device", "file"});
    }
    case WriteEnd::NoBackup:
        console.Result({}, json);
        if (report.backupCode != 0)
            return console.Fail(ExitForResult(report.backupCode), KindForResult(report.backupCode),
                                MessageFor(link.Port(), report.device, report.backupCode).text +
                                    ". Прибор не удалось прочитать перед записью, запись не "
                                    "начата. Записать без резервной копии: --no-backup",
                                report.backupCode);
        return console.Fail(CliExit::Usage, "file",
                            "Резервную копию прибора не удается сохранить в " +
                                DeviceHistory::Folder().toStdString() +
                                ", запись не начата. Записать без резервной копии: --no-backup");
    case WriteEnd::AlreadyThere:
        console.Message("Прибор уже содержит эти данные");
        console.Summary("Прибор уже содержит эти данные");
        json["same"] = true;
        json["differences"] = QJsonArray();
        console.Result({}, json);
        return CliExit::Done;
    case WriteEnd::Failed: {
        console.Result({}, json);
        const int exit = link.Failed(report.device, report.code);
        // What the device now holds, block by block.
        if (const std::string held = WriteOutcomeText(report); !held.empty())
            console.Message(held);
        return exit;
    }
    case WriteEnd::Done:
        break;
    }
    if (report.readBackCode != 0) {
        console.Result({}, json);
        const int exit = link.Failed(report.device, report.readBackCode);
        // Every block was confirmed: only the check after them is missing.
        console.Message("Запись не проверена: прибор не удалось прочитать.");
        return exit;
    }
    const WriteScope scope = WriteScope::WholeDevice(report.wanted.ModuleCount());
    return ShowDifferences(
        console,
        CompareDeviceImagesInParts(report.wanted, report.readBack, CompareScope::Of(scope)),
        "Запись проверена: прибор совпадает с файлом", json, {"file", "device"});
}

} // namespace

int RunWrite(const CliArgs& args, CliConsole& console) {
    const auto wanted = LoadImage(args.files[0], console);
    if (!wanted)
        return console.Worst().exit;
    DeviceDocument doc;
    doc.Load(*wanted, DocumentOrigin::File(args.files[0]));
    // A dry run writes nothing, so it needs no password.
    int accessLevel = 1;
    if (!args.dryRun && !GrantWriteAccess(args, console, accessLevel))
        return CliExit::Usage;
    CliLink link(args, console);
    if (!link.Open(args.speed))
        return CliExit::Line;
    // The file's own number byte is ignored, as on opening; the device keeps its number.
    doc.modules.BusNumber = link.Device();
    doc.modules.PutNewBusNumber(uint8_t(link.Device()));

    WriteRequest request;
    request.scope = WriteScope::WholeDevice(doc.modules.GetModuleCount());
    request.accessLevel = accessLevel;
    request.backup = !args.noBackup;
    request.modulesShownIn = "в файле";
    request.showChanges = args.dryRun;
    HeldOperator told;
    WriteHooks hooks;
    hooks.op = &told;
    hooks.keepBackup = DeviceHistory::BackupKeeper(link.Port());
    hooks.progress = [&](int done, int total, const std::string& step) {
        console.Progress("Запись в прибор: " + step + " (" + std::to_string(done) + " из " +
                         std::to_string(total) + ")");
    };
    // A dry run stops where a window would ask whether to write.
    hooks.confirmChanges = [](const std::string&, const std::vector<std::string>&) {
        return false;
    };
    const DeviceWriteReport report = WriteToDevice(link.Port(), doc, request, hooks);
    console.EndProgress();
    // Where the data come from: the file, and the device a back-up of the history was read from.
    const int from = DeviceHistory::DeviceOf(QString::fromStdString(args.files[0]));
    const QJsonObject origin{{"file", Q(args.files[0])},
                             {"device", from > 0 ? QJsonValue(from) : QJsonValue()}};
    if (from > 0 && from != link.Device() + 1)
        console.Message("Данные сняты с прибора " + std::to_string(from) +
                        " (резервная копия), запись в прибор " + std::to_string(link.Device() + 1));
    return Report(link, console, report, told,
                  QJsonObject{{"file", Q(args.files[0])},
                              {"device", args.device},
                              {"origin", origin},
                              {"backup", QJsonValue()}});
}
