#pragma once
// Serves the emulated devices as a serial-to-Ethernet gateway would, on a loopback TCP port: in
// transparent mode the RTU frames come and go through the connection as over the wire; in Modbus
// TCP mode each request comes with the MBAP header and no CRC, goes to the devices as an RTU
// frame, and the answer goes back with the request's transaction. One connection at a time, as
// many gateways allow: a new one takes the place of the old. The line's pacing is the gateway's
// serial side (the speed given, 8 data bits and 2 stop bits).

#include "emu/framer.h"
#include "emu/linepacing.h"
#include "emuserver/lineserver.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace emu {

class TcpServer : public LineServer {
public:
    enum class Framing {
        RtuOverTcp, // tcp://
        ModbusTcp,  // mbtcp://
    };

    // Listens on host, which must be a loopback address (127.x.x.x), at port (0: a free one
    // chosen by the system), once opened.
    TcpServer(Framing framing, std::string host = "127.0.0.1", int port = 0);
    ~TcpServer() override;
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    void AddDevice(Device& device, int /*speed*/ = 0) override { devices_.push_back(&device); }
    void SetLineSpeed(int baud) override { format_.baud = baud > 0 ? baud : 9600; }
    bool Open(std::string* error = nullptr) override;
    // tcp://127.0.0.1:PORT or mbtcp://127.0.0.1:PORT, with the port actually listened on.
    std::string PortName() const override;
    int Port() const { return port_; }

    bool Start(std::string* error = nullptr) override;
    void Stop() override;
    void Run() override;
    void RequestStop() override;
    void WatchInput(int fd, InputHandler handler) override;
    // Stops listening: whoever is connected loses the connection.
    void Close();

    void SetPacing(const Pacing& pacing) override;
    Pacing GetPacing() const override;

    uint64_t FramesReceived() const override { return framesReceived_.load(); }
    uint64_t RepliesSent() const override { return repliesSent_.load(); }
    bool HungUp() const override { return hungUp_.load(); }
    // Connections taken so far.
    uint64_t Connections() const { return connections_.load(); }

    // The Modbus TCP answer a gateway gives for a request (an RTU frame) and the device's answer
    // to it: the answer without its address and CRC under the request's transaction; for an
    // answer that does not check (spoilt, cut short, noise) the gateway's exception 0B, "the
    // device behind the gateway did not respond"; nothing for no answer.
    static std::vector<uint8_t> MbapAnswer(const std::vector<uint8_t>& request,
                                           const std::vector<uint8_t>& answer,
                                           uint16_t transaction);

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Incoming {
        TimePoint due;
        std::vector<uint8_t> bytes; // raw bytes, or a whole RTU frame (Modbus TCP)
        uint16_t transaction = 0;
    };

    bool OpenStopPipe(std::string* error);
    void Accept(Framer& framer);
    void ReadClient(Framer& framer);
    // Takes whole Modbus TCP requests off the bytes received; false when they make no sense.
    bool TakeRequests(TimePoint now);
    void Dispatch(const std::vector<std::vector<uint8_t>>& frames, TimePoint requestEnd,
                  uint16_t transaction);
    void DeliverDue(Framer& framer);
    std::optional<TimePoint> NextDue() const;
    void Send(const std::vector<uint8_t>& bytes, bool wholeReply = true);
    void DropClient();
    void CloseAll();

    Framing framing_;
    std::string host_;
    int port_;
    std::vector<Device*> devices_;
    int listen_ = -1;
    int client_ = -1;
    int stopPipe_[2] = {-1, -1};
    int inputFd_ = -1;
    InputHandler inputHandler_;
    std::thread thread_;
    std::mutex runMutex_;
    std::atomic<uint64_t> framesReceived_{0};
    std::atomic<uint64_t> repliesSent_{0};
    std::atomic<uint64_t> connections_{0};
    std::atomic<bool> hungUp_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> pace_{false};
    std::atomic<int> latencyMs_{0};
    std::atomic<int> turnaroundMs_{-1};
    std::vector<uint8_t> received_; // Modbus TCP: bytes of a request not yet whole
    std::deque<Incoming> incoming_;
    std::deque<LineTimer::Chunk> outgoing_;
    LineTimer timer_;
    CharFormat format_;
};

} // namespace emu
