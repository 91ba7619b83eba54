#pragma once
// The line through a serial-to-Ethernet gateway: one TCP connection, either carrying the RTU
// frames as they are (tcp://) or speaking Modbus TCP (mbtcp://), with the frames turned into
// MBAP and back on the way. Reads keep the engine's time-outs, so that a gateway nearby behaves
// as a serial line; a connection that drops is a port failure, as an adapter that vanished.

#include "link/gatewayaddress.h"
#include "link/mbapframe.h"
#include "link/netconnection.h"
#include "link/serialline.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class GatewayLine : public SerialLine {
public:
    GatewayLine() = default;
    ~GatewayLine() override;

    // Connects to the gateway the port name gives; speed, parity and stop bits are the
    // gateway's own business and are not used.
    bool open(const LineSettings& settings) override;
    bool close() override;
    bool isOpen() const override;
    // Drops what came since the last request; false when the connection has gone.
    bool purge() override;
    int write(const uint8_t* bytes, int count) override;
    int read(uint8_t* buffer, int count) override;
    std::string errorText() const override { return errorText_; }
    std::string openFailureText() const override { return openFailureText_; }
    // Every name meant for a gateway, written right or not: a wrong one is refused by open, which
    // says how to write it.
    bool acceptsPortName(const std::string& name, std::string* location) const override;
    void setRoundTripMs(int ms) override { roundTripMs_ = ms > 0 ? ms : 0; }

    // A read waits at most this long for its first byte (0: the line's own total time-out), the
    // round trip added; for the bus scan's short probes.
    void SetFirstByteTimeoutMs(int ms) { firstByteMs_ = ms; }
    void SetConnectTimeoutMs(int ms) { connectMs_ = ms; }
    GatewayKind Kind() const { return kind_; }
    // The gateway's own exception for the last request (0A: no path, 0B: the device did not
    // respond); 0 when it gave none.
    int GatewayException() const {
        return kind_ == GatewayKind::ModbusTcp ? reader_.GatewayException() : 0;
    }

    // The operator's words for what went wrong with the connection.
    static std::string FailureText(NetConnection::Failure failure, int systemError);

    static constexpr int ConnectTimeoutMs = 3000;
    // The line's time-outs, in milliseconds, as on a serial port.
    static constexpr int ByteGapMs = 100;
    static constexpr int TotalBaseMs = 1000;
    static constexpr int TotalPerByteMs = 100;

private:
    // Remembers what went wrong, closes the connection and reports -1.
    int Fail();
    // Takes what has come off the connection into the bytes waiting to be read; false when the
    // connection failed.
    bool ReceiveSome();
    // Moves up to count waiting bytes into buffer.
    int TakeWaiting(uint8_t* buffer, int count);

    NetConnection net_;
    GatewayKind kind_ = GatewayKind::RtuOverTcp;
    MbapReplyReader reader_;     // Modbus TCP
    uint16_t transaction_ = 0;   // of the last request sent
    std::vector<uint8_t> ahead_; // RTU over TCP: bytes read beyond what was asked for
    size_t aheadBegin_ = 0;
    std::string errorText_;
    std::string openFailureText_;
    int firstByteMs_ = 0;
    int roundTripMs_ = 0;
    int connectMs_ = ConnectTimeoutMs;
};
