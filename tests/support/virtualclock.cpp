#include "support/virtualclock.h"

#include <algorithm>

void VirtualClock::sleepMicros(int64_t micros) {
    ++sleepCalls_;
    if (micros <= 0)
        return;
    now_ += micros;
    slept_ += micros;
    longest_ = std::max(longest_, micros);
    if (onSleep_)
        onSleep_(micros);
}
