#include "app/commandline.h"
#include "app/selftest.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    const CommandLine command = ParseCommandLine(argc, argv);
    if (command.action == CommandLine::Action::Exit)
        return command.exitCode;
    LumApplication app(argc, argv);
    if (command.action == CommandLine::Action::SelfTest)
        return RunSelfTest(app);
    return RunProgram(app, StartFile(app.arguments()));
}
