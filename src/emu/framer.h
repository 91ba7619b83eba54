#pragma once
// Cuts the byte stream from the line into request frames. A request's length follows from its
// function code (and, for a block write, its block number), so a frame is usually handed on the
// moment its last byte is in. Anything else (an unknown function, a frame that does not check,
// noise) waits for a short silence, then whatever checks as a frame is salvaged and the rest
// dropped; an unfinished frame is dropped after a longer silence.

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace emu {

class Framer {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Frames = std::vector<std::vector<uint8_t>>;

    static constexpr size_t kMaxPending = 512;

    explicit Framer(std::chrono::microseconds shortGap = std::chrono::milliseconds(3),
                    std::chrono::microseconds longGap = std::chrono::milliseconds(50));

    // Bytes that arrived at `now`; returns the frames they complete.
    Frames Push(const uint8_t* bytes, size_t count, TimePoint now);
    // Called once the deadline has passed without new bytes.
    Frames Expire(TimePoint now);
    // When Expire is due; empty while nothing is pending.
    std::optional<TimePoint> Deadline() const;

    size_t Pending() const { return buffer_.size(); }
    uint64_t DroppedBytes() const { return dropped_; }

    // The full length of the request that starts with these bytes: > 0 the length, 0 more bytes
    // are needed to tell, -1 a function whose requests have no known length.
    static int ExpectedLength(const uint8_t* bytes, size_t count);

private:
    void TakeComplete(Frames& out);
    bool EndsWithFrame() const;
    bool Salvage(Frames& out);
    void Drop(size_t count);

    std::chrono::microseconds shortGap_;
    std::chrono::microseconds longGap_;
    std::vector<uint8_t> buffer_;
    TimePoint last_{};
    bool stuck_ = false; // what is pending cannot become a frame by waiting for more bytes
    uint64_t dropped_ = 0;
};

} // namespace emu
