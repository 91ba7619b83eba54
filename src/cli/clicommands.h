#pragma once
// The commands of lum08-cli. Each returns the program's exit code (CliExit).

#include "cli/cliargs.h"

#include <string>

class CliConsole;

// The password of a command that writes, when the command line does not give it: from
// --password-file, the LUM08_PASSWORD variable, or a prompt on the terminal. False, with the
// operator told, when the file cannot be read.
bool FindPassword(CliArgs& args, CliConsole& console);

int RunRead(const CliArgs& args, CliConsole& console);
int RunWrite(const CliArgs& args, CliConsole& console);
int RunVerify(const CliArgs& args, CliConsole& console);
int RunDiff(const CliArgs& args, CliConsole& console);
int RunScan(const CliArgs& args, CliConsole& console);
int RunClock(const CliArgs& args, CliConsole& console);

#include "model/devicecompare.h"
#include "model/deviceimage.h"

#include <QJsonObject>

#include <optional>
#include <vector>

// A configuration file as a device image, checked as strictly as a write needs; nothing, with
// the operator told, when it cannot be read or is not exactly a configuration.
std::optional<DeviceImage> LoadImage(const std::string& name, CliConsole& console);
// Why a file cannot be read, or a file cannot be made in its folder (empty: it can), in the
// operator's words rather than the system's.
std::string FileReadProblem(const std::string& name);
std::string FileWriteProblem(const std::string& name);
// Why read --out cannot name the file to make (empty: it can): a folder, a device, no name
// before .lum, another extension.
std::string OutNameProblem(const std::string& out);

// The names of the two sides of a comparison in JSON: {"file", "device"} or {"a", "b"}.
struct SideNames {
    const char* first;
    const char* second;
};

// Prints the difference lines (or the JSON with "same" and "differences", each difference an
// object of its parts beside its text) and tells the operator the outcome; Done when there are
// none, Differs otherwise.
int ShowDifferences(CliConsole& console, const std::vector<Difference>& differences,
                    const std::string& sameText, QJsonObject json, SideNames sides);
