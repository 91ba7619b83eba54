#pragma once
// The commands of lum08-cli. Each returns the program's exit code (CliExit).

#include "cli/cliargs.h"

#include <string>

class CliConsole;

int RunRead(const CliArgs& args, CliConsole& console);
int RunWrite(const CliArgs& args, CliConsole& console);
int RunVerify(const CliArgs& args, CliConsole& console);
int RunDiff(const CliArgs& args, CliConsole& console);
int RunScan(const CliArgs& args, CliConsole& console);
int RunClock(const CliArgs& args, CliConsole& console);

// A configuration file name as the program's save takes it: without an extension ".lum" is
// added; another extension than ".lum" gives an empty name.
std::string LumFileName(const std::string& name);
