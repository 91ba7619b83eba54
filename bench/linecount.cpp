#include "linecount.h"

namespace {

constexpr int kFirstSendPauseMs = 50;
constexpr int kStorePauseMs = 300;
constexpr int kBusyPauseMs = 200;

} // namespace

double LineLimitMs(const LineCounts& c, const LineTiming& t) {
    const double charMs = 1000.0 * t.bitsPerChar / t.baud;
    // Every poll but the last of each block found the device busy.
    const int64_t busyPolls = c.polls > c.blockWrites ? c.polls - c.blockWrites : 0;
    return double(c.bytesOut + c.bytesIn) * charMs +
           double(c.requests) * (t.delayTxMs + t.turnaroundMs) +
           double(c.blockWrites) * (kFirstSendPauseMs + kStorePauseMs) +
           double(busyPolls) * kBusyPauseMs;
}

int CountingLine::write(const uint8_t* bytes, int count) {
    if (timed_)
        writeStart_ = std::chrono::steady_clock::now();
    const int n = line_.write(bytes, count);
    if (timed_)
        writeEnd_ = std::chrono::steady_clock::now();
    replyTaken_ = false;
    if (n > 0) {
        ++counts_.requests;
        counts_.bytesOut += n;
        if (n > 1 && bytes[1] == 69)
            ++counts_.blockWrites;
        if (n > 1 && bytes[1] == 14)
            ++counts_.polls;
    }
    return n;
}

int CountingLine::read(uint8_t* buffer, int count) {
    const int n = line_.read(buffer, count);
    if (!replyTaken_ && timed_) {
        replyIn_ = std::chrono::steady_clock::now();
        replyTaken_ = true;
    }
    if (n > 0)
        counts_.bytesIn += n;
    return n;
}

LineCounts CountingLine::Take() {
    const LineCounts c = counts_;
    counts_ = {};
    return c;
}
