// Reading a whole device into a configuration file, and writing a file to a device.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "link/devicehistory.h"
#include "link/deviceimageread.h"
#include "link/filestore.h"
#include "model/configfile.h"
#include "model/devicecompare.h"

#include <QJsonArray>

#include <QFileInfo>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

int RunRead(const CliArgs& args, CliConsole& console) {
    const std::string out = WithLumExtension(args.out);
    if (out.empty())
        return console.Fail(CliExit::Usage, "file",
                            "Неверно задано имя файла: " + args.out + " (нужно расширение .lum)");
    if (!args.force && QFileInfo::exists(Q(out)))
        return console.Fail(CliExit::Usage, "file",
                            "Файл с таким именем существует: " + out +
                                ". Чтобы заменить его, добавьте --force");
    // Before the device is read: a file that cannot be made would waste the whole read.
    if (const std::string problem = FileWriteProblem(out); !problem.empty())
        return console.Fail(CliExit::Usage, "file",
                            "Файл не удается создать: " + out + " (" + problem + ")");
    CliLink link(args, console);
    if (!link.Open(args.speed))
        return CliExit::Line;
    DeviceData d;
    d.serv.BusNumber = link.Device();
    int steps = 0;
    ReadProgress progress;
    progress.step = [&] { console.Progress("Чтение прибора: шаг " + std::to_string(++steps)); };
    const int code = ReadWholeDevice(link.Port(), d.Model(), link.Device(), progress);
    if (code != ResultCode::Ok)
        return link.Failed(d.serv.BusNumber, code); // nothing was written to the file
    if (!ReplaceFileAtomically(Q(out), SaveConfigFile(d.serv, d.lum, d.f15))) {
        std::string problem = FileWriteProblem(out);
        if (problem.empty())
            problem = "ошибка записи на диск: возможно, он заполнен";
        return console.Fail(CliExit::Usage, "file",
                            "Файл не удается создать: " + out + " (" + problem + ")");
    }
    const std::string modif = d.serv.GetModificationCode();
    QJsonObject json{
        {"command", "read"}, {"file", Q(out)}, {"device", args.device}, {"modification", Q(modif)}};
    console.Result(out + " " + std::to_string(args.device) + " " + modif + "\n", json);
    return CliExit::Done;
}

namespace {

// The back-up before the write; Done to go on writing, or the exit code to end with.
int BackUp(CliLink& link, CliConsole& console, const DeviceImage& wanted, bool* alreadyThere) {
    int steps = 0;
    const BackupResult b = BackUpBeforeWrite(
        link.Port(), link.Device(), wanted, WriteScope::WholeDevice(wanted.ModuleCount()), false,
        [&] { console.Progress("Резервная копия прибора: шаг " + std::to_string(++steps)); });
    switch (b.step) {
    case BackupStep::Write:
        console.Message("Прежнее содержимое прибора сохранено: " + b.path.toStdString());
        return CliExit::Done;
    case BackupStep::AlreadyThere:
        *alreadyThere = true;
        console.Message("Прибор уже содержит эти данные");
        return CliExit::Done;
    case BackupStep::ReadFailed:
        // Nobody can be asked whether to write without a back-up: the answer is no.
        return console.Fail(ExitForResult(b.code), KindForResult(b.code),
                            link.Port().MessageFor(link.Device(), b.code).text +
                                ". Прибор не удалось прочитать перед записью, запись не начата. "
                                "Записать без резервной копии: --no-backup",
                            b.code);
    case BackupStep::ConfigDiffers:
        return CliExit::Done; // the write's own check refuses it and says why
    case BackupStep::SaveFailed:
        break;
    }
    return console.Fail(CliExit::Usage, "file",
                        "Резервную копию прибора не удается сохранить в " +
                            DeviceHistory::Folder().toStdString() +
                            ", запись не начата. Записать без резервной копии: --no-backup");
}

// Reads back what the write sent and compares it with the file.
int VerifyWrite(CliLink& link, CliConsole& console, const DeviceImage& wanted, int device,
                QJsonObject json) {
    const WriteScope scope = WriteScope::WholeDevice(wanted.ModuleCount());
    DeviceImage back = wanted;
    const int code = ReadBackScope(link.Port(), device, scope, back);
    if (code != ResultCode::Ok)
        return link.Failed(device, code);
    return ShowDifferences(console, CompareDeviceImages(wanted, back, CompareScope::Of(scope)),
                           "Запись проверена: прибор совпадает с файлом", json);
}

} // namespace

int RunWrite(const CliArgs& args, CliConsole& console) {
    const auto wanted = LoadImage(args.files[0], console);
    if (!wanted)
        return console.Worst().exit;
    DeviceData d;
    wanted->ToModel(d.serv, d.lum, d.f15, d.reserv);
    if (!GrantWriteAccess(args, console, d.lum))
        return CliExit::Usage;
    CliLink link(args, console);
    if (!link.Open(args.speed))
        return CliExit::Line;
    // The file's own number byte is ignored, as on opening; the device keeps its number.
    d.serv.BusNumber = link.Device();
    d.serv.PutNewBusNumber(uint8_t(link.Device()));
    QJsonObject json{{"command", "write"},
                     {"file", Q(args.files[0])},
                     {"device", args.device},
                     {"written", false}};
    if (!args.noBackup) {
        bool alreadyThere = false;
        if (const int exit = BackUp(link, console, *wanted, &alreadyThere); exit != 0)
            return exit;
        if (alreadyThere) {
            json["same"] = true;
            json["differences"] = QJsonArray();
            console.Result({}, json);
            return CliExit::Done;
        }
    }
    int sends = 0;
    auto onSend = [&] { console.Progress("Запись в прибор: блок " + std::to_string(++sends)); };
    WriteReport report;
    const int code = WriteWholeDevice(link.Port(), d.Model(), link.Op(),
                                      d.serv.GetModificationCode(), nullptr, onSend, &report);
    if (code != ResultCode::Ok) {
        const int exit = link.Failed(d.serv.BusNumber, code);
        if (code > 0) // a refusal (-1) sent nothing
            console.Message(PartialWriteText(report));
        return exit;
    }
    json["written"] = true;
    return VerifyWrite(link, console, *wanted, d.serv.BusNumber, json);
}
