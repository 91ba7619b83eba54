#include "link/steadylineclock.h"

#include <chrono>
#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// The kernel lets a sleep run late by the thread's timer slack (50 µs by default); a slack of
// 1 ns makes short sleeps end on time. The setting belongs to the calling thread.
void TightenTimerSlack() {
#ifdef __linux__
    thread_local bool done = false;
    if (!done) {
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        done = true;
    }
#endif
}

} // namespace

SteadyLineClock::SteadyLineClock() {
    TightenTimerSlack();
}

int64_t SteadyLineClock::nowMicros() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

void SteadyLineClock::sleepMicros(int64_t micros) {
    if (micros <= 0)
        return;
    TightenTimerSlack();
    const auto deadline = Clock::now() + std::chrono::microseconds(micros);
    const auto wakeUp = deadline - std::chrono::microseconds(SpinMicros);
    while (Clock::now() < wakeUp)
        std::this_thread::sleep_until(wakeUp);
    while (Clock::now() < deadline) {
    }
}
