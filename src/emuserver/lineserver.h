#pragma once
// What serves the emulated devices on a line the program can open: a pseudo-terminal
// (PtyServer) or a loopback TCP port standing in for a gateway (TcpServer). lum08-emu and the
// tests drive either through this. The serving thread, its stop, the emulator's command input,
// the line's pacing and the wait between requests are the same for both; each server keeps only
// its own line.

#include "emu/device.h"
#include "emu/linepacing.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct pollfd;

namespace emu {

class Framer;

class LineServer : public LineTiming {
public:
    // Called when the watched descriptor is readable; return false to stop watching it.
    using InputHandler = std::function<bool()>;

    LineServer() = default;
    ~LineServer() override;
    LineServer(const LineServer&) = delete;
    LineServer& operator=(const LineServer&) = delete;

    // Devices sharing the line; add them before serving. The server does not own them.
    // A speed of the device's own (0: any) matters on a serial line only.
    virtual void AddDevice(Device& device, int speed = 0) = 0;
    // The speed of the devices' own line in bit/s (0: not given).
    virtual void SetLineSpeed(int baud) = 0;
    // Makes the line ready for the program to open; on failure the reason goes to `error`.
    virtual bool Open(std::string* error = nullptr) = 0;
    // The name the program opens the line by: the terminal's path, or tcp://127.0.0.1:PORT.
    virtual std::string PortName() const = 0;

    // Serves on a thread of its own until Stop(); opens the line first if need be.
    bool Start(std::string* error = nullptr);
    void Stop();
    // Serves on the calling thread until RequestStop() or a hangup fault.
    void Run();
    // Safe from a signal handler and from any thread.
    void RequestStop();
    // An extra descriptor that Run also waits on (the emulator's command input); set before Run.
    void WatchInput(int fd, InputHandler handler);

    // The line's timing; safe from any thread, taken from the next request on.
    void SetPacing(const Pacing& pacing) override;
    Pacing GetPacing() const override;

    uint64_t FramesReceived() const { return framesReceived_.load(); }
    uint64_t RepliesSent() const { return repliesSent_.load(); }
    // A hangup fault took the line away.
    bool HungUp() const { return hungUp_.load(); }

protected:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Frames = std::vector<std::vector<uint8_t>>;
    // Request bytes on their way in on a paced line.
    struct Incoming {
        TimePoint due;
        std::vector<uint8_t> bytes; // raw bytes, or a whole RTU frame (Modbus TCP)
        uint16_t transaction = 0;
    };
    // What one look at the line's descriptors found.
    enum class LineEvents { Served, Idle, Closed };

    static bool Fail(std::string* error, const std::string& what);
    static void CloseFd(int& fd);
    // Adds status flags and close-on-exec.
    static bool SetFlags(int fd, int statusFlags);

    bool OpenStopPipe(std::string* error);
    // Forgets whatever was on its way in or out: a new line, or a new client on it.
    void ClearQueues();

    // Serving goes on while this holds.
    virtual bool LineOpen() const = 0;
    // Someone is there to take the replies.
    virtual bool Connected() const = 0;
    // The line's own descriptors to wait on, at most two (-1: none).
    virtual void LineDescriptors(pollfd* line) const = 0;
    // Reads what the wait found on those descriptors. Idle: nobody holds the line's other end,
    // so its descriptor would wake the wait at once; the next wait is kept short instead.
    virtual LineEvents TakeLineEvents(const pollfd* line, Framer& framer) = 0;
    // Request bytes whose time has come.
    virtual void Deliver(const Incoming& in, Framer& framer) = 0;
    // Frames the framer gave up waiting on.
    virtual void Answer(const Frames& frames, TimePoint requestEnd) = 0;
    virtual void Send(const std::vector<uint8_t>& bytes, bool wholeReply) = 0;

    std::atomic<uint64_t> framesReceived_{0};
    std::atomic<uint64_t> repliesSent_{0};
    std::atomic<bool> hungUp_{false};
    std::deque<Incoming> incoming_;
    std::deque<LineTimer::Chunk> outgoing_; // reply pieces on their way out on a paced line
    LineTimer timer_;
    CharFormat format_;

private:
    // Request bytes whose time has come go to the devices, reply pieces to the line.
    void DeliverDue(Framer& framer);
    std::optional<TimePoint> NextDue() const;

    int stopPipe_[2] = {-1, -1};
    int inputFd_ = -1;
    InputHandler inputHandler_;
    std::thread thread_;
    std::mutex runMutex_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> pace_{false};
    std::atomic<int> latencyMs_{0};
    std::atomic<int> turnaroundMs_{-1};
    std::atomic<bool> echo_{false};
};

} // namespace emu
