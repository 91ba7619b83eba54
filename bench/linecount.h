#pragma once
// What went over the line during a command, counted at the engine's side of the port, and the
// time the line itself needs for it: every byte at its bit time, the device's turnaround before
// each reply, and the pauses the exchange rules impose (the transmit delay before each request,
// 50 ms before and 300 ms after each block write, 200 ms after each busy poll).

#include "platform/qtserialline.h"

#include <chrono>
#include <cstdint>

struct LineCounts {
    int64_t requests = 0; // transmissions, repeats included
    int64_t bytesOut = 0;
    int64_t bytesIn = 0;
    int64_t blockWrites = 0; // function 69
    int64_t polls = 0;       // function 14
};

struct LineTiming {
    int baud = 9600;
    int bitsPerChar = 11; // start, 8 data, parity, stop bits
    int delayTxMs = 25;
    int turnaroundMs = 2;
};

// The physical limit of the counted traffic, in milliseconds.
double LineLimitMs(const LineCounts& counts, const LineTiming& timing);

// The real line with a counter on it.
class CountingLine : public SerialLine {
public:
    explicit CountingLine(SerialPath path) : line_(path) {}

    bool open(const LineSettings& settings) override { return line_.open(settings); }
    bool close() override { return line_.close(); }
    bool isOpen() const override { return line_.isOpen(); }
    bool purge() override { return line_.purge(); }
    int write(const uint8_t* bytes, int count) override;
    int read(uint8_t* buffer, int count) override;
    std::string errorText() const override { return line_.errorText(); }
    std::string openFailureText() const override { return line_.openFailureText(); }
    // The reads look at the engine's stop as on the program's own line.
    void SetStopCheck(std::function<bool()> stop) override {
        line_.SetStopCheck(stop);
        SerialLine::SetStopCheck(std::move(stop));
    }
    // Whether the times below are taken (three clock reads a transaction): off where the
    // engine's own instructions are counted.
    void SetTimed(bool on) { timed_ = on; }

    SerialPath Path() const { return line_.Path(); }
    LineCounts Take(); // the counts so far; they start again from zero

    // When the last request went out, and when the first read after it returned: what lies
    // between is the line's, the emulator's and the kernel's, not the engine's.
    using TimePoint = std::chrono::steady_clock::time_point;
    TimePoint WriteStarted() const { return writeStart_; }
    TimePoint WriteDone() const { return writeEnd_; }
    TimePoint ReplyIn() const { return replyIn_; }

private:
    QtSerialLine line_;
    LineCounts counts_;
    TimePoint writeStart_{}, writeEnd_{}, replyIn_{};
    bool replyTaken_ = false;
    bool timed_ = true;
};
