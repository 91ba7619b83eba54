#pragma once
// Finding the devices on a line: one configuration request (function 17) per bus number, with a
// short wait for the answer instead of the engine's repeats (8 s for a silent address). An
// answer counts only when its address, function and CRC are right, and it counts for the bus
// number it names: an answer that comes late, after its own wait, is still taken for the
// address that sent it and never for the next one. The line is purged after the pause before
// each request, so nothing left over from one probe reaches the next.

#include "link/frameobserver.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class ExchangeEngine;
class PortLine;

enum class ProbeVerdict {
    Found,     // a whole, right configuration reply
    Refused,   // an exception reply: a device is there, it would not tell its configuration
    CrcErrors, // only replies with a wrong CRC (or cut short) came from this address
};

struct ProbeFinding {
    ProbeVerdict verdict = ProbeVerdict::CrcErrors;
    std::vector<uint8_t> config; // Found: the reply's data bytes
    int exception = 0;           // Refused: the device's exception code
};

class BusScan {
public:
    // A probe sends the request, then waits probeMs from the end of the request on the line
    // (its frame time at the port's speed) for the first byte of an answer.
    static constexpr int MinProbeMs = 20;
    // Replies with a wrong CRC from the probed address before it counts as answering with
    // errors.
    static constexpr int CrcAttempts = 3;

    // The engine gives the port's settings, its transmit pause and its idle hook (the stop);
    // line is the engine's line, already open at the speed to scan.
    BusScan(ExchangeEngine& port, PortLine& line, int probeMs);
    ~BusScan();
    BusScan(const BusScan&) = delete;
    BusScan& operator=(const BusScan&) = delete;

    // Told every request, reply and time-out (the command line's --trace).
    void SetObserver(FrameObserver* observer) { observer_ = observer; }

    // Probes bus number address (1..31). The engine's result code: 0, PortFailure (the port is
    // gone) or Stopped.
    int Probe(int address);
    // Takes the answers that come in the pause after the last probe; before a speed change and
    // at the end.
    int Finish();

    // What each bus number answered since the last Clear; an address that stayed silent is not
    // listed.
    const std::map<int, ProbeFinding>& Findings() const { return findings_; }
    void Clear() { findings_.clear(); }

private:
    struct Frame {
        std::vector<uint8_t> bytes;
        ReplyCheck check = ReplyCheck::Short;
    };
    enum class Read { Nothing, Frame, PortFailed };

    Read ReadFrame(int firstByteMs, Frame& frame);
    // Files a frame under the address it names; true when it is a whole reply from `address`.
    bool Take(const Frame& frame, int address);
    int Drain();
    void Note(int address, ProbeFinding finding);
    int64_t Now() const;

    ExchangeEngine& port_;
    PortLine& line_;
    int probeMs_;
    FrameObserver* observer_ = nullptr;
    std::map<int, ProbeFinding> findings_;
};

// One device a scan found (or heard from with errors) at one speed.
struct ScanHit {
    int speed = 0;
    int device = 0; // bus number 1..31
    ProbeFinding finding;
};

// What to scan: every speed, every bus number of the range.
struct ScanPlan {
    std::vector<int> speeds;
    int firstDevice = 1;
    int lastDevice = 31;
    int probeMs = BusScan::MinProbeMs;
};

// The whole scan, the same for the console program and the windows. open(speed) sets the
// engine's port up at that speed (false ends the scan with PortCannotOpen; open has told the
// operator why). progress is told before each probe: the speed, the bus number, the probes
// done and in all. The engine's result code: 0, PortCannotOpen, PortFailure or Stopped; the
// bus number under way then goes to failedDevice. hits receives what was found, also when
// the scan ended early.
int ScanLine(ExchangeEngine& port, PortLine& line, const ScanPlan& plan,
             const std::function<bool(int speed)>& open,
             const std::function<void(int speed, int device, int done, int total)>& progress,
             FrameObserver* observer, std::vector<ScanHit>* hits, int* failedDevice);

// The modification code of a configuration reply's data: the 16 slots' module codes as
// digits ("1002000000000000").
std::string ModificationCode(const std::vector<uint8_t>& config);
