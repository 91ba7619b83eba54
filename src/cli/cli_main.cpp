// lum08-cli: the console programmer for series work.

#include "cli/clicommands.h"
#include "cli/clisession.h"
#include "version/version.h"

#include <QCoreApplication>

#include <iostream>
#ifdef _WIN32
#include <io.h>
#define LUM_ISATTY(fd) (_isatty(fd) != 0)
#else
#include <unistd.h>
#define LUM_ISATTY(fd) (::isatty(fd) != 0)
#endif

namespace {

int Run(const CliArgs& args, CliConsole& console) {
    if (args.command == "read")
        return RunRead(args, console);
    if (args.command == "write")
        return RunWrite(args, console);
    if (args.command == "verify")
        return RunVerify(args, console);
    if (args.command == "diff")
        return RunDiff(args, console);
    if (args.command == "scan")
        return RunScan(args, console);
    return RunClock(args, console);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("lum08");
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string error;
    const auto args = ParseCliArgs(words, &error);
    if (!args) {
        std::cerr << "lum08-cli: " << error << "\nСправка: lum08-cli --help\n";
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
    CliConsole console(std::cout, std::cerr, LUM_ISATTY(2), args->json);
    return Run(*args, console);
}
