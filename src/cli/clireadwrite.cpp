// Reading a whole device into a configuration file, and writing a file to a device.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "link/filestore.h"
#include "model/configfile.h"

#include <QFileInfo>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Loads a configuration file into the model; false with the operator told.
bool LoadFile(const std::string& name, DeviceData& d, CliConsole& console) {
    const auto bytes = ReadWholeFile(Q(name));
    if (!bytes) {
        console.Message("Файл не удается открыть: " + name);
        return false;
    }
    if (!LoadConfigFile(*bytes, d.serv, d.lum, d.f15, d.reserv)) {
        console.Message("Файл " + name + " не является файлом конфигурации ЛУМ-08 (" +
                        std::to_string(bytes->size()) + " байт вместо 712)");
        return false;
    }
    return true;
}

} // namespace

std::string LumFileName(const std::string& name) {
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return name + ".lum";
    return name.substr(dot) == ".lum" ? name : std::string();
}

int RunRead(const CliArgs& args, CliConsole& console) {
    const std::string out = LumFileName(args.out);
    if (out.empty()) {
        console.Message("Неверно задано имя файла: " + args.out + " (нужно расширение .lum)");
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
    DeviceData d;
    d.serv.NumUstr = link.Device();
    int steps = 0;
    ReadProgress progress;
    progress.step = [&] { console.Progress("Чтение прибора: шаг " + std::to_string(++steps)); };
    const int code = ReadWholeDevice(link.Port(), d.Model(), link.Device(), progress);
    if (code != ResultCode::Ok)
        return link.Failed(d.serv.NumUstr, code); // nothing was written to the file
    QString why;
    if (!ReplaceFileAtomically(Q(out), SaveConfigFile(d.serv, d.lum, d.f15), &why)) {
        console.Message("Файл  не удается создать: " + out + " (" + why.toStdString() + ")");
        return CliExit::Usage;
    }
    const std::string modif = d.serv.GetModifCode();
    QJsonObject json{
        {"command", "read"}, {"file", Q(out)}, {"device", args.device}, {"modification", Q(modif)}};
    console.Result(out + " " + std::to_string(args.device) + " " + modif + "\n", json);
    return CliExit::Done;
}

int RunWrite(const CliArgs& args, CliConsole& console) {
    DeviceData d;
    if (!LoadFile(args.files[0], d, console))
        return CliExit::Usage;
    if (!GrantWriteAccess(args, console, d.lum))
        return CliExit::Usage;
    CliLink link(args, console);
    if (!link.Open(args.speed))
        return CliExit::Line;
    // The file's own number byte is ignored, as on opening; the device keeps its number.
    d.serv.NumUstr = link.Device();
    d.serv.PutNumUstrZ(uint8_t(link.Device()));
    int sends = 0;
    auto onSend = [&] { console.Progress("Запись в прибор: блок " + std::to_string(++sends)); };
    const int code =
        WriteWholeDevice(link.Port(), d.Model(), link.Op(), d.serv.GetModifCode(), nullptr, onSend);
    if (code != ResultCode::Ok)
        return link.Failed(d.serv.NumUstr, code);
    QJsonObject json{{"command", "write"},
                     {"file", Q(args.files[0])},
                     {"device", args.device},
                     {"written", true}};
    console.Result(args.files[0] + " " + std::to_string(args.device) + " записан\n", json);
    return CliExit::Done;
}
