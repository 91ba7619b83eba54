#pragma once
// The operator's stop as the engine's thread sees it: raised from any thread (a window, a signal
// handler's thread), looked at between bytes, and waking a pause at once instead of at its end.

#include <atomic>
#include <chrono>
#include <cstdint>

#if !defined(__linux__)
#include <condition_variable>
#include <mutex>
#endif

class StopSignal {
public:
    void Raise();
    void Clear() { raised_ = 0; }
    bool Raised() const { return raised_.load() != 0; }

    // Sleeps until the deadline or the stop, whichever comes first; true when stopped.
    bool SleepUntil(std::chrono::steady_clock::time_point deadline);

private:
    // Linux sleeps on the word itself (a futex): a pause costs one system call and no lock,
    // where a condition variable took a fifth of a transaction's instructions.
    std::atomic<uint32_t> raised_{0};
#if !defined(__linux__)
    std::mutex mutex_;
    std::condition_variable wake_;
#endif
};
