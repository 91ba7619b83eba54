#pragma once
// The exchange engine: the one road between the program and the devices on the RS-485 line.
// It frames one request, sends it, receives and checks the reply with two stages of repeats,
// and reports each failure as a typed error (link/linkerror.h) for the windows and lum08-cli to
// word.

#include "link/frameobserver.h"
#include "link/linkerror.h"
#include "link/serialline.h"
#include "model/operator.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Result codes of a transaction.
namespace ResultCode {
constexpr int Ok = 0;
constexpr int FunctionRefused = 1;
constexpr int Busy = 6;
constexpr int Final = 7;
constexpr int ReceiveError = 128;
constexpr int Timeout = 129;
constexpr int NoAnswer = 130;
constexpr int Checksum = 131;
constexpr int PortCannotOpen = 132;
constexpr int PortNotSetUp = 133;
constexpr int PortSwitchOff = 134;
constexpr int PortSetupError = 135;
constexpr int PortNotOpen = 256;
// The port itself failed while writing or reading (adapter unplugged): the port is closed.
constexpr int PortFailure = 257;
// The operator stopped the command; the request was not sent.
constexpr int Stopped = 258;
// The device went on answering "busy" past the write's limit: the block was sent, its storing
// never confirmed.
constexpr int BusyTooLong = 259;
// The adapter hands the request back, and what came back was not what was sent: somebody else
// talked on the line at the same time.
constexpr int Collision = 260;
// The program's own request came back as the reply: the adapter hears itself, and the echo is
// switched off.
constexpr int OwnRequestHeard = 261;
} // namespace ResultCode

// Whether the adapter hands back every byte the program sends before the reply (two-wire
// adapters whose receiver stays on do). Auto finds out from the replies and keeps the answer
// for the port.
enum class EchoMode { Auto, On, Off };

class ExchangeEngine {
public:
    static constexpr int ReplyBufferSize = 260;
    static constexpr int FrameBufferSize = 3000;

    // The real serial line (QSerialPort), the monotonic clock, no operator yet. Defined with
    // the real line (src/platform), so that the engine itself builds without Qt.
    ExchangeEngine();
    // A given line and clock, for tests; both must outlive the engine.
    ExchangeEngine(SerialLine& line, LineClock& clock);
    ~ExchangeEngine();
    ExchangeEngine(const ExchangeEngine&) = delete;
    ExchangeEngine& operator=(const ExchangeEngine&) = delete;

    // Messages go to this operator; nullptr drops them.
    void SetOperator(Operator* op) { op_ = op; }
    Operator* GetOperator() const { return op_; }
    // Told before each repeat: the failed attempt's code, the number of the coming attempt and
    // how many attempts the stage allows.
    void SetRepeatHook(std::function<void(int code, int attempt, int limit)> hook) {
        repeatHook_ = std::move(hook);
    }
    // Listeners to every frame, time-out, repeat and result (see frameobserver.h); they must
    // be removed before they die. None attached costs the engine nothing but a test.
    void AddObserver(FrameObserver* observer) { observers_.Add(observer); }
    void RemoveObserver(FrameObserver* observer) { observers_.Remove(observer); }
    // Tells every attached listener: code that talks on the line outside Exchange (the bus
    // scan) reports its frames here, so that the monitor shows them too.
    FrameObserver& Listeners() { return fanOut_; }
    // The line itself, for that code.
    SerialLine& Line() { return line_; }

    int ApplyPortSettings();
    void ClosePort();
    bool IsOpen() const;
    // One complete transaction; reply must hold ReplyBufferSize bytes.
    int Exchange(int device, int function, int count, const uint8_t* data, uint8_t* reply);
    // A plain sleep to the deadline; the operator's stop ends it at once.
    void Pause(int ms);
    static uint16_t Crc16(int count, const uint8_t* bytes);

    // The operator's stop, from any thread: no request is sent from now until ClearStop (a
    // command's start); a pause ends at once, a wait for a reply's first byte within
    // SerialLine::StopCheckMs, and the transaction under way at its next repeat.
    void RequestStop() { stop_.Raise(); }
    void ClearStop() { stop_.Clear(); }
    bool StopRequested() const { return stop_.Raised() || (stopSource_ && stopSource_()); }
    // A stop of the program's own besides the operator's (lum08-cli: a signal or its deadline),
    // asked wherever the stop is.
    void SetStopSource(std::function<bool()> due) { stopSource_ = std::move(due); }
    // Request frames put on the line so far (repeats included): whether a stopped
    // transaction's request went out at all.
    int64_t FramesSent() const { return framesSent_; }
    // The engine's clock in milliseconds (monotonic; virtual in tests).
    int64_t NowMs() const;

    int GetHeaderRepeats() const { return HeaderRepeats; }
    void SetHeaderRepeats(int n) { HeaderRepeats = n; }
    void SetBodyRepeats(int n) { BodyRepeats = n; }
    int GetDelayTx() const { return DelayTx; }
    void SetDelayTx(int ms) { DelayTx = ms; }
    int GetDelayRx() const { return DelayRx; }
    void SetDelayRx(int ms) { DelayRx = ms; }
    // The pause after a failed attempt (300 ms). A scan's probes make one attempt each and
    // need no rest after it: with the pause a silent address would cost it twice as much.
    void SetRepeatPause(int ms) { RepeatPause = ms; }
    // The network's round trip to a gateway far away, added to the wait for a reply's first byte
    // (0: a gateway nearby behaves as a serial line). A serial line ignores it.
    int GetRoundTripMs() const { return roundTripMs_; }
    void SetRoundTripMs(int ms) {
        roundTripMs_ = ms > 0 ? ms : 0;
        line_.setRoundTripMs(roundTripMs_);
    }

    // The adapter's echo: set by the operator; what Auto found holds until another port is set.
    void SetEchoMode(EchoMode mode);
    EchoMode GetEchoMode() const { return echoMode_; }
    // Whether the requests are read back before the replies now.
    bool EchoInUse() const {
        return echoMode_ == EchoMode::On || (echoMode_ == EchoMode::Auto && echoFound_ > 0);
    }
    // Auto: 1 the adapter echoes, 0 it does not, -1 not known yet.
    int EchoFound() const { return echoFound_; }

    // What a result code on device (0-based) means, with the port's own words for it.
    LinkError ErrorOf(int device, int code) const;
    // The words the listeners are told with each failed transaction (OnResult's message); none:
    // an empty message.
    void SetErrorWords(std::function<std::string(const LinkError&)> words) {
        errorWords_ = std::move(words);
    }
    // Those words for a result code (empty without words or for success).
    std::string ErrorText(int device, int code) const {
        return code != ResultCode::Ok && errorWords_ ? errorWords_(ErrorOf(device, code)) : "";
    }

    // How long bytes take on the line at the port's settings, rounded up.
    int FrameTimeMs(int bytes) const;

    // State of the transaction under way.
    int FrameLength = 0;
    int DataCount = 0;
    int ReplyLength = 0;
    int ReplyByteCount = 0;
    // Settings.
    // Attempts while the reply's header fails ("Повторы на 1 этапе"), and after a good header
    // while the rest fails ("Повторы на 2-м этапе").
    int HeaderRepeats = 5;
    int BodyRepeats = 10;
    int DelayTx = 25;
    int DelayRx = 20;
    int RepeatPause = 300;
    std::string Speed = "9600";
    std::string Parity = "N";
    std::string StopBits = "2";
    std::string PortName = "COM1";
    // "Управление передачей": taken when the port is set up.
    TransmitControl Transmit = TransmitControl::Auto;
    // The adapter's latency timer (USB adapters hand a reply over up to this late): the bus
    // scan's wait follows it.
    int AdapterLatencyMs = 16;

    // The allowed function codes, in table order.
    static const std::vector<int>& AllowedFunctions();
    // Whether the engine can set the port up at this speed (bit/s).
    static bool IsSupportedSpeed(int speed);

    // The system's own words for the last read or write failure of the port (code 257).
    const std::string& PortFailureText() const { return portFailureText_; }
    // Why the last opening of the port failed, in the operator's words (empty when unknown).
    const std::string& OpenFailureText() const { return openFailureText_; }

private:
    // How one attempt ended: stage 0 is final, 1 a failed header, 2 a failed body.
    struct Outcome {
        int code;
        int stage;
    };

    int BuildRequest(int device, int function, const uint8_t* data);
    int ExchangeFrame(int device, int function, int count, const uint8_t* data, uint8_t* reply);
    int Transact(int function, uint8_t* reply);
    Outcome Attempt(int function, uint8_t* reply);
    Outcome ReadBody(uint8_t* reply);
    // The echo of the request, read back before the reply; code -1: it came back whole.
    Outcome TakeEcho();
    // The first bytes of the reply are the request's own: finds out whether they are the
    // adapter's echo (Auto), says so (Off), or takes them as a reply that starts like its
    // request. got is the header's byte count, read again after an echo; code -1: go on with
    // the header.
    Outcome SniffEcho(int function, uint8_t* reply, int& got);
    void ObserveHeard(const uint8_t* bytes, int length);
    // Reads the reply on from have bytes to want; code -1 when they all came.
    Outcome ReadMore(uint8_t* reply, int have, int want);
    void PortFailed();
    // Tell the listeners; only called when there are some.
    void ObserveReply(const uint8_t* reply, int length, ReplyCheck check);
    void ObserveRepeat(int stage, int left, int of);

    std::unique_ptr<SerialLine> ownedLine_;
    std::unique_ptr<LineClock> ownedClock_;
    SerialLine& line_;
    LineClock& clock_;
    Operator* op_ = nullptr;
    std::function<void(int, int, int)> repeatHook_;
    std::function<std::string(const LinkError&)> errorWords_;
    FrameObserverList observers_;
    class FanOut : public FrameObserver {
    public:
        explicit FanOut(FrameObserverList& list) : list_(list) {}
        void OnRequest(int64_t at, const uint8_t* frame, int length, int device,
                       int function) override {
            list_.Each([&](FrameObserver& o) { o.OnRequest(at, frame, length, device, function); });
        }
        void OnReply(int64_t at, const uint8_t* bytes, int length, ReplyCheck check) override {
            list_.Each([&](FrameObserver& o) { o.OnReply(at, bytes, length, check); });
        }
        void OnTimeout(int64_t at, int64_t waited) override {
            list_.Each([&](FrameObserver& o) { o.OnTimeout(at, waited); });
        }
        void OnRepeat(int64_t at, int stage, int attempt, int attempts) override {
            list_.Each([&](FrameObserver& o) { o.OnRepeat(at, stage, attempt, attempts); });
        }
        void OnResult(int64_t at, int device, int code, const std::string& message) override {
            list_.Each([&](FrameObserver& o) { o.OnResult(at, device, code, message); });
        }

    private:
        FrameObserverList& list_;
    } fanOut_{observers_};
    int observedDevice_ = 0;
    StopSignal stop_;
    std::function<bool()> stopSource_;
    int64_t framesSent_ = 0;
    std::string portFailureText_;
    std::string openFailureText_;
    int roundTripMs_ = 0;
    EchoMode echoMode_ = EchoMode::Auto;
    int echoFound_ = -1;
    std::string echoPort_; // the port echoFound_ holds for
    // The line holds what is left of a garbled exchange: purged before the next attempt.
    bool purgeBeforeRepeat_ = false;
    uint8_t frame_[FrameBufferSize] = {};
};
