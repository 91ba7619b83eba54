// Reading a whole device into a configuration file.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "model/configfile.h"
#include "platform/devicehistory.h"
#include "platform/filestore.h"

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
    if (DeviceHistory::IsInHistory(Q(out)))
        return console.Fail(CliExit::Usage, "file",
                            "Это папка истории прибора: резервные копии в ней не заменяются. "
                            "Укажите файл в другой папке");
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
    DeviceDocument d;
    d.modules.BusNumber = link.Device();
    int steps = 0;
    ReadProgress progress;
    progress.step = [&] { console.Progress("Чтение прибора: шаг " + std::to_string(++steps)); };
    const int code = ReadWholeDevice(link.Port(), d, link.Device(), progress);
    if (code != ResultCode::Ok)
        return link.Failed(d.modules.BusNumber, code); // nothing was written to the file
    if (!ReplaceFileAtomically(Q(out), d.Image().ToFile())) {
        std::string problem = FileWriteProblem(out);
        if (problem.empty())
            problem = "ошибка записи на диск: возможно, он заполнен";
        return console.Fail(CliExit::Usage, "file",
                            "Файл не удается создать: " + out + " (" + problem + ")");
    }
    const std::string modif = d.modules.GetModificationCode();
    QJsonObject json{{"file", Q(out)}, {"device", args.device}, {"modification", Q(modif)}};
    console.Summary(out + " " + modif);
    console.Result(out + " " + std::to_string(args.device) + " " + modif + "\n", json);
    return CliExit::Done;
}
