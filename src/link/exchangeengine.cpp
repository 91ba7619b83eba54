#include "link/exchangeengine.h"

#include "link/rtuframe.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr int kBroadcastFunction = 70;
constexpr int kBroadcastMarginMs = 10;

constexpr std::array<int, 13> kBaudRates = {110,   300,   600,   1200,  2400,  4800,  9600,
                                            14400, 19200, 38400, 56000, 57600, 115200};

} // namespace

int ExchangeEngine::FrameTimeMs(int bytes) const {
    // Start bit, 8 data bits, the parity bit if any, the stop bits.
    const int bits = 9 + (Parity == "N" ? 0 : 1) + (StopBits == "2" ? 2 : 1);
    const int speed = std::max(1, std::atoi(Speed.c_str()));
    return (bytes * bits * 1000 + speed - 1) / speed;
}

bool ExchangeEngine::IsSupportedSpeed(int speed) {
    return std::find(kBaudRates.begin(), kBaudRates.end(), speed) != kBaudRates.end();
}

namespace {

// The whole text must be a decimal number; anything else (blanks, signs, letters) is refused.
bool ParseDecimal(const std::string& text, int& value) {
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

} // namespace

ExchangeEngine::ExchangeEngine(SerialLine& line, LineClock& clock) : line_(line), clock_(clock) {
    line_.SetStopCheck([this] { return StopRequested(); });
}

ExchangeEngine::~ExchangeEngine() {
    line_.SetStopCheck({});
    ClosePort();
}

const std::vector<int>& ExchangeEngine::AllowedFunctions() {
    static const std::vector<int> table(RtuFrame::AllowedFunctionTable.begin(),
                                        RtuFrame::AllowedFunctionTable.end());
    return table;
}

uint16_t ExchangeEngine::Crc16(int count, const uint8_t* bytes) {
    return RtuFrame::Crc16(count, bytes);
}

bool ExchangeEngine::IsOpen() const {
    return line_.isOpen();
}

void ExchangeEngine::ClosePort() {
    line_.close();
}

int ExchangeEngine::ApplyPortSettings() {
    // A port that fails while closing is closed all the same; the new settings are what count.
    line_.close();
    openFailureText_.clear();

    LineSettings settings;
    int speed = 0;
    if (!ParseDecimal(Speed, speed) || !IsSupportedSpeed(speed))
        return -1;
    settings.baudRate = speed;

    if (Parity != "E" && Parity != "N" && Parity != "O")
        return -1;
    settings.parity = Parity[0];

    int stopBits = 0;
    if (!ParseDecimal(StopBits, stopBits) || (stopBits != 1 && stopBits != 2))
        return -1;
    settings.stopBits = stopBits;
    settings.transmit = Transmit;

    // Only a name that designates a serial port of this platform reaches the port component.
    if (!line_.acceptsPortName(PortName, &settings.portName)) {
        openFailureText_ = "порт не найден";
        return -1;
    }
    // What Auto found out about the echo belongs to the adapter on this port.
    if (echoPort_ != PortName) {
        echoFound_ = -1;
        echoPort_ = PortName;
    }
    // A port that cannot be opened is told with its reason by the caller; the program goes on.
    if (!line_.open(settings)) {
        openFailureText_ = line_.openFailureText();
        return -1;
    }
    return 0;
}

int ExchangeEngine::BuildRequest(int device, int function, const uint8_t* data) {
    if (!RtuFrame::IsAllowedFunction(function))
        return ResultCode::FunctionRefused;
    frame_[0] = static_cast<uint8_t>(device + 1);
    frame_[1] = static_cast<uint8_t>(function);
    if (DataCount != 0) {
        std::copy(data, data + DataCount, frame_ + 2);
        if (function == kBroadcastFunction)
            frame_[0] = 0;
    }
    const uint16_t crc = Crc16(FrameLength - 2, frame_);
    frame_[DataCount + 2] = static_cast<uint8_t>(crc & 0xFF);
    frame_[DataCount + 3] = static_cast<uint8_t>(crc >> 8);
    return ResultCode::Ok;
}

int ExchangeEngine::Exchange(int device, int function, int count, const uint8_t* data,
                             uint8_t* reply) {
    observedDevice_ = device;
    const int code = ExchangeFrame(device, function, count, data, reply);
    if (!observers_.Empty()) {
        const std::string text = ErrorText(device, code);
        observers_.Each(
            [&](FrameObserver& o) { o.OnResult(clock_.nowMicros(), device, code, text); });
    }
    return code;
}

int ExchangeEngine::ExchangeFrame(int device, int function, int count, const uint8_t* data,
                                  uint8_t* reply) {
    // A request that does not fit the frame, or whose echo would not fit the reply buffer,
    // is refused like a function outside the table: nothing goes on the line.
    const bool echo = function == 5 || function == 14;
    if (count < 0 || count > FrameBufferSize - 4 || (count > 0 && data == nullptr) ||
        (echo && count + 4 > ReplyBufferSize))
        return ResultCode::FunctionRefused;

    DataCount = count;
    FrameLength = count + 4;
    ReplyLength = 0;
    ReplyByteCount = 0;
    if (int built = BuildRequest(device, function, data); built != ResultCode::Ok)
        return built;
    if (!IsOpen())
        return ResultCode::PortNotOpen;
    if (StopRequested())
        return ResultCode::Stopped;
    // A port that cannot even be purged is gone: the same as a failed read or write.
    if (!line_.purge()) {
        PortFailed();
        return ResultCode::PortFailure;
    }

    uint8_t scratch[ReplyBufferSize];
    return Transact(function, reply ? reply : scratch);
}

int ExchangeEngine::Transact(int function, uint8_t* reply) {
    purgeBeforeRepeat_ = false;
    int headerLeft = HeaderRepeats;
    int bodyLeft = BodyRepeats;
    for (;;) {
        const Outcome outcome = Attempt(function, reply);
        if (outcome.stage == 0)
            return outcome.code;
        if (repeatHook_) {
            const int left = outcome.stage == 1 ? headerLeft - 1 : bodyLeft - 1;
            const int limit = outcome.stage == 1 ? HeaderRepeats : BodyRepeats;
            if (left > 0)
                repeatHook_(outcome.code, limit - left + 1, limit);
        }
        Pause(RepeatPause);
        if (StopRequested())
            return ResultCode::Stopped;
        // The rest of a garbled echo and the reply behind it would be read as the next reply.
        if (purgeBeforeRepeat_) {
            purgeBeforeRepeat_ = false;
            if (!line_.purge()) {
                PortFailed();
                return ResultCode::PortFailure;
            }
        }
        if (outcome.stage == 1) {
            if (--headerLeft <= 0)
                return outcome.code;
        } else {
            // A good header came: only consecutive header failures end the transaction.
            headerLeft = HeaderRepeats;
            if (--bodyLeft <= 0)
                return outcome.code;
        }
        if (!observers_.Empty())
            ObserveRepeat(outcome.stage, outcome.stage == 1 ? headerLeft : bodyLeft,
                          outcome.stage == 1 ? HeaderRepeats : BodyRepeats);
    }
}

ExchangeEngine::Outcome ExchangeEngine::Attempt(int function, uint8_t* reply) {
    Pause(DelayTx);
    ++framesSent_;
    if (line_.write(frame_, FrameLength) < 0) {
        PortFailed();
        return {ResultCode::PortFailure, 0};
    }
    const int64_t sent = observers_.Empty() ? 0 : clock_.nowMicros();
    if (!observers_.Empty())
        observers_.Each([&](FrameObserver& o) {
            o.OnRequest(sent, frame_, FrameLength, observedDevice_, function);
        });
    if (EchoInUse()) {
        if (const Outcome echo = TakeEcho(); echo.code >= 0)
            return echo;
    }
    if (function == kBroadcastFunction) {
        // Nothing comes back, but the next request's purge must not cut the frame that is
        // still going out: the write only handed it to the port.
        Pause(FrameTimeMs(FrameLength) + kBroadcastMarginMs);
        return {ResultCode::Ok, 0};
    }

    int got = line_.read(reply, RtuFrame::HeaderLength);
    if (got < 0) {
        PortFailed();
        return {ResultCode::PortFailure, 0};
    }
    if (!EchoInUse() && got == RtuFrame::HeaderLength) {
        if (std::equal(reply, reply + RtuFrame::HeaderLength, frame_)) {
            if (const Outcome echo = SniffEcho(function, reply, got); echo.code >= 0)
                return echo;
        } else if (echoMode_ == EchoMode::Auto &&
                   (reply[1] & ~RtuFrame::ExceptionFlag) == function) {
            echoFound_ = 0; // a reply straight away: this adapter does not echo
        }
    }
    if (got == 0) {
        if (!observers_.Empty()) {
            const int64_t now = clock_.nowMicros();
            observers_.Each([&](FrameObserver& o) { o.OnTimeout(now, now - sent); });
        }
        return {ResultCode::NoAnswer, 1};
    }
    if (got < RtuFrame::HeaderLength) {
        if (!observers_.Empty())
            ObserveReply(reply, got, ReplyCheck::Short);
        return {ResultCode::Timeout, 1};
    }

    ReplyByteCount = reply[2];
    ReplyLength = RtuFrame::ExpectedReplyLength(function, FrameLength, ReplyByteCount);
    if (reply[1] == (function | RtuFrame::ExceptionFlag)) {
        if (reply[2] != 0) {
            ReplyLength = 5;
            // The exception's CRC is taken off the line too: the monitor shows the whole frame
            // with its check, and nothing of it is left for the next purge. The code counts
            // either way; a device that stops after the header costs one read's time-out.
            const int crc = line_.read(reply + RtuFrame::HeaderLength, RtuFrame::CrcLength);
            if (crc < 0) {
                PortFailed();
                return {ResultCode::PortFailure, 0};
            }
            if (!observers_.Empty())
                ObserveReply(reply, RtuFrame::HeaderLength + crc,
                             crc < RtuFrame::CrcLength                  ? ReplyCheck::Short
                             : RtuFrame::CrcMatches(reply, ReplyLength) ? ReplyCheck::Good
                                                                        : ReplyCheck::BadCrc);
            return {reply[2], 0};
        }
    } else if (reply[1] != function) {
        // Somebody else's answer, or noise: repeat, and if it never comes right, say so.
        if (!observers_.Empty())
            ObserveReply(reply, RtuFrame::HeaderLength, ReplyCheck::NotChecked);
        return {ResultCode::ReceiveError, 1};
    }
    return ReadBody(reply);
}

ExchangeEngine::Outcome ExchangeEngine::ReadBody(uint8_t* reply) {
    // The length rules cannot ask for more than the buffer; a guard all the same.
    const int length = std::min(ReplyLength, static_cast<int>(ReplyBufferSize));
    const int wanted = length - RtuFrame::HeaderLength;
    if (wanted <= 0)
        return {ResultCode::Checksum, 2};
    const int got = line_.read(reply + RtuFrame::HeaderLength, wanted);
    if (got < 0) {
        PortFailed();
        return {ResultCode::PortFailure, 0};
    }
    const bool crcGood = got == wanted && RtuFrame::CrcMatches(reply, length);
    if (!observers_.Empty())
        ObserveReply(reply, RtuFrame::HeaderLength + got,
                     got < wanted ? ReplyCheck::Short
                                  : (crcGood ? ReplyCheck::Good : ReplyCheck::BadCrc));
    if (got == 0)
        return {ResultCode::NoAnswer, 2};
    if (got < wanted)
        return {ResultCode::Timeout, 2};
    if (!crcGood)
        return {ResultCode::Checksum, 2};
    return {ResultCode::Ok, 0};
}

void ExchangeEngine::ObserveReply(const uint8_t* reply, int length, ReplyCheck check) {
    const int64_t now = clock_.nowMicros();
    observers_.Each([&](FrameObserver& o) { o.OnReply(now, reply, length, check); });
}

void ExchangeEngine::ObserveRepeat(int stage, int left, int of) {
    const int64_t now = clock_.nowMicros();
    const int attempt = of - left + 1;
    observers_.Each([&](FrameObserver& o) { o.OnRepeat(now, stage, attempt, of); });
}

void ExchangeEngine::PortFailed() {
    portFailureText_ = line_.errorText();
    line_.close();
}

int64_t ExchangeEngine::NowMs() const {
    return clock_.nowMicros() / 1000;
}

void ExchangeEngine::Pause(int ms) {
    if (ms <= 0 || StopRequested())
        return;
    // Measured on the monotonic clock: midnight or a change of the system time cannot
    // stretch or cut it.
    clock_.sleepUntilMicros(clock_.nowMicros() + static_cast<int64_t>(ms) * 1000, stop_);
}
