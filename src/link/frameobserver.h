#pragma once
// What the exchange engine puts on and takes off the line, told to whoever listens: the bus
// monitor records every frame, the main window's progress text listens to the repeats.
// Plain C++: no Qt. Every call has an empty default, so a listener overrides only what it
// needs. Calls come on the engine's thread, in the order things happen on the line; at is the
// engine clock's time in microseconds (monotonic, the same clock the pauses run on).
// With no listener attached the engine only tests an empty list: no clock reads, no copies.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// How far the engine checked a reply it read.
enum class ReplyCheck {
    Good,      // whole, CRC right
    BadCrc,    // whole, CRC wrong
    Short,     // fewer bytes came than the engine waited for
    NotChecked // the engine stopped after the header: an exception or a foreign function code
};

class FrameObserver {
public:
    virtual ~FrameObserver() = default;

    // A request frame went out (every send, repeats included); device is 0-based as given to
    // Exchange (a broadcast frame still carries address 0).
    virtual void OnRequest(int64_t at, const uint8_t* frame, int length, int device, int function) {
        (void)at, (void)frame, (void)length, (void)device, (void)function;
    }
    // The bytes of one reply as read, from its address byte on (header, then body if read).
    virtual void OnReply(int64_t at, const uint8_t* bytes, int length, ReplyCheck check) {
        (void)at, (void)bytes, (void)length, (void)check;
    }
    // Not one byte of a reply came before the read gave up, after waited microseconds.
    virtual void OnTimeout(int64_t at, int64_t waited) { (void)at, (void)waited; }
    // The same frame is about to go again: stage 1 after a failed header, 2 after a failed
    // body; attempt counts from 2 up to attempts (the stage's repeat count).
    virtual void OnRepeat(int64_t at, int stage, int attempt, int attempts) {
        (void)at, (void)stage, (void)attempt, (void)attempts;
    }
    // The transaction ended: its result code and the text ReportError would show (empty for
    // success). Also told for a transaction that never reached the line (port not open).
    virtual void OnResult(int64_t at, int device, int code, const std::string& message) {
        (void)at, (void)device, (void)code, (void)message;
    }
};

// The engine's list of listeners. A listener may detach itself (or another) while being told.
class FrameObserverList {
public:
    void Add(FrameObserver* observer) {
        if (observer && std::find(list_.begin(), list_.end(), observer) == list_.end())
            list_.push_back(observer);
    }
    void Remove(FrameObserver* observer) {
        list_.erase(std::remove(list_.begin(), list_.end(), observer), list_.end());
    }
    bool Empty() const { return list_.empty(); }

    template <typename Call> void Each(Call call) {
        size_t i = 0;
        while (i < list_.size()) {
            FrameObserver* observer = list_[i];
            call(*observer);
            // Still in this place: go on; detached: the next one has moved into it.
            if (i < list_.size() && list_[i] == observer)
                ++i;
        }
    }

private:
    std::vector<FrameObserver*> list_;
};
