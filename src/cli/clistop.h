#pragma once
// When a command of lum08-cli must stop: on SIGINT or SIGTERM, and at its overall deadline
// (--timeout). The engine asks Due() wherever it looks at the stop, so the command ends at
// the next request boundary and can still say what the device now holds.

#include <string>

struct CliArgs;

namespace CliStop {

// The default deadline of a command, in seconds: what its slowest sane run needs, with room.
int DefaultTimeoutSeconds(const CliArgs& args);

// Catches SIGINT and SIGTERM (a second one ends the program at once): the first thing the
// program does, so that no signal finds it without a word to say. The waits that must end at a
// stop (the line, a gateway's connect, a file, the password prompt) ask Due() in turns.
void InstallSignals();
// Starts the deadline: the command's time counts from here.
void StartDeadline(int timeoutSeconds);

// Whether the command must stop now, and why (empty while it need not).
bool Due();
// "stopped" for a signal, "timeout" for the deadline.
std::string Kind();
std::string Text();

} // namespace CliStop
