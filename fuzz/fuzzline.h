#pragma once
// A serial line whose far end is the fuzzer's input: every read takes a length byte (how many
// of the asked bytes arrive this time; 0xFF is a port that fails) and then that many reply
// bytes. Writes always succeed, and time passes only on the instant clock, so a silent device
// costs nothing. When the input runs out the device falls silent, which ends every sequence.

#include "link/serialline.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <vector>

class InstantClock : public LineClock {
public:
    int64_t nowMicros() const override { return now_; }
    void sleepMicros(int64_t micros) override { now_ += micros > 0 ? micros : 0; }

private:
    int64_t now_ = 1'000'000;
};

class FuzzLine : public SerialLine {
public:
    static constexpr const char* PortName = "FUZZ";
    static constexpr uint8_t PortFails = 0xFF;

    explicit FuzzLine(FuzzedDataProvider& input) : input_(input) {}

    bool open(const LineSettings&) override {
        open_ = true;
        return true;
    }
    bool close() override {
        open_ = false;
        return true;
    }
    bool isOpen() const override { return open_; }
    bool purge() override { return open_; }
    int write(const uint8_t* bytes, int count) override {
        if (!open_)
            return -1;
        (void)bytes;
        written_ += size_t(count);
        return count;
    }
    int read(uint8_t* buffer, int count) override {
        if (!open_)
            return -1;
        if (input_.remaining_bytes() == 0 || count <= 0)
            return 0;
        const uint8_t length = input_.ConsumeIntegral<uint8_t>();
        if (length == PortFails)
            return -1;
        const int wanted = std::min<int>(length % (count + 1), count);
        const std::vector<uint8_t> bytes = input_.ConsumeBytes<uint8_t>(size_t(wanted));
        std::copy(bytes.begin(), bytes.end(), buffer);
        return int(bytes.size());
    }
    std::string errorText() const override { return "fuzzed port failure"; }
    bool acceptsPortName(const std::string& name, std::string* location) const override {
        if (location)
            *location = name;
        return name == PortName;
    }

    size_t WrittenBytes() const { return written_; }

private:
    FuzzedDataProvider& input_;
    bool open_ = false;
    size_t written_ = 0;
};

// Stops the fuzzer with a crash when a property of the code under test does not hold.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            __builtin_trap();                                                                      \
    } while (0)
