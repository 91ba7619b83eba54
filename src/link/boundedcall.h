#pragma once
// A call that may block for longer than the caller can wait (a name lookup, whose name server
// may not answer for tens of seconds), run beside the caller and waited for only until a limit.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// The work's result when it ended within timeoutMs; nothing when the time was up. Work still
// running then ends on its own, and its late result goes to discard (to free what it holds).
template <typename T>
std::optional<T> CallWithin(int timeoutMs, std::function<T()> work,
                            std::function<void(T&)> discard = {}) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable ended;
        std::optional<T> result;
        bool abandoned = false;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, work = std::move(work), discard = std::move(discard)] {
        T result = work();
        const std::lock_guard<std::mutex> lock(shared->mutex);
        if (shared->abandoned) {
            if (discard)
                discard(result);
            return;
        }
        shared->result = std::move(result);
        shared->ended.notify_one();
    }).detach();
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return shared->result.has_value(); })) {
        shared->abandoned = true;
        return std::nullopt;
    }
    return std::move(shared->result);
}
