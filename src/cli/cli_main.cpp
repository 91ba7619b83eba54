// lum08-cli: the console programmer for series work.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "cli/clistop.h"
#include "model/configfile.h"
#include "version/version.h"

#include <QCoreApplication>

#include <algorithm>
#include <iostream>
#ifdef _WIN32
#include <io.h>
#define LUM_ISATTY(fd) (_isatty(fd) != 0)
#else
#include <unistd.h>
#define LUM_ISATTY(fd) (::isatty(fd) != 0)
#endif

namespace {

// read --out NAME.lum for several devices: NAME_07.lum for bus number 7.
std::string OutForDevice(const std::string& out, int device) {
    const std::string named = WithLumExtension(out);
    if (named.empty())
        return out; // the read itself tells the name is wrong
    const std::string number = (device < 10 ? "_0" : "_") + std::to_string(device);
    return named.substr(0, named.size() - 4) + number + ".lum";
}

// The commands on one device, each device of the list in turn: its own entry of the results,
// and the worst exit code of them all.
int OnEachDevice(const CliArgs& args, CliConsole& console,
                 int (*run)(const CliArgs&, CliConsole&)) {
    const bool several = args.devices.size() > 1;
    int worst = CliExit::Done;
    for (int device : args.devices) {
        // A stop or the deadline leaves the devices not yet begun untouched, and says so.
        if (CliStop::Due()) {
            if (console.Worst().kind != CliStop::Kind()) // told once, by the device it ended
                console.Fail(CliExit::Line, CliStop::Kind(), CliStop::Text(), ResultCode::Stopped);
            return std::max(worst, int(CliExit::Line));
        }
        CliArgs one = args;
        one.device = device;
        if (several && !args.out.empty())
            one.out = OutForDevice(args.out, device);
        console.BeginDevice(device, several);
        worst = std::max(worst, console.EndDevice(run(one, console)));
    }
    return worst;
}

int Run(const CliArgs& args, CliConsole& console) {
    if (args.command == "read") {
        // The name as given, before a device's number is put into it.
        if (const std::string problem = OutNameProblem(args.out); !problem.empty())
            return console.Fail(CliExit::Usage, "file",
                                "Неверно задано имя файла: " + args.out + " (" + problem + ")");
        return OnEachDevice(args, console, RunRead);
    }
    if (args.command == "write")
        return OnEachDevice(args, console, RunWrite);
    if (args.command == "verify")
        return OnEachDevice(args, console, RunVerify);
    if (args.command == "diff")
        return RunDiff(args, console);
    if (args.command == "scan")
        return RunScan(args, console);
    return OnEachDevice(args, console, RunClock);
}

} // namespace

int main(int argc, char** argv) {
    // Before anything else: a signal from here on ends the program with its word said.
    CliStop::InstallSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("lum08");
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string error;
    auto args = ParseCliArgs(words, &error);
    if (!args) {
        std::cerr << "lum08-cli: " << error << "\nСправка: lum08-cli --help\n";
        if (AsksForJson(words))
            CliConsole::PrintUsageFailure(std::cout, CommandWord(words), error);
        return CliExit::Usage;
    }
    if (args->help) {
        if (args->json)
            CliConsole::PrintInfo(std::cout, "help",
                                  {{"help", QString::fromStdString(CliUsageText())}});
        else
            std::cout << CliUsageText();
        return CliExit::Done;
    }
    if (args->version) {
        if (args->json)
            CliConsole::PrintInfo(std::cout, "version",
                                  {{"version", LumVersion()},
                                   {"text", QString::fromStdString(LumVersionLine("lum08-cli"))}});
        else
            std::cout << LumVersionLine("lum08-cli") << '\n';
        return CliExit::Done;
    }
    CliStop::StartDeadline(args->timeoutSeconds > 0 ? args->timeoutSeconds
                                                    : CliStop::DefaultTimeoutSeconds(*args));
    CliConsole console(std::cout, std::cerr, LUM_ISATTY(2), args->json);
    // Once for every device of the command, before the first is touched.
    const bool writes = args->command == "write" || (args->command == "clock" && args->setNow);
    if (writes && !FindPassword(*args, console))
        return console.Finish(args->command, console.Worst().exit);
    // A signal that came while the program started, or cut the password prompt short.
    if (CliStop::Due())
        return console.Finish(args->command, console.Fail(CliExit::Line, CliStop::Kind(),
                                                          CliStop::Text(), ResultCode::Stopped));
    return console.Finish(args->command, Run(*args, console));
}
