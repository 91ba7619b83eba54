#pragma once
// The timing of a real line on the pseudo-terminal, which by itself hands over a whole frame at
// once: bytes at the speed and framing the program set on its port, the device's turnaround
// between a request and its reply, and a USB adapter that hands the reply over in chunks on its
// latency timer. Plain arithmetic on time points; the server does the I/O.

#include <chrono>
#include <cstdint>
#include <vector>

namespace emu {

struct Pacing {
    static constexpr int kMaxMs = 10000; // longest latency or turnaround taken

    bool pace = false;     // bytes at the line's own rate
    int latencyMs = 0;     // 0: no adapter in between; else a chunk at most every latencyMs
    int turnaroundMs = -1; // end of request to start of reply; -1: 2 ms when pacing, else 0
    bool echo = false;     // an adapter that hands every byte of the request back to the master

    int Turnaround() const { return turnaroundMs >= 0 ? turnaroundMs : pace ? 2 : 0; }
    // Whether the line behaves differently from the bare pseudo-terminal at all.
    bool Active() const { return pace || latencyMs > 0 || Turnaround() > 0; }
};

// One character on the line: start bit, 8 data bits, the parity bit if any, the stop bits.
struct CharFormat {
    int baud = 9600;
    int bits = 11;

    std::chrono::nanoseconds CharTime() const;
};

// A line whose timing can be changed while it serves (the pseudo-terminal server); the
// emulator's console changes it through this.
class LineTiming {
public:
    virtual ~LineTiming() = default;
    // Safe from any thread, taken from the next request on.
    virtual void SetPacing(const Pacing& pacing) = 0;
    virtual Pacing GetPacing() const = 0;
    // Whether the line can play an adapter that hears itself (a serial line can, a gateway not).
    virtual bool CanEcho() const { return false; }
};

class LineTimer {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Chunk {
        TimePoint due;
        std::vector<uint8_t> bytes;
        bool last = false; // the end of one reply
    };

    // Request bytes the port took at `now`: the time their last bit is in at the device.
    TimePoint RequestIn(size_t count, TimePoint now, const Pacing& pacing,
                        const CharFormat& format);
    // The reply to a request that ended at `requestEnd`, in the pieces the port gets, in order.
    std::vector<Chunk> Reply(const std::vector<uint8_t>& bytes, TimePoint requestEnd,
                             const Pacing& pacing, const CharFormat& format);
    // A new line: nothing is under way.
    void Reset() { inFree_ = outFree_ = TimePoint{}; }

private:
    TimePoint inFree_{};  // the request side of the line is busy until then
    TimePoint outFree_{}; // the reply side
};

} // namespace emu
