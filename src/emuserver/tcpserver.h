#pragma once
// Serves the emulated devices as a serial-to-Ethernet gateway would, on a loopback TCP port: in
// transparent mode the RTU frames come and go through the connection as over the wire; in Modbus
// TCP mode each request comes with the MBAP header and no CRC, goes to the devices as an RTU
// frame, and the answer goes back with the request's transaction. One connection at a time, as
// many gateways allow: a new one takes the place of the old. The line's pacing is the gateway's
// serial side (the speed given, 8 data bits and 2 stop bits).

#include "emuserver/lineserver.h"

#include <cstdint>
#include <string>
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

    void AddDevice(Device& device, int /*speed*/ = 0) override { devices_.push_back(&device); }
    void SetLineSpeed(int baud) override { format_.baud = baud > 0 ? baud : 9600; }
    bool Open(std::string* error = nullptr) override;
    // tcp://127.0.0.1:PORT or mbtcp://127.0.0.1:PORT, with the port actually listened on.
    std::string PortName() const override;
    int Port() const { return port_; }

    // Stops listening: whoever is connected loses the connection.
    void Close();

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
    bool LineOpen() const override { return listen_ >= 0; }
    bool Connected() const override { return client_ >= 0; }
    void LineDescriptors(pollfd* line) const override;
    LineEvents TakeLineEvents(const pollfd* line, Framer& framer) override;
    void Deliver(const Incoming& in, Framer& framer) override;
    void Answer(const Frames& frames, TimePoint requestEnd) override;
    void Send(const std::vector<uint8_t>& bytes, bool wholeReply) override;
    void Accept(Framer& framer);
    void ReadClient(Framer& framer);
    // Takes whole Modbus TCP requests off the bytes received; false when they make no sense.
    bool TakeRequests(TimePoint now);
    void Dispatch(const Frames& frames, TimePoint requestEnd, uint16_t transaction);
    void DropClient();
    void CloseAll();

    Framing framing_;
    std::string host_;
    int port_;
    std::vector<Device*> devices_;
    int listen_ = -1;
    int client_ = -1;
    std::atomic<uint64_t> connections_{0};
    std::vector<uint8_t> received_; // Modbus TCP: bytes of a request not yet whole
};

} // namespace emu
