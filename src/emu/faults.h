#pragma once
// Misbehaviour on demand, so that tests can see how the program copes with a bad line or a bad
// device. Each fault applies to a window of request numbers (requests addressed to the device,
// counted from 1) and optionally to some function codes only, so a device can fail in the
// middle of a multi-request command.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace emu {

enum class FaultKind {
    Silent,        // the device does not hear the request: no action, no answer
    Hangup,        // the device leaves the line: the port goes away
    Exception,     // the device refuses with the given exception code instead of acting
    WrongFunction, // the answer carries another function code (with a good CRC)
    BadCrc,        // the answer's CRC is spoilt
    CrcRate,       // the answer's CRC is spoilt with the given probability
    Partial,       // only the first bytes of the answer go out
    Noise,         // random bytes precede the answer
    Drop,          // the connection to a gateway drops; the gateway takes the next one
};

struct Fault {
    FaultKind kind = FaultKind::Silent;
    // Exception: the code; WrongFunction: the code sent (0: the request's + 1); BadCrc: which
    // byte (1 low, 2 high, 3 both); Partial: bytes kept; Noise: bytes added.
    int value = 0;
    double rate = 1.0;                                  // CrcRate
    uint64_t from = 1;                                  // first request number affected
    uint64_t to = std::numeric_limits<uint64_t>::max(); // last one, inclusive
    std::vector<uint8_t> functions;                     // empty: every function

    bool AppliesTo(uint64_t request, uint8_t function) const;
};

// "KIND [VALUE] [from A] [to B] [fn F,F...]" where KIND is silent, hangup, drop, exception,
// wrong-function, crc, crc-rate, partial or noise; A and B may be written +N, meaning N
// requests after the `seen` requests so far.
std::optional<Fault> ParseFault(const std::string& text, uint64_t seen, std::string* error);
std::string FaultToString(const Fault& fault);

// What the active faults decide before the device acts on a request.
struct FaultVerdict {
    bool silent = false;
    bool hangup = false;
    bool drop = false;
    int exception = 0; // non-zero: answer with this exception instead of acting
};

// A seedable source of randomness that gives the same sequence on every platform.
class FaultRandom {
public:
    explicit FaultRandom(uint64_t seed = 1) : state_(seed) {}
    uint64_t Next();
    double Unit(); // [0, 1)

private:
    uint64_t state_;
};

class FaultSet {
public:
    void Clear() { faults_.clear(); }
    void Add(const Fault& fault) { faults_.push_back(fault); }
    const std::vector<Fault>& List() const { return faults_; }
    void Seed(uint64_t seed) { random_ = FaultRandom(seed); }

    FaultVerdict Before(uint64_t request, uint8_t function) const;
    // Spoils a finished answer on its way to the line.
    void Damage(std::vector<uint8_t>& reply, uint64_t request, uint8_t function);

private:
    std::vector<Fault> faults_;
    FaultRandom random_;
};

} // namespace emu
