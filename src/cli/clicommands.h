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

#include "model/deviceimage.h"

#include <QJsonObject>

#include <optional>
#include <vector>

// A configuration file as a device image; nothing, with the operator told, when it cannot be
// read or is too short.
std::optional<DeviceImage> LoadImage(const std::string& name, CliConsole& console);

// Prints the difference lines (or the JSON with "same" and "differences") and tells the
// operator the outcome; Done when there are none, Differs otherwise.
int ShowDifferences(CliConsole& console, const std::vector<std::string>& lines,
                    const std::string& sameText, QJsonObject json);
