#include "cli/clisession.h"

#include "model/passwordfile.h"
#include "platform/filestore.h"

#include <QJsonDocument>

int ExitForResult(int code) {
    if (code == ResultCode::Ok)
        return CliExit::Done;
    if (code < 0 || (code > 0 && code < ResultCode::ReceiveError))
        return CliExit::Differs;
    return CliExit::Line;
}

void CliConsole::Message(const std::string& text) {
    EndProgress();
    err << "lum08-cli: " << ConsoleOperator::OneLine(text) << '\n';
    err.flush();
}

void CliConsole::Progress(const std::string& text) {
    if (!progress_)
        return;
    // \r and clearing to the end of the line: the next step overwrites this one.
    err << '\r' << text << "\x1b[K";
    err.flush();
    progressShown_ = true;
}

void CliConsole::EndProgress() {
    if (!progressShown_)
        return;
    err << "\r\x1b[K";
    err.flush();
    progressShown_ = false;
}

void CliConsole::Result(const std::string& lines, const QJsonObject& json) {
    EndProgress();
    if (json_)
        out << QJsonDocument(json).toJson(QJsonDocument::Indented).toStdString();
    else
        out << lines;
    out.flush();
}

CliLink::CliLink(const CliArgs& args, CliConsole& console)
    : args_(args), console_(console), op_(console.err), port_(line_, clock_) {
    port_.SetOperator(&op_);
    port_.PortName = args.port;
    port_.Parity = std::string(1, args.parity);
    port_.StopBits = std::to_string(args.stopBits);
}

bool CliLink::Open(int speed) {
    port_.Speed = std::to_string(speed);
    if (port_.ApplyPortSettings() == 0)
        return true;
    // The engine's message names the port and the reason when it knows it.
    std::string text = port_.MessageFor(Device(), ResultCode::PortCannotOpen).text;
    if (port_.OpenFailureText().empty()) {
        text += args_.port;
        if (!line_.errorText().empty())
            text += " (" + line_.errorText() + ")";
    }
    console_.Message(text);
    return false;
}

int CliLink::Failed(int device, int code) {
    if (code > 0)
        console_.Message(port_.MessageFor(device, code).text);
    return ExitForResult(code);
}

bool GrantWriteAccess(const CliArgs& args, CliConsole& console, InputProgram& lum) {
    lum.AccessLevel = 0;
    if (!args.password) {
        console.Message("Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт. "
                        "Укажите пароль: --password ПАРОЛЬ");
        return false;
    }
    // The same check as at the program's start, with the password file of this folder.
    const std::string expected =
        ExpectedPassword(ReadWholeFile(QString::fromLatin1(Password::FileName)));
    if (CheckPassword(*args.password, expected).level != 1) {
        console.Message("Введенный пароль неверен");
        return false;
    }
    lum.AccessLevel = 1;
    return true;
}
