#pragma once
// One emulated ЛУМ-08 as the bus sees it: its memory (bus address, module configuration, the six
// module record blocks, the network image, the clock, the busy counter) and its answers to
// request frames. No I/O here: a frame goes in, the answer frame (or nothing) comes out. Every
// public member is safe to call from any thread.

#include "emu/deviceclock.h"
#include "emu/faults.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace emu {

struct ModuleSlot {
    int slot = 0; // 0..15
    int type = 1; // 1 "МЛВ", 2 "МСЮ"
};

struct LoggedRequest {
    uint64_t number = 0; // counted from 1 among the requests the device took
    uint8_t address = 0; // as sent: the device's own or 0 for a broadcast
    uint8_t function = 0;
    std::vector<uint8_t> data; // between the function code and the CRC
};

class Device {
public:
    static constexpr int kConfigSize = 17;
    static constexpr int kRecordSize = 18;
    static constexpr int kModuleBlocks = 6;
    static constexpr int kImageSize = 82;
    static constexpr int kImageBlock = 17;
    static constexpr int kAddressBlock = 99;
    static constexpr size_t kLogLimit = 10000;

    using Config = std::array<uint8_t, kConfigSize>;
    using Records = std::array<uint8_t, kRecordSize>;
    using Image = std::array<uint8_t, kImageSize>;
    using TimeSource = std::function<DeviceClock::TimePoint()>;

    // Address 1, an "МЛВ" in slot 0 and an "МСЮ" in slot 3, cleared records, an empty network
    // image, the clock running from 00:00:00 on Monday 1.1.24, two busy polls after a write.
    Device();

    // The answer to one request frame; empty when the device stays silent.
    std::vector<uint8_t> Handle(const std::vector<uint8_t>& frame);
    // True once after a hangup fault fired: whoever serves the line should drop it.
    bool TakeHangup();
    // True once after a drop fault fired: a gateway closes the connection it got the request
    // on and waits for the next one (a pseudo-terminal has no connection: it hangs up).
    bool TakeDrop();

    int Address() const;
    bool SetAddress(int address); // 1..31

    Config GetConfig() const;
    void SetConfig(const Config& config);
    // Fits the modules (at most six, distinct slots 0..15, types 1 or 2) and clears their
    // records; false, and nothing changed, when the list is not possible.
    bool SetModules(const std::vector<ModuleSlot>& modules);
    int FittedModules() const;

    Records GetModuleRecords(int block) const; // block 1..6
    bool SetModuleRecords(int block, const Records& records);
    Image GetImage() const;
    void SetImage(const Image& image); // byte 0 is always the block number 17
    // Changes one stored byte of block 1..6 (offset 0..17) or 17 (offset 1..81). A stuck byte
    // keeps that value after later writes too: a memory cell that does not take a write, the
    // fault a check after writing has to find. false when block or offset are out of range.
    bool PokeByte(int block, int offset, uint8_t value, bool stuck = false);
    void ClearStuckBytes();

    ClockValues GetClock() const;
    void SetClock(const ClockValues& values);
    void SetClockFrozen(bool frozen);
    void SetTimeSource(TimeSource source);

    int BusyCount() const; // polls still to be answered "busy"
    void SetBusyCount(int polls);
    int BusyAfterWrite() const;
    void SetBusyAfterWrite(int polls);

    uint64_t RequestCount() const;
    std::vector<LoggedRequest> RequestLog() const; // the latest kLogLimit requests
    void ClearRequestLog();

    void SetFaults(const std::vector<Fault>& faults);
    void AddFault(const Fault& fault);
    void ClearFaults();
    std::vector<Fault> Faults() const;
    void SeedFaults(uint64_t seed);

    // The memory as text lines: "address N", "config HH ...", "block B HH ..." (1..6),
    // "image HH ...", "clock HH ...", "busy LEFT AFTER", "requests N".
    std::vector<std::string> Dump() const;

private:
    std::vector<uint8_t> Act(const std::vector<uint8_t>& frame);
    std::vector<uint8_t> ReadBlock(const uint8_t* data, size_t n) const;
    std::vector<uint8_t> WriteBlock(const uint8_t* data, size_t n);
    std::vector<uint8_t> ReadRegisters(const uint8_t* data, size_t n) const;
    std::vector<uint8_t> Normal(uint8_t function, const uint8_t* data, size_t n) const;
    std::vector<uint8_t> Exception(uint8_t function, uint8_t code) const;
    void Log(const std::vector<uint8_t>& frame);
    DeviceClock::TimePoint Now() const;
    int FittedLocked() const;
    uint8_t* StoredByte(int block, int offset);

    struct StuckByte {
        int block;
        int offset;
        uint8_t value;
    };

    mutable std::mutex mutex_;
    int address_ = 1;
    int pendingAddress_ = 0;
    Config config_{};
    std::array<Records, kModuleBlocks> records_{};
    Image image_{};
    DeviceClock clock_;
    TimeSource timeSource_;
    int busy_ = 0;
    int busyAfterWrite_ = 2;
    uint64_t requests_ = 0;
    std::deque<LoggedRequest> log_;
    FaultSet faults_;
    std::vector<StuckByte> stuck_;
    bool hangup_ = false;
    bool drop_ = false;
};

} // namespace emu
