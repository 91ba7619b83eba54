#include "link/steadylineclock.h"

#include <chrono>
#include <thread>

#if defined(__linux__)
#include <sys/prctl.h>
#elif defined(_WIN32)
#include <windows.h>

#include <timeapi.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Linux lets a sleep run late by the thread's timer slack (50 µs by default); a slack of 1 ns
// makes short sleeps end on time. The setting belongs to the calling thread. Windows wakes a
// sleeper only on its timer's tick, every 15.6 ms unless the process asks for a finer one: a
// 1 ms pause would take a whole tick. The finer timer holds until the process ends.
void TightenTimerSlack() {
#if defined(__linux__)
    thread_local bool done = false;
    if (!done) {
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        done = true;
    }
#elif defined(_WIN32)
    static const bool done = ::timeBeginPeriod(1) == TIMERR_NOERROR;
    (void)done;
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
    // Some systems' sleeps end a little early (Windows rounds to its timer's ticks): asleep
    // again until the deadline has passed.
    const auto deadline = Clock::now() + std::chrono::microseconds(micros);
    while (Clock::now() < deadline)
        std::this_thread::sleep_until(deadline);
}

void SteadyLineClock::sleepUntilMicros(int64_t deadline, StopSignal& stop) {
    TightenTimerSlack();
    stop.SleepUntil(Clock::time_point(std::chrono::microseconds(deadline)));
}
