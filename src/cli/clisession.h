#pragma once
// What every command of lum08-cli shares: the exit codes, the console's streams, the engine on
// the real line set up from the port options, and a device image to read into or write from.

#include "cli/cliargs.h"
#include "cli/clioperator.h"
#include "link/devicesequences.h"
#include "link/exchangeengine.h"
#include "link/framerecorder.h"
#include "link/steadylineclock.h"
#include "model/devicedocument.h"
#include "platform/portline.h"

#include <QJsonArray>
#include <QJsonObject>

#include <memory>
#include <ostream>
#include <string>

namespace CliExit {
constexpr int Done = 0;    // done, and the same
constexpr int Differs = 1; // differences found, or the device refused
constexpr int Usage = 2;   // the command line or a file is wrong
constexpr int Line = 3;    // the port or the line failed
constexpr int Busy = 4;    // the device stayed busy past the write's limit
} // namespace CliExit

// The exit code for an exchange result: a device's exception is its refusal, the engine's own
// codes (no answer, time-out, checksum, port) are line failures; -1 is a refusal the sequence
// has already told.
int ExitForResult(int code);
// The kind of failure a result code is (see CliConsole::Fail).
std::string KindForResult(int code);

class CliConsole {
public:
    // progress: on a terminal, steps overwrite each other; verbose: every step is a line.
    CliConsole(std::ostream& out, std::ostream& err, bool progress, bool json, bool verbose = false)
        : out(out), err(err), progress_(progress), json_(json), verbose_(verbose) {}
    // A message for the operator on the error stream.
    void Message(const std::string& text);
    // A warning: a message that does not stop the command, kept for the JSON's "warnings"
    // ({"kind", "text"} each).
    void Warn(const std::string& kind, const std::string& text);
    // A failure: its message, kept as what went wrong (kind: usage, file, access, port, line,
    // device, refused, differs, stopped, timeout; code: the exchange's result code, 0 for none).
    // Returns exit.
    int Fail(int exit, const std::string& kind, const std::string& text, int code = 0);
    // The same for a failure whose message is out already (the operator told it).
    int Record(int exit, const std::string& kind, const std::string& text, int code = 0);
    // A progress line, shown only on a terminal; EndProgress clears it.
    void Progress(const std::string& text);
    void EndProgress();
    // A result: the text lines on standard output, or with --json its fields for the one
    // object the command prints at its end (Finish).
    void Result(const std::string& lines, const QJsonObject& json);

    // The work on one device of a command that takes several: its results and failures go to
    // its own entry of "results" until EndDevice.
    // With several devices standard output has one line per device: "N EXIT SUMMARY"; the
    // command's own result lines go to the error stream, marked with the device.
    void BeginDevice(int device, bool several);
    int EndDevice(int exit);
    // The device's result in a few words for that line ("совпадает", a file and its code).
    void Summary(const std::string& text) { summary_ = text; }

    // The end of the command: with --json the one object {"ok", "exit", "command", "error",
    // the results...}, on success and on every failure. Returns exit.
    int Finish(const std::string& command, int exit);
    // That object for a command line that could not be parsed; "command" is null when no
    // command was recognised.
    static void PrintUsageFailure(std::ostream& out, const std::string& command,
                                  const std::string& text);
    // The object of --help and --version: ok, exit 0, error null, "command" ("help", "version")
    // and the fields.
    static void PrintInfo(std::ostream& out, const std::string& command, QJsonObject fields);

    std::ostream& out;
    std::ostream& err;

    struct Error {
        int exit = 0;
        std::string kind;
        std::string text;
        int code = 0;
    };
    // The worst failure so far (the first of equals); exit 0 when none.
    const Error& Worst() const { return worst_; }
    bool Json() const { return json_; }

private:
    static QJsonValue ErrorJson(const Error& e);
    static QJsonObject Envelope(int exit, const Error& e);

    bool progress_;
    bool json_;
    bool verbose_;
    bool progressShown_ = false;
    Error worst_;
    Error deviceWorst_;
    bool inDevice_ = false;
    bool several_ = false;
    int deviceNumber_ = 0;
    std::string summary_;
    QJsonObject fields_;
    QJsonObject device_;
    QJsonArray results_;
    QJsonArray warnings_;
};

class CliLink {
public:
    CliLink(const CliArgs& args, CliConsole& console);
    ~CliLink();
    CliLink(const CliLink&) = delete;
    CliLink& operator=(const CliLink&) = delete;

    // Opens the port at the speed; false when it cannot be opened (the operator was told).
    bool Open(int speed);
    ExchangeEngine& Port() { return port_; }
    PortLine& Line() { return line_; }
    ConsoleOperator& Op() { return op_; }
    int Device() const { return args_.device - 1; } // 0-based
    // Tells the engine's message for a failed exchange; the exit code for it.
    int Failed(int device, int code);
    // The listener that prints every frame with --trace (nullptr without).
    FrameObserver* Trace() { return trace_.get(); }
    // The line settings in one line ("порт ..., 9600 бит/с, чётность N, ..."), for --verbose.
    std::string SettingsText() const;

private:
    const CliArgs& args_;
    CliConsole& console_;
    ConsoleOperator op_;
    PortLine line_;
    SteadyLineClock clock_;
    ExchangeEngine port_;
    std::unique_ptr<FrameRecorder> trace_;
};

// The full access level for commands that write to a device: the password must be the one the
// program itself accepts. False with the operator told otherwise.
bool GrantWriteAccess(const CliArgs& args, CliConsole& console, int& accessLevel);
