// The files of the console program: checked like the program checks them, before any device is
// touched, with the reasons in the operator's words.

#include "cli/clicommands.h"
#include "cli/clifileread.h"
#include "cli/clisession.h"
#include "model/configfile.h"
#include "platform/filestore.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

std::string FileReadProblem(const std::string& name) {
    const QFileInfo info(Q(name));
    if (!info.exists())
        return "нет такого файла";
    if (info.isDir())
        return "это папка, а не файл";
    if (!info.isReadable())
        return "нет прав на чтение файла";
    return "файл не читается";
}

std::string FileWriteProblem(const std::string& name) {
    const QFileInfo info(Q(name));
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists())
        return "нет папки " + info.absolutePath().toStdString();
    if (!folder.isDir())
        return info.absolutePath().toStdString() + " не является папкой";
    if (info.isDir())
        return "это папка, а не файл";
    // The file is replaced through a temporary file beside it: the folder must take one.
    QTemporaryFile probe(info.absolutePath() + "/.lum08-XXXXXX");
    if (!folder.isWritable() || !probe.open())
        return "нет прав на запись в папку " + info.absolutePath().toStdString();
    return {};
}

std::optional<DeviceImage> LoadImage(const std::string& name, CliConsole& console) {
    const auto bytes =
        ReadForCommand(name, ConfigFile::Size, true, "Файл не удается открыть", console);
    if (!bytes)
        return std::nullopt;
    const std::string problem = StrictConfigFileProblem(*bytes);
    auto image = problem.empty() ? DeviceImage::FromFile(*bytes) : std::nullopt;
    if (!image)
        console.Fail(CliExit::Usage, "file",
                     "Файл не удается открыть: " + name + " - это не файл конфигурации (" +
                         problem + ")");
    return image;
}
