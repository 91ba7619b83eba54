#include "platform/busscan.h"

#include "link/devicecommands.h"
#include "link/exchangeengine.h"
#include "link/rtuframe.h"
#include "platform/portline.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr int kExceptionReplyLength = 5;
// The wait when a number whose answer came late is asked again.
constexpr int kLateWindowFactor = 4;
constexpr int kLateWindowExtraMs = 100;
// Address, function, byte count, 17 bytes of configuration, CRC.
constexpr int kConfigReplyLength = 22;
// Taking what came in the pause: only what is there already.
constexpr int kDrainWaitMs = 1;
constexpr int kDrainFrames = 8;

bool IsBusNumber(int address) {
    return address >= 1 && address <= 31;
}

int Rank(ProbeVerdict verdict) {
    switch (verdict) {
    case ProbeVerdict::Found:
        return 2;
    case ProbeVerdict::Refused:
        return 1;
    case ProbeVerdict::CrcErrors:
    case ProbeVerdict::GatewayNoAnswer:
        break;
    }
    return 0;
}

} // namespace

BusScan::BusScan(ExchangeEngine& port, PortLine& line, int probeMs)
    : port_(port), line_(line), probeMs_(probeMs) {}

BusScan::~BusScan() {
    line_.SetFirstByteTimeoutMs(0);
}

int64_t BusScan::Now() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void BusScan::Note(int address, ProbeFinding finding) {
    auto [it, added] = findings_.emplace(address, finding);
    if (!added) {
        if (Rank(finding.verdict) < Rank(it->second.verdict) ||
            (finding.verdict == it->second.verdict && finding.config == it->second.config))
            return;
        it->second = std::move(finding);
    }
    if (heard_)
        heard_(address, it->second);
}

BusScan::Read BusScan::ReadFrame(int firstByteMs, Frame& frame) {
    uint8_t buffer[ExchangeEngine::ReplyBufferSize];
    line_.SetFirstByteTimeoutMs(firstByteMs);
    const int got = line_.read(buffer, RtuFrame::HeaderLength);
    if (got < 0)
        return Read::PortFailed;
    if (got == 0)
        return line_.GatewayException() != 0 ? Read::GatewayGaveUp : Read::Nothing;
    frame.bytes.assign(buffer, buffer + got);
    frame.check = ReplyCheck::Short;
    if (got < RtuFrame::HeaderLength)
        return Read::Frame;
    if (std::equal(buffer, buffer + got, request_)) {
        // The request itself, from an adapter that hears itself (no reply starts so: its byte
        // count would be the CRC's low byte): skipped, whatever the echo setting.
        line_.SetFirstByteTimeoutMs(QtSerialLine::ByteGapMs);
        uint8_t last = 0;
        const int n = line_.read(&last, 1);
        if (n < 0)
            return Read::PortFailed;
        if (n == 1 && last == request_[3])
            return Read::Echo;
        frame.bytes.push_back(last);
        frame.check = ReplyCheck::NotChecked;
        return Read::Frame;
    }
    int length = 0;
    if (buffer[1] == DeviceCommand::ReadConfig)
        length = buffer[2] + RtuFrame::HeaderLength + RtuFrame::CrcLength;
    else if (buffer[1] == (DeviceCommand::ReadConfig | RtuFrame::ExceptionFlag))
        length = kExceptionReplyLength;
    if (length == 0) {
        // Nothing a probe asks for: noise, or another master's traffic.
        frame.check = ReplyCheck::NotChecked;
        return Read::Frame;
    }
    line_.SetFirstByteTimeoutMs(QtSerialLine::ByteGapMs);
    const int body = line_.read(buffer + got, length - got);
    if (body < 0)
        return Read::PortFailed;
    frame.bytes.assign(buffer, buffer + got + body);
    if (got + body == length)
        frame.check = RtuFrame::CrcMatches(buffer, length) ? ReplyCheck::Good : ReplyCheck::BadCrc;
    return Read::Frame;
}

bool BusScan::Take(const Frame& frame, int address) {
    if (observer_)
        observer_->OnReply(Now(), frame.bytes.data(), int(frame.bytes.size()), frame.check);
    const std::vector<uint8_t>& b = frame.bytes;
    // Only the number asked: an answer naming another one is somebody else's traffic, or a
    // gateway or proxy that mixed the answers up, and would list a device that is not there.
    const int from = b.empty() ? 0 : b[0];
    if (!IsBusNumber(from))
        return false;
    if (from != address) {
        if (frame.check == ReplyCheck::Good && b[1] == DeviceCommand::ReadConfig &&
            findings_.count(from) == 0)
            late_.insert(from);
        return false;
    }
    if (frame.check == ReplyCheck::BadCrc || frame.check == ReplyCheck::Short) {
        if (b.size() >= 2 && (b[1] & ~RtuFrame::ExceptionFlag) == DeviceCommand::ReadConfig)
            Note(from, {ProbeVerdict::CrcErrors, {}, 0});
        return false;
    }
    if (frame.check != ReplyCheck::Good)
        return false;
    if (b[1] == DeviceCommand::ReadConfig) {
        if (b[2] < ReplySize::Config)
            return false; // not a configuration: the same as the engine's read refuses
        Note(from, {ProbeVerdict::Found, {b.begin() + 3, b.end() - 2}, 0});
    } else {
        Note(from, {ProbeVerdict::Refused, {}, b[2]});
    }
    return true;
}

int BusScan::Drain() {
    // Bounded: a line full of noise must not hold the scan.
    for (int frames = 0; frames < kDrainFrames; ++frames) {
        Frame frame;
        const Read r = ReadFrame(kDrainWaitMs, frame);
        if (r == Read::PortFailed)
            return ResultCode::PortFailure;
        if (r == Read::Echo)
            continue;
        if (r != Read::Frame)
            return ResultCode::Ok;
        Take(frame, lastProbed_);
        if (frame.check == ReplyCheck::NotChecked && !line_.purge())
            return ResultCode::PortFailure;
    }
    return line_.purge() ? ResultCode::Ok : ResultCode::PortFailure;
}

int BusScan::Finish() {
    port_.Pause(port_.GetDelayTx());
    return Drain();
}

bool BusScan::Answered(int address) const {
    const auto it = findings_.find(address);
    return it != findings_.end() && it->second.verdict != ProbeVerdict::CrcErrors;
}

int BusScan::Probe(int address, int windowMs) {
    const int window = windowMs > 0 ? windowMs : probeMs_;
    uint8_t request[4] = {uint8_t(address), uint8_t(DeviceCommand::ReadConfig), 0, 0};
    const uint16_t crc = RtuFrame::Crc16(2, request);
    request[2] = uint8_t(crc & 0xFF);
    request[3] = uint8_t(crc >> 8);
    std::copy(request, request + 4, request_);
    int silentLeft = SilentAttempts;
    int damagedLeft = CrcAttempts;
    for (;;) {
        // The pause first: what answers the last request late comes in it and is taken for the
        // number that was asked; then the purge, right before the request.
        port_.Pause(port_.GetDelayTx());
        if (port_.StopRequested())
            return ResultCode::Stopped;
        if (const int code = Drain(); code != ResultCode::Ok)
            return code;
        lastProbed_ = address;
        if (Answered(address))
            return ResultCode::Ok; // the last request's late answer
        if (!line_.purge())
            return ResultCode::PortFailure;
        if (line_.write(request, sizeof request) < 0)
            return ResultCode::PortFailure;
        const int64_t sent = Now();
        if (observer_)
            observer_->OnRequest(sent, request, sizeof request, address - 1,
                                 DeviceCommand::ReadConfig);
        const int64_t deadline =
            sent + int64_t(port_.FrameTimeMs(int(sizeof request)) + window) * 1000;
        bool damaged = false;
        for (;;) {
            const int64_t left = deadline - Now();
            Frame frame;
            const Read r = left > 0 ? ReadFrame(int((left + 999) / 1000), frame) : Read::Nothing;
            if (r == Read::PortFailed)
                return ResultCode::PortFailure;
            if (r == Read::Echo)
                continue;
            if (r == Read::GatewayGaveUp)
                gatewaySaid_[address] = line_.GatewayException();
            if (r != Read::Frame) {
                if (observer_ && !damaged)
                    observer_->OnTimeout(Now(), Now() - sent);
                break;
            }
            if (Take(frame, address))
                return ResultCode::Ok;
            damaged = findings_.count(address) != 0;
            if (damaged)
                break;
            if (frame.check == ReplyCheck::NotChecked && !line_.purge())
                return ResultCode::PortFailure;
        }
        // A damaged answer is asked for again, to get a whole one; silence once more, since a
        // device may have missed one request.
        if ((damaged ? --damagedLeft : --silentLeft) <= 0)
            return ResultCode::Ok;
    }
}

int ProbeWindowMs(const ExchangeEngine& port, const ScanPlan& plan) {
    // The whole reply is in before an adapter with a latency timer hands over its first byte.
    return plan.probeMs + port.FrameTimeMs(kConfigReplyLength) + std::max(0, plan.latencyMs);
}

namespace {

// The numbers a gateway answered for, as devices, unless it answered for every number that
// gave no reply: then it says so for the empty ones too and tells nothing about a device.
void AddGatewayFindings(const BusScan& scan, int numbers, int speed, std::vector<ScanHit>* hits) {
    const auto& said = scan.GatewaySaid();
    const int quiet = numbers - int(scan.Findings().size());
    if (said.empty() || int(said.size()) >= quiet)
        return;
    for (const auto& [device, code] : said)
        if (scan.Findings().count(device) == 0)
            hits->push_back({speed, device, {ProbeVerdict::GatewayNoAnswer, {}, code}});
}

} // namespace

int ScanLine(ExchangeEngine& port, PortLine& line, const ScanPlan& plan,
             const std::function<bool(int speed)>& open,
             const std::function<void(int speed, int device, int done, int total)>& progress,
             FrameObserver* observer, std::vector<ScanHit>* hits, int* failedDevice,
             const std::function<void(const ScanHit&)>& heard) {
    const int numbers = std::max(0, plan.lastDevice - plan.firstDevice + 1);
    const int total = numbers * static_cast<int>(plan.speeds.size());
    int done = 0;
    for (int speed : plan.speeds) {
        if (!open(speed)) {
            *failedDevice = plan.firstDevice;
            return ResultCode::PortCannotOpen;
        }
        BusScan scan(port, line, ProbeWindowMs(port, plan));
        scan.SetObserver(observer);
        if (heard)
            scan.SetHeard([&](int device, const ProbeFinding& f) { heard({speed, device, f}); });
        int code = ResultCode::Ok;
        int n = plan.firstDevice;
        for (; n <= plan.lastDevice && code == ResultCode::Ok; ++n, ++done) {
            if (progress)
                progress(speed, n, done, total);
            code = scan.Probe(n);
        }
        // Whole answers that came while another number was asked: their numbers once more,
        // each on its own with a longer wait, so that only an answer to the number asked counts.
        const std::set<int> late = scan.Late();
        for (int again : late)
            if (code == ResultCode::Ok && again >= plan.firstDevice && again <= plan.lastDevice &&
                scan.Findings().count(again) == 0)
                code = scan.Probe(again, kLateWindowFactor * ProbeWindowMs(port, plan) +
                                             kLateWindowExtraMs);
        // What answered the last probe late is taken even when the scan ends here.
        if (code == ResultCode::Ok || code == ResultCode::Stopped)
            if (const int finish = scan.Finish(); finish == ResultCode::PortFailure)
                code = finish;
        const size_t first = hits->size();
        for (const auto& [device, finding] : scan.Findings())
            hits->push_back({speed, device, finding});
        const int asked = std::min(n, plan.lastDevice + 1) - plan.firstDevice;
        AddGatewayFindings(scan, asked, speed, hits);
        std::sort(hits->begin() + std::ptrdiff_t(first), hits->end(),
                  [](const ScanHit& a, const ScanHit& b) { return a.device < b.device; });
        if (code != ResultCode::Ok) {
            *failedDevice = std::min(n - 1, plan.lastDevice);
            return code;
        }
    }
    if (progress)
        progress(0, 0, total, total);
    return ResultCode::Ok;
}

std::string ModificationCode(const std::vector<uint8_t>& config) {
    std::string code;
    for (size_t i = 1; i <= 16 && i < config.size(); ++i)
        code += std::to_string(config[i]);
    return code;
}
