// lum08-cli: the console programmer for series work.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "cli/clistop.h"
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

// The commands on one device, each device of the list in turn: its own entry of the results,
// and the worst exit code of them all.
int OnEachDevice(const CliArgs& args, CliConsole& console,
                 int (*run)(const CliArgs&, CliConsole&)) {
    console.BeginDevice(args.device);
    return console.EndDevice(run(args, console));
}

int Run(const CliArgs& args, CliConsole& console) {
    if (args.command == "read")
        return OnEachDevice(args, console, RunRead);
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
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("lum08");
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string error;
    auto args = ParseCliArgs(words, &error);
    if (!args) {
        std::cerr << "lum08-cli: " << error << "\nСправка: lum08-cli --help\n";
        if (std::find(words.begin(), words.end(), "--json") != words.end())
            CliConsole::PrintUsageFailure(std::cout, error);
        return CliExit::Usage;
    }
    if (args->help) {
        std::cout << CliUsageText();
        return CliExit::Done;
    }
    if (args->version) {
        std::cout << LumVersionLine("lum08-cli") << '\n';
        return CliExit::Done;
    }
    CliStop::Install(args->timeoutSeconds > 0 ? args->timeoutSeconds
                                              : CliStop::DefaultTimeoutSeconds(*args));
    CliConsole console(std::cout, std::cerr, LUM_ISATTY(2), args->json);
    // Once for every device of the command, before the first is touched.
    const bool writes = args->command == "write" || (args->command == "clock" && args->setNow);
    if (writes && !FindPassword(*args, console))
        return console.Finish(args->command, console.Worst().exit);
    return console.Finish(args->command, Run(*args, console));
}
