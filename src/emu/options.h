#pragma once
// The emulator's command line, parsed into plain values (no I/O, so it can be tested).

#include "emu/device.h"
#include "emu/faults.h"
#include "emu/linepacing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace emu {

// Where the devices are served: a pseudo-terminal, or a loopback TCP port as a gateway.
enum class EmuLine {
    Pty,
    RtuOverTcp, // --tcp: the RTU frames through the connection as they are
    ModbusTcp,  // --mbtcp: Modbus TCP, the MBAP header instead of the address and the CRC
};

struct EmuOptions {
    std::vector<int> addresses{1};                   // one device per address
    std::vector<ModuleSlot> modules{{0, 1}, {3, 2}}; // "МЛВ" in slot 0, "МСЮ" in slot 3
    int busy = 2;                                    // polls answered "busy" after a write
    std::optional<ClockValues> clock;                // empty: the PC's local time
    bool clockFrozen = false;
    int speed = 0;           // line speed the devices listen at; 0: any
    std::vector<int> speeds; // or one speed per address, in the order of the addresses
    std::string link;        // symbolic link to the port
    EmuLine line = EmuLine::Pty;
    std::string listenHost = "127.0.0.1"; // --tcp and --mbtcp: a loopback address
    int listenPort = 0;                   // 0: a free port the system chooses
    uint64_t seed = 1;
    std::vector<Fault> faults;
    Pacing pacing;            // the line's timing (--pace, --latency, --turnaround)
    bool quitOnEof = false;   // end when standard input closes
    bool registerPort = true; // list the port for the program
    bool help = false;
    bool version = false;
};

// False with a message for the operator when the arguments are wrong.
bool ParseOptions(const std::vector<std::string>& args, EmuOptions* options, std::string* error);
std::string UsageText();

// "SLOT:TYPE,..." (for example 0:1,3:2) or "none".
bool ParseModules(const std::string& text, std::vector<ModuleSlot>* modules, std::string* error);
// "s,m,h,d,mo,y,wd" in decimal, each within its range.
bool ParseClock(const std::string& text, ClockValues* clock, std::string* error);
// "127.x.x.x:PORT" (PORT 0..65535; 0 a free one): a loopback address only, so that the emulated
// gateway is never reachable from another machine.
bool ParseListenAddress(const std::string& text, std::string* host, int* port, std::string* error);
// A whole decimal number within [lo, hi].
bool ParseNumber(const std::string& text, long long lo, long long hi, long long* value);
// The PC's local time as the device counts it.
ClockValues LocalClock();

} // namespace emu
