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

// What a name is when it is not a file's: a folder, a device, something else.
std::string NotAFile(const QFileInfo& info) {
    if (!info.exists())
        return {};
    if (info.isDir())
        return "это папка, а не файл";
    return info.isFile() ? std::string() : "это не обычный файл";
}

} // namespace

std::string OutNameProblem(const std::string& out) {
    if (out.empty() || out.back() == '/' || out.back() == '\\')
        return "нужно имя файла, а не папка";
    // Before the extension is added: /dev/null must not become /dev/null.lum.
    if (const std::string problem = NotAFile(QFileInfo(Q(out))); !problem.empty())
        return problem;
    const std::string named = WithLumExtension(out);
    if (named.empty())
        return "нужно расширение .lum";
    if (QFileInfo(Q(named)).completeBaseName().isEmpty() ||
        QFileInfo(Q(named)).fileName() == ".lum")
        return "нет имени перед .lum";
    return NotAFile(QFileInfo(Q(named)));
}

int RunRead(const CliArgs& args, CliConsole& console) {
    const std::string out = WithLumExtension(args.out);
    if (const std::string problem = OutNameProblem(args.out); !problem.empty())
        return console.Fail(CliExit::Usage, "file",
                            "Неверно задано имя файла: " + args.out + " (" + problem + ")");
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
