// Comparing a device or a file with a configuration file.
// (work in progress: waits for the comparison of device images)

#include "cli/clicommands.h"
#include "cli/clisession.h"

int RunVerify(const CliArgs&, CliConsole& console) {
    console.Message("Команда verify ещё не готова");
    return CliExit::Usage;
}

int RunDiff(const CliArgs&, CliConsole& console) {
    console.Message("Команда diff ещё не готова");
    return CliExit::Usage;
}
