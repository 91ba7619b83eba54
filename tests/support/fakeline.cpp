#include "support/fakeline.h"

#include <algorithm>

namespace {

constexpr int64_t kMs = 1000;

// Counts down the calls that still succeed; false once the failure is due.
bool Survives(int& left) {
    if (left < 0)
        return true;
    if (left == 0)
        return false;
    --left;
    return true;
}

} // namespace

bool FakeLine::open(const LineSettings& settings) {
    ++openCalls_;
    settings_ = settings;
    if (failOpen_) {
        error_ = "fake: cannot open";
        open_ = false;
        return false;
    }
    open_ = true;
    return true;
}

bool FakeLine::close() {
    ++closeCalls_;
    open_ = false;
    if (failClose_) {
        error_ = "fake: close failed";
        return false;
    }
    return true;
}

bool FakeLine::purge() {
    ++purgeCalls_;
    if (failPurge_) {
        error_ = "fake: purge failed";
        return false;
    }
    input_.clear();
    return true;
}

bool FakeLine::acceptsPortName(const std::string& name, std::string* location) const {
    if (names_.count(name)) {
        if (location)
            *location = name;
        return true;
    }
    return SerialLine::acceptsPortName(name, location);
}

bool FakeLine::setKernelRs485(bool on) {
    directionCalls_.push_back(on ? "rs485 on" : "rs485 off");
    return kernelMode_;
}

bool FakeLine::setRts(bool high) {
    directionCalls_.push_back(high ? "rts 1" : "rts 0");
    return rts_;
}

bool FakeLine::drain() {
    directionCalls_.push_back("drain");
    return true;
}

void FakeLine::QueueSilence(int requests) {
    for (int i = 0; i < requests; ++i)
        queue_.emplace_back();
}

int FakeLine::write(const uint8_t* bytes, int count) {
    if (!open_) {
        error_ = "fake: not open";
        return -1;
    }
    if (!Survives(writesLeft_)) {
        error_ = "fake: write failed";
        return -1;
    }
    Bytes request(bytes, bytes + count);
    {
        std::lock_guard<std::mutex> lock(recordsMutex_);
        written_.push_back(request);
    }
    if (kernelMode_ || rts_)
        directionCalls_.push_back("write");
    writeTimes_.push_back(clock_.nowMicros());
    if (echo_) {
        Bytes heard = request;
        if (garble_)
            garble_(heard);
        input_.insert(input_.end(), heard.begin(), heard.end());
    }
    Bytes reply;
    if (!queue_.empty()) {
        reply = std::move(queue_.front());
        queue_.pop_front();
    } else if (responder_) {
        reply = responder_(request);
    }
    input_.insert(input_.end(), reply.begin(), reply.end());
    return count;
}

int FakeLine::read(uint8_t* buffer, int count) {
    ++readCalls_;
    if (!open_) {
        error_ = "fake: not open";
        return -1;
    }
    if (!Survives(readsLeft_)) {
        error_ = "fake: read failed";
        return -1;
    }
    const int n = std::min(count, static_cast<int>(input_.size()));
    std::copy_n(input_.begin(), n, buffer);
    input_.erase(input_.begin(), input_.begin() + n);
    if (n == 0) {
        // Nothing comes: the whole time-out, cut short by a stop as the real line does.
        int64_t left = (1000 + 100 * static_cast<int64_t>(count)) * kMs;
        for (; HasStopCheck() && left > StopCheckMs * kMs; left -= StopCheckMs * kMs) {
            clock_.Advance(StopCheckMs * kMs);
            if (waitStep_)
                waitStep_();
            if (StopDue())
                return 0;
        }
        clock_.Advance(left);
    } else if (n < count) {
        clock_.Advance(100 * kMs);
    }
    return n;
}

void FakeLine::ClearRecords() {
    {
        std::lock_guard<std::mutex> lock(recordsMutex_);
        written_.clear();
    }
    writeTimes_.clear();
    readCalls_ = purgeCalls_ = openCalls_ = closeCalls_ = 0;
}
