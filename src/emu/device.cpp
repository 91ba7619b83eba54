#include "emu/device.h"

#include "emu/crc16.h"

#include <cstdio>

namespace emu {

namespace {

enum Function : uint8_t {
    kReadInputRegisters = 4,
    kPoll = 14,
    kReportConfig = 17,
    kReadBlock = 68,
    kWriteBlock = 69,
    kSetClock = 70,
};

enum ExceptionCode : uint8_t {
    kIllegalFunction = 1,
    kIllegalAddress = 2,
    kIllegalValue = 3,
    kBusy = 6,
};

constexpr int kFirstClockRegister = 1000;
constexpr uint8_t kClearedRecord[3] = {0x20, 0x00, 0x00};

std::string Hex(const uint8_t* bytes, size_t n) {
    std::string text;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        text += buf;
    }
    return text;
}

Device::Records ClearedRecords() {
    Device::Records r{};
    for (size_t i = 0; i < r.size(); ++i)
        r[i] = kClearedRecord[i % 3];
    return r;
}

} // namespace

Device::Device() {
    image_[0] = kImageBlock;
    SetModules({{0, 1}, {3, 2}});
}

std::vector<uint8_t> Device::Handle(const std::vector<uint8_t>& frame) {
    if (frame.size() < 4 || !CrcChecks(frame.data(), frame.size()))
        return {};
    std::lock_guard lock(mutex_);
    const uint8_t address = frame[0];
    const uint8_t function = frame[1];
    const bool broadcast = address == 0;
    if (broadcast ? function != kSetClock : address != address_)
        return {};
    Log(frame);
    const FaultVerdict verdict = faults_.Before(requests_, function);
    if (verdict.hangup)
        hangup_ = true;
    if (verdict.drop)
        drop_ = true;
    if (verdict.hangup || verdict.drop || verdict.silent)
        return {};
    if (broadcast) {
        if (verdict.exception == 0)
            Act(frame); // a broadcast is never answered
        return {};
    }
    std::vector<uint8_t> reply = verdict.exception
                                     ? Exception(function, static_cast<uint8_t>(verdict.exception))
                                     : Act(frame);
    if (!reply.empty())
        faults_.Damage(reply, requests_, function);
    if (pendingAddress_ != 0) {
        // the answer still goes out under the old address; the new one counts from now on
        address_ = pendingAddress_;
        pendingAddress_ = 0;
    }
    return reply;
}

std::vector<uint8_t> Device::Act(const std::vector<uint8_t>& frame) {
    const uint8_t function = frame[1];
    const uint8_t* data = frame.data() + 2;
    const size_t n = frame.size() - 4;
    switch (function) {
    case kReportConfig:
        return n == 0 ? Normal(function, config_.data(), config_.size())
                      : Exception(function, kIllegalValue);
    case kReadBlock:
        return ReadBlock(data, n);
    case kWriteBlock:
        return WriteBlock(data, n);
    case kPoll:
        if (busy_ > 0) {
            --busy_;
            return Exception(function, kBusy);
        }
        return frame; // the echo: the request as it came, CRC and all
    case kReadInputRegisters:
        return ReadRegisters(data, n);
    case kSetClock: {
        ClockValues values{};
        if (n == values.size()) {
            std::copy(data, data + n, values.begin());
            if (DeviceClock::Valid(values))
                clock_.Set(values, Now());
        }
        return {}; // the program never waits for an answer to this one
    }
    default:
        return Exception(function, kIllegalFunction);
    }
}

std::vector<uint8_t> Device::ReadBlock(const uint8_t* data, size_t n) const {
    if (n != 1)
        return Exception(kReadBlock, kIllegalValue);
    const int block = data[0];
    if (block >= 1 && block <= FittedLocked()) {
        std::vector<uint8_t> body{static_cast<uint8_t>(block)};
        const auto& r = records_[static_cast<size_t>(block - 1)];
        body.insert(body.end(), r.begin(), r.end());
        return Normal(kReadBlock, body.data(), body.size());
    }
    if (block == kImageBlock)
        return Normal(kReadBlock, image_.data(), image_.size());
    return Exception(kReadBlock, kIllegalAddress);
}

std::vector<uint8_t> Device::WriteBlock(const uint8_t* data, size_t n) {
    if (n < 1)
        return Exception(kWriteBlock, kIllegalValue);
    const int block = data[0];
    if (block >= 1 && block <= kModuleBlocks) {
        if (block > FittedLocked())
            return Exception(kWriteBlock, kIllegalAddress);
        if (n != 1 + kRecordSize)
            return Exception(kWriteBlock, kIllegalValue);
        std::copy(data + 1, data + n, records_[static_cast<size_t>(block - 1)].begin());
    } else if (block == kImageBlock) {
        if (n != kImageSize)
            return Exception(kWriteBlock, kIllegalValue);
        std::copy(data, data + n, image_.begin());
        image_[0] = kImageBlock;
    } else if (block == kAddressBlock) {
        if (n != 2 || data[1] > 30)
            return Exception(kWriteBlock, kIllegalValue);
        pendingAddress_ = data[1] + 1;
    } else {
        return Exception(kWriteBlock, kIllegalAddress);
    }
    for (const StuckByte& b : stuck_)
        if (uint8_t* cell = StoredByte(b.block, b.offset))
            *cell = b.value;
    busy_ = busyAfterWrite_;
    return Normal(kWriteBlock, data, 1);
}

uint8_t* Device::StoredByte(int block, int offset) {
    if (block >= 1 && block <= kModuleBlocks && offset >= 0 && offset < kRecordSize)
        return &records_[static_cast<size_t>(block - 1)][static_cast<size_t>(offset)];
    if (block == kImageBlock && offset >= 1 && offset < kImageSize)
        return &image_[static_cast<size_t>(offset)];
    return nullptr;
}

bool Device::PokeByte(int block, int offset, uint8_t value, bool stuck) {
    std::lock_guard lock(mutex_);
    uint8_t* cell = StoredByte(block, offset);
    if (!cell)
        return false;
    *cell = value;
    if (stuck)
        stuck_.push_back({block, offset, value});
    return true;
}

void Device::ClearStuckBytes() {
    std::lock_guard lock(mutex_);
    stuck_.clear();
}

std::vector<uint8_t> Device::ReadRegisters(const uint8_t* data, size_t n) const {
    if (n != 4)
        return Exception(kReadInputRegisters, kIllegalValue);
    const int start = data[0] << 8 | data[1];
    const int count = data[2] << 8 | data[3];
    if (count < 1 || count > 125)
        return Exception(kReadInputRegisters, kIllegalValue);
    const ClockValues clock = clock_.Read(Now());
    if (start < kFirstClockRegister || start + count > kFirstClockRegister + int(clock.size()))
        return Exception(kReadInputRegisters, kIllegalAddress);
    std::vector<uint8_t> body;
    for (int r = start; r < start + count; ++r) {
        body.push_back(0);
        body.push_back(clock[static_cast<size_t>(r - kFirstClockRegister)]);
    }
    return Normal(kReadInputRegisters, body.data(), body.size());
}

std::vector<uint8_t> Device::Normal(uint8_t function, const uint8_t* data, size_t n) const {
    std::vector<uint8_t> reply;
    reply.reserve(n + 5);
    reply.push_back(static_cast<uint8_t>(address_));
    reply.push_back(function);
    reply.push_back(static_cast<uint8_t>(n));
    reply.insert(reply.end(), data, data + n);
    AppendCrc(reply);
    return reply;
}

std::vector<uint8_t> Device::Exception(uint8_t function, uint8_t code) const {
    std::vector<uint8_t> reply{static_cast<uint8_t>(address_),
                               static_cast<uint8_t>(function | 0x80), code};
    AppendCrc(reply);
    return reply;
}

void Device::Log(const std::vector<uint8_t>& frame) {
    ++requests_;
    log_.push_back({requests_, frame[0], frame[1], {frame.begin() + 2, frame.end() - 2}});
    if (log_.size() > kLogLimit)
        log_.pop_front();
}

DeviceClock::TimePoint Device::Now() const {
    return timeSource_ ? timeSource_() : std::chrono::steady_clock::now();
}

int Device::FittedLocked() const {
    return config_[0] < kModuleBlocks ? config_[0] : kModuleBlocks;
}

bool Device::TakeHangup() {
    std::lock_guard lock(mutex_);
    const bool h = hangup_;
    hangup_ = false;
    return h;
}

bool Device::TakeDrop() {
    std::lock_guard lock(mutex_);
    const bool d = drop_;
    drop_ = false;
    return d;
}

int Device::Address() const {
    std::lock_guard lock(mutex_);
    return address_;
}

bool Device::SetAddress(int address) {
    if (address < 1 || address > 31)
        return false;
    std::lock_guard lock(mutex_);
    address_ = address;
    pendingAddress_ = 0;
    return true;
}

Device::Config Device::GetConfig() const {
    std::lock_guard lock(mutex_);
    return config_;
}

void Device::SetConfig(const Config& config) {
    std::lock_guard lock(mutex_);
    config_ = config;
}

bool Device::SetModules(const std::vector<ModuleSlot>& modules) {
    if (modules.size() > kModuleBlocks)
        return false;
    Config config{};
    for (const auto& m : modules) {
        if (m.slot < 0 || m.slot > 15 || (m.type != 1 && m.type != 2) || config[m.slot + 1] != 0)
            return false;
        config[static_cast<size_t>(m.slot + 1)] = static_cast<uint8_t>(m.type);
    }
    config[0] = static_cast<uint8_t>(modules.size());
    std::lock_guard lock(mutex_);
    config_ = config;
    records_.fill(ClearedRecords());
    return true;
}

int Device::FittedModules() const {
    std::lock_guard lock(mutex_);
    return FittedLocked();
}

Device::Records Device::GetModuleRecords(int block) const {
    std::lock_guard lock(mutex_);
    return block >= 1 && block <= kModuleBlocks ? records_[static_cast<size_t>(block - 1)]
                                                : Records{};
}

bool Device::SetModuleRecords(int block, const Records& records) {
    if (block < 1 || block > kModuleBlocks)
        return false;
    std::lock_guard lock(mutex_);
    records_[static_cast<size_t>(block - 1)] = records;
    return true;
}

Device::Image Device::GetImage() const {
    std::lock_guard lock(mutex_);
    return image_;
}

void Device::SetImage(const Image& image) {
    std::lock_guard lock(mutex_);
    image_ = image;
    image_[0] = kImageBlock;
}

ClockValues Device::GetClock() const {
    std::lock_guard lock(mutex_);
    return clock_.Read(Now());
}

void Device::SetClock(const ClockValues& values) {
    std::lock_guard lock(mutex_);
    clock_.Set(values, Now());
}

void Device::SetClockFrozen(bool frozen) {
    std::lock_guard lock(mutex_);
    clock_.SetFrozen(frozen, Now());
}

void Device::SetTimeSource(TimeSource source) {
    std::lock_guard lock(mutex_);
    const auto before = Now();
    const ClockValues reading = clock_.Read(before);
    timeSource_ = std::move(source);
    clock_.Set(reading, Now()); // the reading carries over to the new time base
}

int Device::BusyCount() const {
    std::lock_guard lock(mutex_);
    return busy_;
}

void Device::SetBusyCount(int polls) {
    std::lock_guard lock(mutex_);
    busy_ = polls < 0 ? 0 : polls;
}

int Device::BusyAfterWrite() const {
    std::lock_guard lock(mutex_);
    return busyAfterWrite_;
}

void Device::SetBusyAfterWrite(int polls) {
    std::lock_guard lock(mutex_);
    busyAfterWrite_ = polls < 0 ? 0 : polls;
}

uint64_t Device::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<LoggedRequest> Device::RequestLog() const {
    std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}

void Device::ClearRequestLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

void Device::SetFaults(const std::vector<Fault>& faults) {
    std::lock_guard lock(mutex_);
    faults_.Clear();
    for (const auto& f : faults)
        faults_.Add(f);
}

void Device::AddFault(const Fault& fault) {
    std::lock_guard lock(mutex_);
    faults_.Add(fault);
}

void Device::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.Clear();
}

std::vector<Fault> Device::Faults() const {
    std::lock_guard lock(mutex_);
    return faults_.List();
}

void Device::SeedFaults(uint64_t seed) {
    std::lock_guard lock(mutex_);
    faults_.Seed(seed);
}

std::vector<std::string> Device::Dump() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    lines.push_back("address " + std::to_string(address_));
    lines.push_back("config " + Hex(config_.data(), config_.size()));
    for (int b = 0; b < kModuleBlocks; ++b)
        lines.push_back("block " + std::to_string(b + 1) + " " +
                        Hex(records_[static_cast<size_t>(b)].data(), kRecordSize));
    lines.push_back("image " + Hex(image_.data(), image_.size()));
    const ClockValues clock = clock_.Read(Now());
    lines.push_back("clock " + Hex(clock.data(), clock.size()));
    lines.push_back("busy " + std::to_string(busy_) + " " + std::to_string(busyAfterWrite_));
    lines.push_back("requests " + std::to_string(requests_));
    return lines;
}

} // namespace emu
