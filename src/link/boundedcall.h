#pragma once
// A call that may block for longer than the caller can wait (a name lookup, whose name server
// may not answer for tens of seconds), run beside the caller and waited for only until a limit.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
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
    auto task = std::make_shared<std::function<T()>>(std::move(work));
    try {
        std::thread([shared, task, discard = std::move(discard)] {
            T result = (*task)();
            const std::lock_guard<std::mutex> lock(shared->mutex);
            if (shared->abandoned) {
                if (discard)
                    discard(result);
                return;
            }
            shared->result = std::move(result);
            shared->ended.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the call is made here, without its limit, rather than not at all.
        return (*task)();
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return shared->result.has_value(); })) {
        shared->abandoned = true;
        return std::nullopt;
    }
    return std::move(shared->result);
}
