#pragma once
// The command line of lum08-cli, parsed into plain values (no I/O, so it can be tested).

#include <optional>
#include <string>
#include <vector>

struct CliArgs {
    std::string command;            // read, write, verify, diff, scan, clock
    std::vector<std::string> files; // the command's file arguments
    // Line and device.
    std::string port; // a serial port, or a gateway: tcp://HOST:PORT, mbtcp://HOST:PORT
    int speed = 9600;
    char parity = 'N';
    int stopBits = 2;
    int device = 1;            // bus number 1..31: the one the command works on now
    std::vector<int> devices;  // --device: every bus number given, in order (at least one)
    int timeoutSeconds = 0;    // --timeout; 0: the command's default
    int roundTripMs = 0;       // --round-trip: the network's round trip to a gateway far away
    std::string echo = "auto"; // --echo auto|on|off: the adapter hands the request back
    bool rts = false;          // --rts: the program switches the driver to send with RTS
    // Commands' own options.
    std::string out;                                     // read --out
    bool force = false;                                  // read: replace an existing file
    std::vector<int> speeds{9600, 19200, 57600, 115200}; // scan
    int firstDevice = 1;                                 // scan --devices
    int lastDevice = 31;
    int probeMs = 20;   // scan: the device's turnaround, with room
    int latencyMs = 16; // scan --latency: the adapter's latency timer
    bool setNow = false;
    bool noBackup = false;
    bool dryRun = false; // write: read the device and list what would change, write nothing
    std::optional<std::string> password;     // write, clock --set-now
    std::optional<std::string> passwordFile; // its first line is the password
    bool json = false;
    bool trace = false;   // every frame on the error stream, as the bus monitor shows it
    bool verbose = false; // the line settings first, every step on a line of its own
    bool help = false;
    bool version = false;
};

// Nothing with a Russian message in `error` when the arguments are wrong.
std::optional<CliArgs> ParseCliArgs(const std::vector<std::string>& args, std::string* error);

// What a script needs of a command line that may not parse: the command word (empty when none
// is recognised) and whether JSON was asked for (--json, --json=1).
std::string CommandWord(const std::vector<std::string>& args);
bool AsksForJson(const std::vector<std::string>& args);

// Whether the command talks to a device (and needs --port).
bool NeedsPort(const std::string& command);

// The text of --help.
std::string CliUsageText();
