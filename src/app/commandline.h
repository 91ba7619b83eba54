#pragma once
// The program's few command-line options. They are looked at before the application object
// exists, so that --version and --help work without a screen.

#include <QStringList>

struct CommandLine {
    enum class Action { Run, SelfTest, Exit };
    Action action = Action::Run;
    int exitCode = 0; // for Exit
};

// Prints what --version and --help ask for; options it does not know are left to the toolkit.
CommandLine ParseCommandLine(int argc, char** argv);

// The configuration file named on the command line (the first argument that is no option), or
// empty; taken from the application's arguments, after the toolkit took its own out.
QString StartFile(const QStringList& arguments);
