// Reading a whole device into a configuration file, and writing a file to a device.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "platform/devicehistory.h"
#include "link/devicewrite.h"
#include "platform/filestore.h"
#include "model/configfile.h"
#include "model/devicecompare.h"
#include "platform/devicehistory.h"
#include "platform/filestore.h"

#include <QJsonArray>

#include <QFileInfo>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

int RunRead(const CliArgs& args, CliConsole& console) {
    const std::string out = WithLumExtension(args.out);
    if (out.empty()) {
        console.Message("Неверно задано имя файла: " + args.out + " (нужно расширение .lum)");
        return CliExit::Usage;
    }
    if (DeviceHistory::IsInHistory(Q(out))) {
        console.Message("Это папка истории прибора: резервные копии в ней не заменяются. "
                        "Укажите файл в другой папке");
        return CliExit::Usage;
    }
    if (!args.force && QFileInfo::exists(Q(out))) {
        console.Message("Файл с таким именем существует: " + out +
                        ". Чтобы заменить его, добавьте --force");
        return CliExit::Usage;
    }
    CliLink link(args, console);
    if (!link.Open(args.speed))
        return CliExit::Line;
    DeviceDocument d;
    d.modules.BusNumber = link.Device();
    int steps = 0;
    ReadProgress progress;
    progress.step = [&] { console.Progress("Чтение прибора: шаг " + std::to_string(++steps)); };
    const int code = ReadWholeDevice(link.Port(), d, link.Device(), progress);
    if (code != ResultCode::Ok)
        return link.Failed(d.modules.BusNumber, code); // nothing was written to the file
    QString why;
    if (!ReplaceFileAtomically(Q(out), d.Image().ToFile(), &why)) {
        console.Message("Файл  не удается создать: " + out + " (" + why.toStdString() + ")");
        return CliExit::Usage;
    }
    const std::string modif = d.modules.GetModificationCode();
    QJsonObject json{
        {"command", "read"}, {"file", Q(out)}, {"device", args.device}, {"modification", Q(modif)}};
    console.Result(out + " " + std::to_string(args.device) + " " + modif + "\n", json);
    return CliExit::Done;
}

namespace {

QJsonArray BlocksJson(const DeviceWriteReport& report) {
    QJsonArray blocks;
    for (const BlockReport& b : report.blocks)
        blocks.append(QJsonObject{{"block", b.block},
                                  {"name", Q(BlockName(b.block))},
                                  {"state", Q(BlockStateName(b.state))}});
    return blocks;
}

// The exit code and what is printed for a write's report.
int ReportWrite(CliLink& link, CliConsole& console, const DeviceWriteReport& report,
                QJsonObject json) {
    json["written"] = BlocksJson(report);
    if (!report.backupPath.empty()) {
        console.Message("Прежнее содержимое прибора сохранено: " + report.backupPath);
        json["backup"] = Q(report.backupPath);
    }
    switch (report.end) {
    case WriteEnd::Refused:
        return ExitForResult(-1);
    case WriteEnd::NoBackup:
        if (report.backupCode != 0) {
            link.Failed(report.device, report.backupCode);
            // Nobody can be asked whether to write without a back-up: the answer is no.
            console.Message("Прибор не удалось прочитать перед записью, запись не начата. "
                            "Записать без резервной копии: --no-backup");
            return ExitForResult(report.backupCode);
        }
        console.Message("Резервную копию прибора не удается сохранить (" + report.backupError +
                        "), запись не начата. Записать без резервной копии: --no-backup");
        return CliExit::Usage;
    case WriteEnd::AlreadyThere:
        json["same"] = true;
        json["differences"] = QJsonArray();
        console.Result({}, json);
        return CliExit::Done;
    case WriteEnd::Failed: {
        const int exit = link.Failed(report.device, report.code);
        if (const std::string what = WriteOutcomeText(report); !what.empty())
            console.Message(what);
        return exit;
    }
    case WriteEnd::Done:
        break;
    }
    if (report.readBackCode != 0)
        return link.Failed(report.device, report.readBackCode);
    return ShowDifferences(console, report.differences,
                           "Запись проверена: прибор совпадает с файлом", json);
}

} // namespace

int RunWrite(const CliArgs& args, CliConsole& console) {
    const auto wanted = LoadImage(args.files[0], console);
    if (!wanted)
        return CliExit::Usage;
    DeviceDocument d;
    d.Load(*wanted, DocumentOrigin::File(args.files[0]));
    if (!GrantWriteAccess(args, console, d.program))
        return CliExit::Usage;
    CliLink link(args, console);
    if (!link.Open(args.speed))
        return CliExit::Line;
    // The file's own number byte is ignored, as on opening; the device keeps its number.
    d.modules.BusNumber = link.Device();
    d.modules.PutNewBusNumber(uint8_t(link.Device()));
    WriteRequest request;
    request.scope = WriteScope::WholeDevice(d.modules.GetModuleCount());
    request.accessLevel = d.program.AccessLevel;
    request.backup = !args.noBackup;
    request.initialPause = true;
    WriteHooks hooks;
    hooks.op = &link.Op();
    hooks.keepBackup = DeviceHistory::BackupKeeper(link.Port());
    hooks.progress = [&](int done, int total, const std::string& step) {
        console.Progress("Запись в прибор: " + step + " (" + std::to_string(done) + " из " +
                         std::to_string(total) + ")");
    };
    const DeviceWriteReport report = WriteToDevice(link.Port(), d, request, hooks);
    console.EndProgress();
    return ReportWrite(
        link, console, report,
        QJsonObject{{"command", "write"}, {"file", Q(args.files[0])}, {"device", args.device}});
}
