#include "emu/linepacing.h"

#include <algorithm>

namespace emu {

std::chrono::nanoseconds CharFormat::CharTime() const {
    const int rate = baud > 0 ? baud : 9600;
    return std::chrono::nanoseconds(static_cast<int64_t>(bits) * 1'000'000'000 / rate);
}

LineTimer::TimePoint LineTimer::RequestIn(size_t count, TimePoint now, const Pacing& pacing,
                                          const CharFormat& format) {
    if (!pacing.pace)
        return now;
    const TimePoint start = std::max(now, inFree_);
    inFree_ = start + format.CharTime() * static_cast<int64_t>(count);
    return inFree_;
}

std::vector<LineTimer::Chunk> LineTimer::Reply(const std::vector<uint8_t>& bytes,
                                               TimePoint requestEnd, const Pacing& pacing,
                                               const CharFormat& format) {
    std::vector<Chunk> chunks;
    if (bytes.empty())
        return chunks;
    const TimePoint start =
        std::max(requestEnd + std::chrono::milliseconds(pacing.Turnaround()), outFree_);
    const auto charTime = pacing.pace ? format.CharTime() : std::chrono::nanoseconds(0);
    const auto latency = std::chrono::milliseconds(pacing.latencyMs);
    // the adapter's timer runs from the reply's first bit; without one every byte goes alone
    TimePoint tick = start;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const TimePoint end = start + charTime * static_cast<int64_t>(i + 1);
        TimePoint due = end;
        if (latency.count() > 0) {
            while (tick < end || tick == start)
                tick += latency;
            due = tick;
        }
        if (chunks.empty() || chunks.back().due != due)
            chunks.push_back({due, {}});
        chunks.back().bytes.push_back(bytes[i]);
    }
    chunks.back().last = true;
    outFree_ = start + charTime * static_cast<int64_t>(bytes.size());
    return chunks;
}

} // namespace emu
