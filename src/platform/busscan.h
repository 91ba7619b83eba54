#pragma once
// Finding the devices on a line: a configuration request (function 17) per bus number, with a
// short wait for the answer instead of the engine's repeats (8 s for a silent address); a
// silent number is asked once more. The wait follows the line: the request's and the reply's
// time at the speed, the device's turnaround, the adapter's latency and a gateway's round trip.
// An answer counts only for the bus number asked: an answer from another number (or unit id)
// is never taken. One that comes late, after its own wait, is still taken for the number that
// was asked; late with a wrong CRC, it marks a faulty device. The line is purged after the
// pause before each request, so nothing left over from one probe reaches the next.

#include "link/frameobserver.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class ExchangeEngine;
class PortLine;

enum class ProbeVerdict {
    Found,     // a whole, right configuration reply
    Refused,   // an exception reply: a device is there, it would not tell its configuration
    CrcErrors, // only replies with a wrong CRC (or cut short) came from this address
    // A Modbus TCP gateway answered for the device that it did not respond (exception 0A, 0B)
    // while it stayed quiet for the numbers where nothing is: the device is there and its
    // replies do not reach the gateway whole.
    GatewayNoAnswer,
};

struct ProbeFinding {
    ProbeVerdict verdict = ProbeVerdict::CrcErrors;
    std::vector<uint8_t> config; // Found: the reply's data bytes
    int exception = 0;           // Refused: the device's, GatewayNoAnswer: the gateway's code
};

class BusScan {
public:
    // A probe sends the request, then waits probeMs from the end of the request on the line
    // (its frame time at the port's speed) for the first byte of an answer.
    static constexpr int MinProbeMs = 20;
    // Replies with a wrong CRC from the probed address before it counts as answering with
    // errors.
    static constexpr int CrcAttempts = 3;
    // Requests to a number that stays silent before it counts as silent.
    static constexpr int SilentAttempts = 2;
    // The USB adapters' usual latency timer: the reply is handed over this late.
    static constexpr int UsbLatencyMs = 16;

    // The engine gives the port's settings, its transmit pause and the operator's stop;
    // line is the engine's line, already open at the speed to scan.
    BusScan(ExchangeEngine& port, PortLine& line, int probeMs);
    ~BusScan();
    BusScan(const BusScan&) = delete;
    BusScan& operator=(const BusScan&) = delete;

    // Told every request, reply and time-out (the command line's --trace).
    void SetObserver(FrameObserver* observer) { observer_ = observer; }
    // Told whenever what a bus number answered is first known or changes.
    void SetHeard(std::function<void(int address, const ProbeFinding&)> heard) {
        heard_ = std::move(heard);
    }

    // Probes bus number address (1..31). The engine's result code: 0, PortFailure (the port is
    // gone) or Stopped.
    // windowMs, when given, replaces the probe's usual wait (the second look at a late one).
    int Probe(int address, int windowMs = 0);
    // Takes the answers that come in the pause after the last probe; before a speed change and
    // at the end.
    int Finish();

    // What each bus number answered since the last Clear; an address that stayed silent is not
    // listed.
    const std::map<int, ProbeFinding>& Findings() const { return findings_; }
    // Numbers whose whole answer came so late that another number was asked meanwhile (a slow
    // or loaded line): not taken then, asked once more at the end of the pass.
    const std::set<int>& Late() const { return late_; }
    // The numbers a gateway answered for with its own exception, and the code.
    const std::map<int, int>& GatewaySaid() const { return gatewaySaid_; }
    void Clear() {
        findings_.clear();
        gatewaySaid_.clear();
        late_.clear();
    }

private:
    struct Frame {
        std::vector<uint8_t> bytes;
        ReplyCheck check = ReplyCheck::Short;
    };
    enum class Read { Nothing, Frame, PortFailed, GatewayGaveUp, Echo };

    Read ReadFrame(int firstByteMs, Frame& frame);
    // Files a frame under the address it names; true when it is a whole reply from `address`.
    bool Take(const Frame& frame, int address);
    int Drain();
    // A whole answer came from the number: it needs no more asking.
    bool Answered(int address) const;
    void Note(int address, ProbeFinding finding);
    int64_t Now() const;

    ExchangeEngine& port_;
    PortLine& line_;
    int probeMs_;
    FrameObserver* observer_ = nullptr;
    std::function<void(int, const ProbeFinding&)> heard_;
    std::map<int, ProbeFinding> findings_;
    std::map<int, int> gatewaySaid_;
    std::set<int> late_;
    int lastProbed_ = -1;     // late answers are taken for this number
    uint8_t request_[4] = {}; // the last request: an adapter that hears itself hands it back
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
    int probeMs = BusScan::MinProbeMs; // the device's turnaround, with room
    int latencyMs = BusScan::UsbLatencyMs;
};

// How long a probe waits for the first byte of an answer after its request is out, at the
// port's settings now (a gateway's round trip comes on top, added by its line).
int ProbeWindowMs(const ExchangeEngine& port, const ScanPlan& plan);

// The whole scan, the same for the console program and the windows. open(speed) sets the
// engine's port up at that speed (false ends the scan with PortCannotOpen; open has told the
// operator why). progress is told before each probe: the speed, the bus number, the probes
// done and in all. The engine's result code: 0, PortCannotOpen, PortFailure or Stopped; the
// bus number under way then goes to failedDevice. hits receives what was found, also when
// the scan ended early; heard, when given, is told each device as it answers (again when what
// it answered changes).
int ScanLine(ExchangeEngine& port, PortLine& line, const ScanPlan& plan,
             const std::function<bool(int speed)>& open,
             const std::function<void(int speed, int device, int done, int total)>& progress,
             FrameObserver* observer, std::vector<ScanHit>* hits, int* failedDevice,
             const std::function<void(const ScanHit&)>& heard = {});

// The modification code of a configuration reply's data: the 16 slots' module codes as
// digits ("1002000000000000").
std::string ModificationCode(const std::vector<uint8_t>& config);
