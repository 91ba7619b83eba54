#pragma once
// The operator's stop as the engine's thread sees it: raised from any thread (a window, a signal
// handler's thread), looked at between bytes, and waking a pause at once instead of at its end.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

class StopSignal {
public:
    void Raise() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            raised_ = true;
        }
        wake_.notify_all();
    }
    void Clear() { raised_ = false; }
    bool Raised() const { return raised_; }

    // Sleeps until the deadline or the stop, whichever comes first; true when stopped.
    bool SleepUntil(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock<std::mutex> lock(mutex_);
        return wake_.wait_until(lock, deadline, [this] { return raised_.load(); });
    }

private:
    std::atomic<bool> raised_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};
