#pragma once
// A clock for tests: sleeping advances virtual time at once, so a silent device that costs
// eight seconds on a real line costs nothing here, and the time it would have cost is known.

#include "link/serialline.h"

#include <atomic>
#include <cstdint>
#include <functional>

class VirtualClock : public LineClock {
public:
    int64_t nowMicros() const override { return now_; }
    void sleepMicros(int64_t micros) override;

    // Time passing without a sleep (the line's read time-outs).
    void Advance(int64_t micros) { now_ += micros; }

    // Virtual time since construction, and the part of it spent asleep.
    int64_t ElapsedMicros() const { return now_ - kStart; }
    double ElapsedMs() const { return ElapsedMicros() / 1000.0; }
    int64_t SleptMicros() const { return slept_; }
    int SleepCalls() const { return sleepCalls_; }
    // The longest single sleep asked for.
    int64_t LongestSleepMicros() const { return longest_; }

    // Called after every sleep with its length (to count, or to let a device move on).
    void OnSleep(std::function<void(int64_t)> hook) { onSleep_ = std::move(hook); }

private:
    // Far from zero, so that nothing can pass for a real time of day.
    static constexpr int64_t kStart = 5'000'000'000;
    // Moved on by the engine's thread, read by the windows'.
    std::atomic<int64_t> now_{kStart};
    int64_t slept_ = 0;
    int64_t longest_ = 0;
    int sleepCalls_ = 0;
    std::function<void(int64_t)> onSleep_;
};
