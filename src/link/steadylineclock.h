#pragma once
// The monotonic clock of the real line: immune to midnight and to changes of the system time.

#include "link/serialline.h"

class SteadyLineClock : public LineClock {
public:
    SteadyLineClock();
    int64_t nowMicros() const override;
    // Plain sleeps to the deadline: with the timer slack made tight they end within some
    // tens of microseconds, precise enough for a DelayTx of 1 ms, and cost no processor time.
    void sleepMicros(int64_t micros) override;
    void sleepUntilMicros(int64_t deadline, StopSignal& stop) override;
};
