#pragma once
// The program's own line: a serial port of the machine, or a gateway on the network when the
// port's name is a gateway's address (tcp://HOST:PORT, mbtcp://HOST:PORT). The engine and
// everything above it see one line whichever it is.

#include "link/gatewayline.h"
#include "platform/qtserialline.h"

class PortLine : public SerialLine {
public:
    PortLine() = default;
    ~PortLine() override;

    // Chooses the serial port or the gateway by the name, then opens it.
    bool open(const LineSettings& settings) override;
    bool close() override;
    bool isOpen() const override;
    bool purge() override;
    int write(const uint8_t* bytes, int count) override;
    int read(uint8_t* buffer, int count) override;
    std::string errorText() const override;
    std::string openFailureText() const override;
    bool acceptsPortName(const std::string& name, std::string* location) const override;
    void setRoundTripMs(int ms) override { gateway_.setRoundTripMs(ms); }
    void SetStopCheck(std::function<bool()> stop) override {
        serial_.SetStopCheck(stop);
        gateway_.SetStopCheck(stop);
        SerialLine::SetStopCheck(std::move(stop));
    }

    // The scan's short wait for a first byte, on either kind of line.
    void SetFirstByteTimeoutMs(int ms);
    // The gateway's own exception for the last request, 0 on a serial line.
    int GatewayException() const { return IsGateway() ? gateway_.GatewayException() : 0; }
    // Whether the line opened last is a gateway's.
    bool IsGateway() const { return active_ == &gateway_; }
    QtSerialLine& Serial() { return serial_; }
    GatewayLine& Gateway() { return gateway_; }

    // The name of the hold on a gateway: one per host and port whatever the scheme, since a
    // gateway serves one connection at a time; the host in lower case.
    static std::string GatewayLockName(const GatewayAddress& address);

private:
    // The hold that keeps a second program of this machine off the gateway (its single
    // connection would be taken over mid-exchange): taken before the connection is made, kept
    // while it is open. false when another program holds it.
    bool HoldGateway(const std::string& portName);
    void ReleaseGateway();

    QtSerialLine serial_;
    GatewayLine gateway_;
    SerialLine* active_ = &serial_;
    std::string holdFailure_; // why the hold was refused; empty when it was not
#ifdef _WIN32
    void* gatewayHold_ = nullptr;
#else
    int gatewayHold_ = -1;
    std::string gatewayHoldPath_;
#endif
};
