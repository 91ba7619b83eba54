#pragma once
// A call that may block for longer than the caller can wait (a name lookup, whose name server
// may not answer for tens of seconds; a file on a server that went away), run beside the caller
// and waited for only until a limit, or until the caller is told to stop.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

// The work's result when it ended within timeoutMs and before stop (asked every few
// milliseconds) said true; nothing otherwise. Work still running then ends on its own, and its
// late result goes to discard (to free what it holds).
template <typename T>
std::optional<T> CallWithin(int timeoutMs, std::function<T()> work,
                            std::function<void(T&)> discard = {},
                            const std::function<bool()>& stop = {}) {
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
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // Without a stop to ask, one wait to the limit; with one, short waits so that it is heard.
    const auto slice = stop ? std::chrono::milliseconds(20) : std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        const auto until = (std::min)(limit, std::chrono::steady_clock::now() + slice);
        if (shared->ended.wait_until(lock, until, [&] { return shared->result.has_value(); }))
            return std::move(shared->result);
        if (std::chrono::steady_clock::now() >= limit || (stop && stop())) {
            shared->abandoned = true;
            return std::nullopt;
        }
    }
}
