#include "link/framerecorder.h"

namespace {
constexpr int64_t kDayMs = 86'400'000;
}

FrameRecorder::FrameRecorder(size_t capacity) : capacity_(capacity > 0 ? capacity : 1) {}

const FrameRecord* FrameRecorder::At(int64_t serial) const {
    if (serial < first_ || serial >= end_)
        return nullptr;
    return &slots_[static_cast<size_t>(serial) % capacity_];
}

void FrameRecorder::Clear() {
    first_ = end_;
    dropped_ = 0;
    lastRequest_ = -1;
    repeat_ = repeatsSoFar_ = 0;
}

void FrameRecorder::SetWallClock(std::function<int64_t()> localMs) {
    wallClock_ = std::move(localMs);
    anchored_ = false;
}

int64_t FrameRecorder::LocalMs(const FrameRecord& record) const {
    return anchorWallMs_ + (record.at - anchorAt_) / 1000;
}

int64_t FrameRecorder::TimeOfDayMs(const FrameRecord& record) const {
    const int64_t ms = LocalMs(record);
    return ((ms % kDayMs) + kDayMs) % kDayMs;
}

FrameRecord& FrameRecorder::Push(FrameRecord::Kind kind, int64_t at) {
    if (!anchored_) {
        anchored_ = true;
        anchorAt_ = at;
        anchorWallMs_ = wallClock_ ? wallClock_() : 0;
    }
    const size_t slot = static_cast<size_t>(end_) % capacity_;
    if (slot == slots_.size())
        slots_.emplace_back();
    if (end_ - first_ == static_cast<int64_t>(capacity_)) {
        ++first_;
        ++dropped_;
    }
    ++end_;
    // The slot is reused as it stands: its byte vector keeps its capacity.
    FrameRecord& r = slots_[slot];
    r.kind = kind;
    r.at = at;
    r.device = device_;
    r.function = function_;
    r.bytes.clear();
    r.repeat = 0;
    r.request = -1;
    return r;
}

void FrameRecorder::OnRequest(int64_t at, const uint8_t* frame, int length, int device,
                              int function) {
    device_ = device;
    function_ = function;
    FrameRecord& r = Push(FrameRecord::Kind::Request, at);
    r.bytes.assign(frame, frame + length);
    r.repeat = repeat_;
    repeat_ = 0;
    lastRequest_ = end_ - 1;
    if (onRecord_)
        onRecord_();
}

void FrameRecorder::OnReply(int64_t at, const uint8_t* bytes, int length, ReplyCheck check) {
    FrameRecord& r = Push(FrameRecord::Kind::Reply, at);
    r.bytes.assign(bytes, bytes + length);
    r.check = check;
    r.request = lastRequest_;
    if (onRecord_)
        onRecord_();
}

void FrameRecorder::OnTimeout(int64_t at, int64_t waited) {
    FrameRecord& r = Push(FrameRecord::Kind::Timeout, at);
    r.waited = waited;
    r.request = lastRequest_;
    if (onRecord_)
        onRecord_();
}

void FrameRecorder::OnRepeat(int64_t, int, int, int) {
    // Marks the request that goes next, which is the repeat itself. The engine counts each
    // stage apart (and starts the header count afresh after a good header); the operator reads
    // one count, of the transaction's repeats.
    repeat_ = ++repeatsSoFar_;
}

void FrameRecorder::OnResult(int64_t at, int device, int code, const std::string& message) {
    device_ = device;
    FrameRecord& r = Push(FrameRecord::Kind::Result, at);
    r.code = code;
    r.message = message;
    if (lastRequest_ < 0)
        r.function = -1; // nothing reached the line
    lastRequest_ = -1;
    repeat_ = repeatsSoFar_ = 0;
    if (onRecord_)
        onRecord_();
}
