#include "cli/clistop.h"

#include "cli/cliargs.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#ifndef _WIN32
#include <signal.h>
#endif

namespace {

volatile std::sig_atomic_t caught = 0;
std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
int timeoutSeconds = 0;
bool timedOut = false;

extern "C" void OnSignal(int signal) {
    // The second one is not waited for: the program ends as the signal says.
    if (caught != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    caught = signal;
}

void Catch(int signal) {
#ifdef _WIN32
    std::signal(signal, OnSignal);
#else
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // the waits that must end ask Due() in turns
    ::sigaction(signal, &action, nullptr);
#endif
}

// Seconds for one device: a whole read with every request repeated to the limit, or the
// back-up, the write and its read-back.
constexpr int kReadSeconds = 120;
constexpr int kWriteSeconds = 300;

} // namespace

namespace CliStop {

int DefaultTimeoutSeconds(const CliArgs& args) {
    const int devices = std::max<int>(1, int(args.devices.size()));
    if (args.command == "scan") {
        // Each probe, asked twice when silent: the pause, its wait (the adapter's latency and a
        // gateway's round trip in it) and the frames, with room for a slow machine.
        const int probes = int(args.speeds.size()) * (args.lastDevice - args.firstDevice + 1);
        return 10 +
               probes * 3 * (25 + args.probeMs + args.latencyMs + args.roundTripMs + 40) / 1000;
    }
    if (args.command == "diff")
        return 60;
    return devices * (args.command == "write" ? kWriteSeconds : kReadSeconds);
}

void InstallSignals() {
    Catch(SIGINT);
    Catch(SIGTERM);
}

void StartDeadline(int seconds) {
    timeoutSeconds = seconds;
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
}

bool Due() {
    if (caught != 0)
        return true;
    if (!timedOut && std::chrono::steady_clock::now() >= deadline)
        timedOut = true;
    return timedOut;
}

std::string Kind() {
    return caught != 0 ? "stopped" : "timeout";
}

std::string Text() {
    if (caught == SIGTERM)
        return "Команда прервана сигналом SIGTERM";
    if (caught != 0)
        return "Команда прервана (Ctrl+C)";
    return "Команда не уложилась в отведенное время (--timeout " + std::to_string(timeoutSeconds) +
           " с)";
}

} // namespace CliStop
