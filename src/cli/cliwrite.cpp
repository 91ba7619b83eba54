// Writing a file to a device: the back-up, the write as F10 does it, the read-back.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "link/devicehistory.h"
#include "link/deviceimageread.h"
#include "model/devicecompare.h"

#include <QJsonArray>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Why the device cannot take the file's blocks (its modules are others), in the console's
// words; empty when it can.
std::string ModulesMismatch(const DeviceImage& device, const DeviceImage& wanted) {
    if (device.Config()[0] != wanted.Config()[0])
        return "Количество модулей в приборе\nне соответствует количеству модулей в файле";
    if (!std::ranges::equal(device.Config(), wanted.Config()))
        return "Передаваемая конфигурация\nне соответствует конфигурации прибора";
    return {};
}

// How far the write got, block by block, for the JSON's "written".
class WriteProgress {
public:
    void Step(int done, int total) {
        total_ = total;
        if (done < total && done != current_) {
            current_ = done;
            sent_ = false;
        }
    }
    void Sent() { sent_ = true; }

    // module blocks 1..n, then the network image, block 17: written, unconfirmed (sent, not
    // confirmed), not-sent, or differs (written, read back different).
    QJsonArray Blocks(const WriteReport& report, const std::vector<Difference>& back) const {
        QJsonArray list;
        for (int k = 0; k <= report.modulesTotal; ++k) {
            const bool network = k == report.modulesTotal;
            const bool written = network ? report.networkWritten : k < report.modulesWritten;
            std::string state = written                  ? "written"
                                : k == current_ && sent_ ? "unconfirmed"
                                                         : "not-sent";
            for (const Difference& d : back)
                if (written && (network ? d.module == 0 : d.module == k + 1))
                    state = "differs";
            list.append(QJsonObject{
                {"block", network ? 17 : k + 1},
                {"what", network ? "Сетевые блоки" : Q("Модуль " + std::to_string(k + 1))},
                {"state", Q(state)}});
        }
        return list;
    }

private:
    int total_ = 0;
    int current_ = -1;
    bool sent_ = false;
};

// The back-up before the write; Done to go on writing, or the exit code to end with.
int BackUp(CliLink& link, CliConsole& console, const DeviceImage& wanted, QJsonObject& json,
           bool* alreadyThere) {
    int steps = 0;
    const BackupResult b = BackUpBeforeWrite(
        link.Port(), link.Device(), wanted, WriteScope::WholeDevice(wanted.ModuleCount()), false,
        [&] { console.Progress("Резервная копия прибора: шаг " + std::to_string(++steps)); });
    switch (b.step) {
    case BackupStep::Write:
        json["backup"] = b.path;
        if (!b.path.isEmpty())
            console.Message("Прежнее содержимое прибора сохранено: " + b.path.toStdString());
        return CliExit::Done;
    case BackupStep::AlreadyThere:
        *alreadyThere = true;
        console.Message("Прибор уже содержит эти данные");
        console.Summary("Прибор уже содержит эти данные");
        return CliExit::Done;
    case BackupStep::ReadFailed:
        // Nobody can be asked whether to write without a back-up: the answer is no.
        return console.Fail(ExitForResult(b.code), KindForResult(b.code),
                            link.Port().MessageFor(link.Device(), b.code).text +
                                ". Прибор не удалось прочитать перед записью, запись не начата. "
                                "Записать без резервной копии: --no-backup",
                            b.code);
    case BackupStep::ConfigDiffers:
        return console.Fail(CliExit::Differs, "refused", ModulesMismatch(b.device, wanted));
    case BackupStep::SaveFailed:
        break;
    }
    return console.Fail(CliExit::Usage, "file",
                        "Резервную копию прибора не удается сохранить в " +
                            DeviceHistory::Folder().toStdString() +
                            ", запись не начата. Записать без резервной копии: --no-backup");
}

// Without a back-up the device's modules are still checked before anything is sent.
int CheckModules(CliLink& link, CliConsole& console, const DeviceImage& wanted) {
    DeviceImage device;
    const int code = ReadDeviceConfig(link.Port(), link.Device(), device);
    if (code != ResultCode::Ok)
        return link.Failed(link.Device(), code);
    if (const std::string why = ModulesMismatch(device, wanted); !why.empty())
        return console.Fail(CliExit::Differs, "refused", why);
    return CliExit::Done;
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
    QJsonObject json{{"file", Q(args.files[0])}, {"device", args.device}, {"backup", QJsonValue()}};
    bool alreadyThere = false;
    const int checked = args.noBackup ? CheckModules(link, console, *wanted)
                                      : BackUp(link, console, *wanted, json, &alreadyThere);
    WriteReport report;
    report.modulesTotal = wanted->ModuleCount();
    WriteProgress progress;
    if (checked != CliExit::Done || alreadyThere) {
        json["same"] = alreadyThere;
        json["differences"] = QJsonArray();
        json["written"] = progress.Blocks(report, {});
        console.Result({}, json);
        return checked;
    }
    int sends = 0;
    auto onSend = [&] {
        progress.Sent();
        console.Progress("Запись в прибор: блок " + std::to_string(++sends));
    };
    auto share = [&](int done, int total, const std::string&) { progress.Step(done, total); };
    const int code =
        WriteWholeDevice(link.Port(), d.Model(), link.Op(), d.serv.GetModificationCode(), nullptr,
                         onSend, &report, share);
    if (code != ResultCode::Ok) {
        json["written"] = progress.Blocks(report, {});
        console.Result({}, json);
        const int exit = link.Failed(d.serv.BusNumber, code);
        if (code > 0) // a refusal (-1) sent nothing
            console.Message(PartialWriteText(report));
        return exit;
    }
    // Reads back what the write sent and compares it with the file.
    const WriteScope scope = WriteScope::WholeDevice(wanted->ModuleCount());
    DeviceImage back = *wanted;
    const int readBack = ReadBackScope(link.Port(), d.serv.BusNumber, scope, back);
    const auto differences =
        readBack == ResultCode::Ok
            ? CompareDeviceImagesInParts(*wanted, back, CompareScope::Of(scope))
            : std::vector<Difference>{};
    json["written"] = progress.Blocks(report, differences);
    if (readBack != ResultCode::Ok) {
        console.Result({}, json);
        return link.Failed(d.serv.BusNumber, readBack);
    }
    return ShowDifferences(console, differences, "Запись проверена: прибор совпадает с файлом",
                           json, {"file", "device"});
}
