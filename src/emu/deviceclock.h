#pragma once
// The device's real-time clock: seven plain byte values that run on from the last setting, or
// stand still while frozen (tests want a reading that does not move).

#include <array>
#include <chrono>
#include <cstdint>

namespace emu {

// seconds, minutes, hour, day of month, month, year (0..99), day of week (1 = Monday .. 7)
using ClockValues = std::array<uint8_t, 7>;

class DeviceClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // 00:00:00 on Monday 1.1.24.
    DeviceClock();

    void Set(const ClockValues& values, TimePoint now);
    ClockValues Read(TimePoint now) const;
    // Freezing keeps the reading of that moment; thawing lets it run on from there.
    void SetFrozen(bool frozen, TimePoint now);
    bool Frozen() const { return frozen_; }

    // Each value within its range (day 31 is taken in any month, as the device does).
    static bool Valid(const ClockValues& values);
    // The values after the given number of seconds; out-of-range values do not run.
    static ClockValues Advance(ClockValues values, int64_t seconds);

private:
    ClockValues base_;
    TimePoint since_;
    bool frozen_ = false;
};

} // namespace emu
