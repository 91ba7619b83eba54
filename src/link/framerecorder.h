#pragma once
// The bus monitor's memory: every frame, time-out and transaction result the engine reports,
// in a ring of the last Capacity records. Recording is cheap on purpose (a copy of the bytes
// into a reused slot, no decoding, no text): it runs inside the transaction, between the read
// of a reply and the next pause. Texts are made only for the rows that are looked at.
// Plain C++, no Qt, so that the benchmark measures exactly what the window attaches.

#include "link/frameobserver.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct FrameRecord {
    enum class Kind : uint8_t { Request, Reply, Timeout, Result };
    Kind kind = Kind::Request;
    int64_t at = 0;   // engine clock, microseconds
    int device = 0;   // 0-based device of the transaction
    int function = 0; // function code of the transaction
    std::vector<uint8_t> bytes;
    ReplyCheck check = ReplyCheck::Good; // replies
    int64_t waited = 0;                  // time-outs, microseconds
    int repeat = 0; // requests sent again: the how-manieth repeat of the transaction
    int code = 0;   // results
    std::string message;
    int64_t request = -1; // replies: the serial of the request they answer
};

class FrameRecorder : public FrameObserver {
public:
    static constexpr size_t DefaultCapacity = 100'000;

    explicit FrameRecorder(size_t capacity = DefaultCapacity);

    // Records are numbered from 0 on in the order they came; the ring holds the serials
    // [FirstSerial, EndSerial).
    int64_t FirstSerial() const { return first_; }
    int64_t EndSerial() const { return end_; }
    // nullptr for a serial dropped or not yet recorded.
    const FrameRecord* At(int64_t serial) const;
    // Records pushed out by newer ones since the last Clear.
    int64_t Dropped() const { return dropped_; }
    void Clear();

    // The local date and time of a record, taken from the wall clock given here at the first
    // record (the engine's own clock is monotonic and has neither). The clock tells local
    // milliseconds since 1970-01-01 00:00; one that tells milliseconds since midnight gives
    // the right time of day on the first day.
    void SetWallClock(std::function<int64_t()> localMs);
    int64_t LocalMs(const FrameRecord& record) const;
    // Milliseconds since midnight.
    int64_t TimeOfDayMs(const FrameRecord& record) const;

    // Told after each new record (the window schedules its refresh).
    void SetOnRecord(std::function<void()> onRecord) { onRecord_ = std::move(onRecord); }

    void OnRequest(int64_t at, const uint8_t* frame, int length, int device, int function) override;
    void OnReply(int64_t at, const uint8_t* bytes, int length, ReplyCheck check) override;
    void OnTimeout(int64_t at, int64_t waited) override;
    void OnRepeat(int64_t at, int stage, int attempt, int attempts) override;
    void OnResult(int64_t at, int device, int code, const std::string& message) override;

private:
    FrameRecord& Push(FrameRecord::Kind kind, int64_t at);

    size_t capacity_;
    std::vector<FrameRecord> slots_;
    int64_t first_ = 0;
    int64_t end_ = 0;
    int64_t dropped_ = 0;
    // The transaction under way.
    int64_t lastRequest_ = -1;
    int device_ = 0;
    int function_ = 0;
    int repeat_ = 0;       // the repeat the next request is
    int repeatsSoFar_ = 0; // of the transaction under way: one count for both stages
    std::function<int64_t()> wallClock_;
    bool anchored_ = false;
    int64_t anchorAt_ = 0;
    int64_t anchorWallMs_ = 0;
    std::function<void()> onRecord_;
};
