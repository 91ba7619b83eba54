#include "link/stopsignal.h"

#if defined(__linux__)
#include <cerrno>
#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#if defined(__linux__)

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
                  std::atomic<uint32_t>::is_always_lock_free,
              "the stop's word is waited on by the kernel");

namespace {

uint32_t* Word(std::atomic<uint32_t>& word) {
    return reinterpret_cast<uint32_t*>(&word);
}

} // namespace

void StopSignal::Raise() {
    raised_ = 1;
    ::syscall(SYS_futex, Word(raised_), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

bool StopSignal::SleepUntil(std::chrono::steady_clock::time_point deadline) {
    // The steady clock is CLOCK_MONOTONIC, the clock of an absolute FUTEX_WAIT_BITSET.
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    if (ns <= 0)
        return Raised();
    const timespec at{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
    while (!Raised()) {
        // Returns at once when the word is no longer 0: a stop raised just before is not lost.
        const long r = ::syscall(SYS_futex, Word(raised_), FUTEX_WAIT_BITSET | FUTEX_PRIVATE_FLAG,
                                 0, &at, nullptr, FUTEX_BITSET_MATCH_ANY);
        if (r == 0 || errno == EINTR || errno == EAGAIN)
            continue;           // woken, interrupted by a signal or raced by a stop: look again
        if (errno != ETIMEDOUT) // no futex to be had: the pause still lasts its time
            while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
            }
        break;
    }
    return Raised();
}

#else

void StopSignal::Raise() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        raised_ = 1;
    }
    wake_.notify_all();
}

bool StopSignal::SleepUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    return wake_.wait_until(lock, deadline, [this] { return raised_.load() != 0; });
}

#endif
