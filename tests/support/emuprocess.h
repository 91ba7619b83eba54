#pragma once
// Runs the real lum08-emu as a child process for end-to-end tests: starts it with options, takes
// its port from the first line of output, drives it through commands on its standard input and
// ends it politely (SIGTERM) or abruptly (SIGKILL, "the device died mid-write").

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The emulator's memory as its "dump" command prints it.
struct EmuDump {
    int address = 0;
    std::array<uint8_t, 17> config{};
    std::array<std::array<uint8_t, 18>, 6> blocks{}; // module blocks 1..6
    std::array<uint8_t, 82> image{};
    std::array<uint8_t, 7> clock{}; // s, m, h, day, month, year, weekday
    int busyLeft = 0;
    int busyAfterWrite = 0;
    uint64_t requests = 0;
};

class EmuProcess {
public:
    EmuProcess() = default;
    ~EmuProcess();
    EmuProcess(const EmuProcess&) = delete;
    EmuProcess& operator=(const EmuProcess&) = delete;

    // Starts lum08-emu with the arguments (plus --quit-on-eof, so that it never outlives the
    // test, and the options of the kind of line the tests run on, support/testline.h) and waits
    // for its port; false with the reason in `error` otherwise.
    bool Start(const std::vector<std::string>& args = {}, std::string* error = nullptr);
    const std::string& Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    bool Running();
    // The exit status once it has ended (-1 when killed by a signal or still running).
    int ExitStatus() const { return status_; }

    // One command line; true when the emulator answered "ok". `output` receives the lines
    // before that answer, or the error line.
    bool Command(const std::string& line, std::vector<std::string>* output = nullptr,
                 int timeoutMs = 5000);
    std::optional<EmuDump> Dump();

    // SIGTERM, then waits; the exit status, or -1 when it had to be killed.
    int Terminate(int timeoutMs = 5000);
    // SIGKILL at once; the port vanishes under whoever has it open.
    void Kill();

    // ${LUM_BIN_DIR:-<build>/bin}/lum08-emu
    static std::string BinaryPath();
    static bool ParseDump(const std::vector<std::string>& lines, EmuDump* dump);

private:
    bool ReadLine(std::string* line, int timeoutMs);
    int Reap(int timeoutMs);
    void CloseAll();

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string buffered_;
    std::string port_;
    int status_ = -1;
};
