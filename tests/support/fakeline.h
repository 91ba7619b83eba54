#pragma once
// A scripted serial line for tests. Every frame the engine writes is recorded; the reply to it
// comes from a queue of scripted replies or, when the queue is empty, from a responder
// function; no reply at all is a silent device. Reads keep the line's time-out rules on a
// virtual clock: nothing to read costs 1000 ms + 100 ms per byte asked for, a reply that stops
// short costs 100 ms after its last byte.

#include "link/serialline.h"
#include "support/virtualclock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class FakeLine : public SerialLine {
public:
    using Bytes = std::vector<uint8_t>;
    using Responder = std::function<Bytes(const Bytes& request)>;

    // A port name the fake accepts besides the real ports of the platform.
    static constexpr const char* PortName = "FAKE";

    explicit FakeLine(VirtualClock& clock) : clock_(clock) {}

    bool open(const LineSettings& settings) override;
    bool close() override;
    bool isOpen() const override { return open_; }
    bool purge() override;
    int write(const uint8_t* bytes, int count) override;
    int read(uint8_t* buffer, int count) override;
    std::string errorText() const override { return error_; }
    bool acceptsPortName(const std::string& name, std::string* location) const override;
    bool setKernelRs485(bool on) override;
    bool setRts(bool high) override;
    bool drain() override;

    // --- script ---
    // The reply to the next request not yet answered (an empty one: the device stays silent).
    void QueueReply(Bytes reply) { queue_.push_back(std::move(reply)); }
    void QueueSilence(int requests = 1);
    // Answers the requests once the queue is empty.
    void SetResponder(Responder responder) { responder_ = std::move(responder); }
    // Bytes that arrive now, unasked (noise on the line).
    void Inject(const Bytes& bytes) { input_.insert(input_.end(), bytes.begin(), bytes.end()); }
    void AcceptPortName(const std::string& name) { names_.insert(name); }
    // An adapter that hears itself: every request comes back before its reply. A garble
    // function, when set, changes what comes back (another device talking at the same time).
    void SetEcho(bool echo) { echo_ = echo; }
    void SetEchoGarble(std::function<void(Bytes&)> garble) { garble_ = std::move(garble); }
    // Called at every step of a wait for bytes that do not come (the steps at which the stop is
    // looked at): a test looks at the windows there, the line waiting.
    void OnWaitStep(std::function<void()> step) { waitStep_ = std::move(step); }
    // Opens the fake without the engine's settings (for tests that skip ApplyPortSettings).
    void ForceOpen() { open_ = true; }

    // What the port can do to switch a driver with RTS (neither, by default, as a gateway).
    void SetDirectionMeans(bool kernelMode, bool rts) {
        kernelMode_ = kernelMode;
        rts_ = rts;
    }
    // The calls for it in order, with the writes among them: "rs485 on", "rts 1", "write",
    // "drain", "rts 0", "rs485 off".
    const std::vector<std::string>& DirectionCalls() const { return directionCalls_; }

    // --- faults ---
    void FailOpen(bool fail) { failOpen_ = fail; }
    void FailClose(bool fail) { failClose_ = fail; }
    void FailPurge(bool fail) { failPurge_ = fail; }
    // From the call after okCalls more successful ones on, reads (writes) fail with -1, as a
    // port whose adapter was pulled out does; -1 stops the failure.
    void FailReadsAfter(int okCalls) { readsLeft_ = okCalls; }
    void FailWritesAfter(int okCalls) { writesLeft_ = okCalls; }

    // --- records ---
    // A copy: the engine's thread may be writing meanwhile (a poll).
    std::vector<Bytes> Written() const {
        std::lock_guard<std::mutex> lock(recordsMutex_);
        return written_;
    }
    // Virtual time of each write, in microseconds.
    const std::vector<int64_t>& WriteTimes() const { return writeTimes_; }
    int ReadCalls() const { return readCalls_; }
    int PurgeCalls() const { return purgeCalls_; }
    int OpenCalls() const { return openCalls_; }
    int CloseCalls() const { return closeCalls_; }
    const LineSettings& LastSettings() const { return settings_; }
    // Bytes that arrived and were not read yet.
    int Pending() const { return static_cast<int>(input_.size()); }
    int QueuedReplies() const { return static_cast<int>(queue_.size()); }
    void ClearRecords();

private:
    VirtualClock& clock_;
    bool open_ = false;
    bool failOpen_ = false;
    bool failClose_ = false;
    bool failPurge_ = false;
    bool echo_ = false;
    bool kernelMode_ = false;
    bool rts_ = false;
    std::vector<std::string> directionCalls_;
    std::function<void(Bytes&)> garble_;
    std::function<void()> waitStep_;
    int readsLeft_ = -1;
    int writesLeft_ = -1;
    std::deque<Bytes> queue_;
    Responder responder_;
    std::deque<uint8_t> input_;
    std::set<std::string> names_{PortName};
    mutable std::mutex recordsMutex_;
    std::vector<Bytes> written_;
    std::vector<int64_t> writeTimes_;
    int readCalls_ = 0;
    int purgeCalls_ = 0;
    int openCalls_ = 0;
    int closeCalls_ = 0;
    LineSettings settings_;
    std::string error_;
};
