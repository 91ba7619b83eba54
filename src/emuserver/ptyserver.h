#pragma once
// Serves one or more emulated devices on a pseudo-terminal: the program (or any Modbus master)
// opens the slave side as its serial port. Runs either on a background thread (Start/Stop) or
// on the caller's thread (Run). Frames are answered the moment they are complete, unless the
// line is paced like a real one (SetPacing).

#include "emu/device.h"
#include "emu/linepacing.h"
#include "emuserver/lineserver.h"

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

namespace emu {

class Framer;

class PtyServer : public LineServer {
public:
    PtyServer() = default;
    explicit PtyServer(Device& device) { AddDevice(device); }
    ~PtyServer() override;
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Devices sharing the line; add them before serving. The server does not own them. A
    // device with a speed of its own listens only at that speed, whatever the line's.
    void AddDevice(Device& device, int speed = 0) override;
    // The speed the devices listen at (0: any). A request sent at another speed is noise to
    // them and gets no answer, as on a real line.
    void SetLineSpeed(int baud) override { lineSpeed_ = baud; }

    // Opens the pseudo-terminal (raw, so that no byte is translated); on failure the reason goes
    // to `error`.
    bool Open(std::string* error = nullptr) override;
    bool IsOpen() const { return master_ >= 0; }
    const std::string& SlavePath() const { return slavePath_; }
    std::string PortName() const override { return slavePath_; }

    bool Start(std::string* error = nullptr) override;
    void Stop() override;
    void Run() override;
    void RequestStop() override;
    void WatchInput(int fd, InputHandler handler) override;

    // Closes the terminal: whoever has the port open sees it vanish.
    void Close();

    // The line's timing; safe from any thread, taken from the next request on.
    void SetPacing(const Pacing& pacing) override;
    Pacing GetPacing() const override;

    uint64_t FramesReceived() const override { return framesReceived_.load(); }
    uint64_t RepliesSent() const override { return repliesSent_.load(); }
    bool HungUp() const override { return hungUp_.load(); }

private:
    bool OpenStopPipe(std::string* error);
    using TimePoint = std::chrono::steady_clock::time_point;
    bool ReadLine(Framer& framer); // false when the terminal failed
    void Dispatch(const std::vector<std::vector<uint8_t>>& frames, TimePoint requestEnd);
    // Request bytes whose time has come go to the framer, reply bytes to the port.
    void DeliverDue(Framer& framer);
    std::optional<TimePoint> NextDue() const;
    void Send(const std::vector<uint8_t>& bytes, bool wholeReply = true);
    void CloseTerminal();
    // Whether the port is set to a device's speed now (speed 0: the line's).
    bool AtSpeed(int speed) const;

    std::vector<Device*> devices_;
    std::vector<int> deviceSpeeds_; // 0: the line's speed
    int lineSpeed_ = 0;
    int master_ = -1;
    int slave_ = -1; // kept open so that a client closing the port does not hang up the line
    int stopPipe_[2] = {-1, -1};
    std::string slavePath_;
    int inputFd_ = -1;
    InputHandler inputHandler_;
    std::thread thread_;
    std::mutex runMutex_;
    std::atomic<uint64_t> framesReceived_{0};
    std::atomic<uint64_t> repliesSent_{0};
    std::atomic<bool> hungUp_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> pace_{false};
    std::atomic<int> latencyMs_{0};
    std::atomic<int> turnaroundMs_{-1};
    // Paced line: requests on their way in, reply pieces on their way out.
    struct Incoming {
        TimePoint due;
        std::vector<uint8_t> bytes;
    };
    std::deque<Incoming> incoming_;
    std::deque<LineTimer::Chunk> outgoing_;
    LineTimer timer_;
    CharFormat format_; // of the last request
};

} // namespace emu
