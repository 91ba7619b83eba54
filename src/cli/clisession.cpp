#include "cli/clisession.h"
#include "words/linkwords.h"

#include "cli/clifileread.h"
#include "cli/clistop.h"
#include "link/gatewayaddress.h"
#include "link/monitorrows.h"
#include "model/passwordfile.h"

#include <QJsonDocument>
#include <QTime>

namespace {
// The program keeps its password in two bytes; a larger store is not its own.
constexpr size_t kStoredPasswordMax = 1024;
} // namespace

std::string KindForResult(int code) {
    switch (code) {
    case ResultCode::PortCannotOpen:
    case ResultCode::PortNotOpen:
    case ResultCode::PortFailure:
        return "port";
    case ResultCode::Stopped:
        return "stopped";
    case ResultCode::BusyTooLong:
        return "busy";
    default:
        break;
    }
    return ExitForResult(code) == CliExit::Line ? "line" : "device";
}

int ExitForResult(int code) {
    if (code == ResultCode::Ok)
        return CliExit::Done;
    if (code == ResultCode::BusyTooLong)
        return CliExit::Busy;
    if (code < 0 || (code > 0 && code < ResultCode::ReceiveError))
        return CliExit::Differs;
    return CliExit::Line;
}

void CliConsole::Message(const std::string& text) {
    EndProgress();
    err << "lum08-cli: " << ConsoleOperator::OneLine(text) << '\n';
    err.flush();
}

void CliConsole::Warn(const std::string& kind, const std::string& text) {
    Message(text);
    warnings_.append(QJsonObject{{"kind", QString::fromStdString(kind)},
                                 {"text", QString::fromStdString(ConsoleOperator::OneLine(text))}});
}

int CliConsole::Record(int exit, const std::string& kind, const std::string& text, int code) {
    const Error e{exit, kind, ConsoleOperator::OneLine(text), code};
    if (exit > worst_.exit)
        worst_ = e;
    if (inDevice_ && exit > deviceWorst_.exit)
        deviceWorst_ = e;
    return exit;
}

QJsonValue CliConsole::ErrorJson(const Error& e) {
    if (e.exit == 0)
        return QJsonValue::Null;
    return QJsonObject{{"code", e.code},
                       {"kind", QString::fromStdString(e.kind)},
                       {"text", QString::fromStdString(e.text)}};
}

QJsonObject CliConsole::Envelope(int exit, const Error& e) {
    Error error = e;
    // Every failure is recorded where it happens; a gap here would still give a script its
    // "error".
    if (exit != 0 && error.exit == 0)
        error = {exit, "unknown", "Команда не выполнена", 0};
    return {{"ok", exit == 0}, {"exit", exit}, {"error", ErrorJson(error)}};
}

void CliConsole::BeginDevice(int device, bool several) {
    inDevice_ = true;
    several_ = several;
    deviceNumber_ = device;
    summary_.clear();
    deviceWorst_ = {};
    device_ = QJsonObject{{"device", device}};
}

int CliConsole::EndDevice(int exit) {
    inDevice_ = false;
    if (several_ && !json_) {
        std::string text = exit == 0 || deviceWorst_.text.empty() ? summary_ : deviceWorst_.text;
        out << deviceNumber_ << ' ' << exit << ' ' << (text.empty() ? "готово" : text) << '\n';
        out.flush();
    }
    QJsonObject entry = Envelope(exit, deviceWorst_);
    for (auto it = device_.begin(); it != device_.end(); ++it)
        entry[it.key()] = it.value();
    results_.append(entry);
    return exit;
}

int CliConsole::Finish(const std::string& command, int exit) {
    EndProgress();
    if (!json_)
        return exit;
    QJsonObject o = fields_;
    if (!results_.isEmpty())
        o["results"] = results_;
    if (!warnings_.isEmpty())
        o["warnings"] = warnings_;
    const QJsonObject envelope = Envelope(exit, worst_);
    for (auto it = envelope.begin(); it != envelope.end(); ++it)
        o[it.key()] = it.value();
    o["command"] = QString::fromStdString(command);
    out << QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
    out.flush();
    return exit;
}

void CliConsole::PrintUsageFailure(std::ostream& out, const std::string& command,
                                   const std::string& text) {
    QJsonObject o = Envelope(CliExit::Usage, {CliExit::Usage, "usage", text, 0});
    o["command"] = command.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(command));
    out << QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
    out.flush();
}

void CliConsole::PrintInfo(std::ostream& out, const std::string& command, QJsonObject fields) {
    const QJsonObject envelope = Envelope(CliExit::Done, {});
    for (auto it = envelope.begin(); it != envelope.end(); ++it)
        fields[it.key()] = it.value();
    fields["command"] = QString::fromStdString(command);
    out << QJsonDocument(fields).toJson(QJsonDocument::Indented).toStdString();
    out.flush();
}

int CliConsole::Fail(int exit, const std::string& kind, const std::string& text, int code) {
    Message(text);
    return Record(exit, kind, text, code);
}

void CliConsole::Progress(const std::string& text) {
    if (verbose_) {
        err << "lum08-cli: " << text << '\n';
        err.flush();
        return;
    }
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
    if (json_) {
        QJsonObject& into = inDevice_ ? device_ : fields_;
        for (auto it = json.begin(); it != json.end(); ++it)
            into[it.key()] = it.value();
        return;
    }
    if (inDevice_ && several_) {
        // The device's own line comes at its end; these go beside the messages.
        size_t start = 0;
        for (size_t end = lines.find('\n'); end != std::string::npos;
             start = end + 1, end = lines.find('\n', start))
            err << "lum08-cli: прибор " << deviceNumber_ << ": " << lines.substr(start, end - start)
                << '\n';
        return;
    }
    out << lines;
    out.flush();
}

CliLink::CliLink(const CliArgs& args, CliConsole& console)
    : args_(args), console_(console), op_(console.err), port_(line_, clock_) {
    port_.SetOperator(&op_);
    UseLinkWords(port_);
    // A signal or the deadline ends the command at the next request, and a wait for a reply or
    // for a gateway's connection before it.
    port_.SetStopSource([] { return CliStop::Due(); });
    port_.PortName = args.port;
    port_.Parity = std::string(1, args.parity);
    port_.StopBits = std::to_string(args.stopBits);
    port_.SetRoundTripMs(args.roundTripMs);
    port_.SetEchoMode(args.echo == "on"    ? EchoMode::On
                      : args.echo == "off" ? EchoMode::Off
                                           : EchoMode::Auto);
    port_.Transmit = args.rts ? TransmitControl::Rts : TransmitControl::Auto;
    if (args.trace) {
        // Every frame as the bus monitor shows it, a line each, as it happens.
        trace_ = std::make_unique<FrameRecorder>(16);
        trace_->SetWallClock([] { return int64_t(QTime::currentTime().msecsSinceStartOfDay()); });
        trace_->SetOnRecord([this] {
            const FrameRecord* last = trace_->At(trace_->EndSerial() - 1);
            const FrameRecord* before = trace_->At(trace_->EndSerial() - 2);
            console_.EndProgress();
            console_.err << TabSeparated({FormatRecord(*trace_, *last, before)});
            console_.err.flush();
        });
        port_.AddObserver(trace_.get());
    }
    // The first line of --verbose: the settings the line is used with, once per run.
    static bool announced = false;
    if (args.verbose && !announced) {
        announced = true;
        console_.Message(SettingsText());
    }
}

CliLink::~CliLink() {
    if (trace_)
        port_.RemoveObserver(trace_.get());
}

std::string CliLink::SettingsText() const {
    std::string devices;
    for (int d : args_.devices)
        devices += (devices.empty() ? "" : ",") + std::to_string(d);
    const std::string line =
        IsGatewayName(args_.port)
            ? "шлюз " + args_.port +
                  " (скорость, чётность и стоповые биты задаёт шлюз), время по сети до шлюза и "
                  "обратно " +
                  std::to_string(args_.roundTripMs) + " мс, "
            : "порт " + args_.port + ", " +
                  (args_.command == "scan"
                       ? "поиск на " + std::to_string(args_.speeds.size()) + " скоростях"
                       : std::to_string(args_.speed) + " бит/с") +
                  ", чётность " + std::string(1, args_.parity) + ", стоповых битов " +
                  std::to_string(args_.stopBits) + ", 8 бит данных, ";
    return line +
           (args_.command == "scan" ? "номера " + std::to_string(args_.firstDevice) + "-" +
                                          std::to_string(args_.lastDevice)
                                    : "прибор " + devices) +
           ", пауза перед передачей " + std::to_string(port_.GetDelayTx()) + " мс, повторы " +
           std::to_string(port_.GetHeaderRepeats()) + " и " + std::to_string(port_.BodyRepeats);
}

bool CliLink::Open(int speed) {
    port_.Speed = std::to_string(speed);
    if (port_.ApplyPortSettings() == 0)
        return true;
    if (CliStop::Due()) {
        console_.Fail(CliExit::Line, CliStop::Kind(), CliStop::Text(), ResultCode::Stopped);
        return false;
    }
    // The engine's message names the port and the reason when it knows it.
    std::string text = MessageFor(port_, Device(), ResultCode::PortCannotOpen).text;
    if (port_.OpenFailureText().empty()) {
        text += args_.port;
        if (!line_.errorText().empty())
            text += " (" + line_.errorText() + ")";
    }
    console_.Fail(CliExit::Line, "port", text, ResultCode::PortCannotOpen);
    return false;
}

int CliLink::Failed(int device, int code) {
    if (code == ResultCode::Stopped && CliStop::Due())
        return console_.Fail(CliExit::Line, CliStop::Kind(), CliStop::Text(), code);
    if (code > 0)
        return console_.Fail(ExitForResult(code), KindForResult(code),
                             MessageFor(port_, device, code).text, code);
    // A refusal the operator was told already.
    return console_.Record(ExitForResult(code), "refused", op_.LastText());
}

bool GrantWriteAccess(const CliArgs& args, CliConsole& console, int& accessLevel) {
    accessLevel = 0;
    if (!args.password) {
        console.Fail(CliExit::Usage, "access",
                     "Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт. "
                     "Укажите пароль: --password-file ФАЙЛ, переменная LUM08_PASSWORD или "
                     "--password ПАРОЛЬ");
        return false;
    }
    if (args.password->empty()) {
        console.Fail(CliExit::Usage, "access",
                     "Пароль пуст. Укажите пароль полного доступа: --password-file ФАЙЛ, "
                     "переменная LUM08_PASSWORD или --password ПАРОЛЬ");
        return false;
    }
    // The same check as at the program's start, with the password file of this folder: one
    // that is absent or cannot be read gives the built-in password, as there; one that is no
    // file at all is refused rather than taken for absent.
    std::optional<std::vector<uint8_t>> stored;
    const BoundedRead read =
        ReadFileBounded(Password::FileName, kStoredPasswordMax, [] { return CliStop::Due(); });
    switch (read.outcome) {
    case BoundedRead::Outcome::Read:
        stored = read.bytes;
        break;
    case BoundedRead::Outcome::Missing:
    case BoundedRead::Outcome::NoAccess:
    case BoundedRead::Outcome::Failed:
        break;
    case BoundedRead::Outcome::Stopped:
        console.Fail(CliExit::Line, CliStop::Kind(), CliStop::Text(), ResultCode::Stopped);
        return false;
    default:
        console.Fail(CliExit::Usage, "file",
                     std::string("Файл пароля программы не удается открыть: ") +
                         Password::FileName + " (" + BoundedReadReason(read.outcome) + ")");
        return false;
    }
    if (CheckPassword(*args.password, ExpectedPassword(stored)).level != 1) {
        console.Fail(CliExit::Usage, "access", "Введенный пароль неверен");
        return false;
    }
    accessLevel = 1;
    return true;
}
