#pragma once
// The monotonic clock of the real line: immune to midnight and to changes of the system time.

#include "link/serialline.h"

class SteadyLineClock : public LineClock {
public:
    SteadyLineClock();
    int64_t nowMicros() const override;
    // Sleeps until shortly before the end, then spins for the last few microseconds, so that
    // short pauses (DelayTx of 1 ms) are precise without burning the processor.
    void sleepMicros(int64_t micros) override;

    // The longest final spin.
    static constexpr int64_t SpinMicros = 100;
};
