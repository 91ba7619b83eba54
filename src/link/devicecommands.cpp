#include "link/devicecommands.h"

#include "link/rtuframe.h"

namespace {

constexpr int kFirstSendPauseMs = 50;
constexpr int kStorePauseMs = 300;
constexpr int kRetryPauseMs = 200;

// Runs a request whose reply has the normal form and hands back its data bytes.
int ReadData(ExchangeEngine& port, int device, int function, int count, const uint8_t* request,
             int minimum, std::vector<uint8_t>& data) {
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    data.clear();
    const int code = port.Exchange(device, function, count, request, reply);
    if (code != ResultCode::Ok)
        return code;
    const int byteCount = reply[2];
    if (byteCount < minimum)
        return ResultCode::ReceiveError;
    const uint8_t* first = reply + RtuFrame::HeaderLength;
    data.assign(first, first + byteCount);
    return ResultCode::Ok;
}

} // namespace

int ReadConfiguration(ExchangeEngine& port, int device, std::vector<uint8_t>& data) {
    return ReadData(port, device, DeviceCommand::ReadConfig, 0, nullptr, ReplySize::Config, data);
}

int ReadBlock(ExchangeEngine& port, int device, int block, std::vector<uint8_t>& data) {
    const uint8_t request[1] = {static_cast<uint8_t>(block)};
    const int minimum =
        block == DeviceBlock::Network ? ReplySize::NetworkBlock : ReplySize::ModuleBlock;
    return ReadData(port, device, DeviceCommand::ReadBlock, 1, request, minimum, data);
}

int WriteBlock(ExchangeEngine& port, int device, const uint8_t* data, int count) {
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    return port.Exchange(device, DeviceCommand::WriteBlock, count, data, reply);
}

int Poll(ExchangeEngine& port, int device) {
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    return port.Exchange(device, DeviceCommand::Poll, 0, nullptr, reply);
}

int ReadClock(ExchangeEngine& port, int device, DeviceClock& clock) {
    // Start register 1000, seven registers. The clock window asks ten times a second: the
    // registers are taken straight from the reply, without a buffer of their own.
    const uint8_t request[4] = {0x03, 0xE8, 0x00, 0x07};
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    const int code = port.Exchange(device, DeviceCommand::ReadInputRegisters, 4, request, reply);
    if (code != ResultCode::Ok)
        return code;
    if (reply[2] < ReplySize::Clock)
        return ResultCode::ReceiveError;
    const uint8_t* registers = reply + RtuFrame::HeaderLength;
    for (int i = 0; i < ClockBytes; ++i)
        clock[i] = registers[2 * i + 1];
    return ResultCode::Ok;
}

int SetClockBroadcast(ExchangeEngine& port, const DeviceClock& clock) {
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    return port.Exchange(0, DeviceCommand::SetClock, ClockBytes, clock.data(), reply);
}

bool IsFinalWriteCode(int code) {
    switch (code) {
    case ResultCode::NoAnswer:
    case ResultCode::Final:
    case ResultCode::PortCannotOpen:
    case ResultCode::PortNotSetUp:
    case ResultCode::PortSwitchOff:
    case ResultCode::PortSetupError:
    case ResultCode::PortNotOpen:
    case ResultCode::PortFailure:
    case ResultCode::Stopped:
    case ResultCode::BusyTooLong:
        return true;
    default:
        return false;
    }
}

namespace {

// Polls until the device stops saying it is busy, within the write's limit: a device that
// never stops would hold the command for ever.
int PollUntilStored(ExchangeEngine& port, int device, const WriteConfirm& how) {
    const int64_t start = port.NowMs();
    for (;;) {
        const int code = Poll(port, device);
        if (code != ResultCode::Busy)
            return code;
        const int busyMs = int(port.NowMs() - start);
        if (busyMs >= how.busyLimitMs)
            return ResultCode::BusyTooLong;
        if (how.onBusy)
            how.onBusy(busyMs);
        port.Pause(kRetryPauseMs);
    }
}

// The poll's word on a block the device took.
int Stored(ExchangeEngine& port, int device, const WriteConfirm& how) {
    port.Pause(kStorePauseMs);
    return PollUntilStored(port, device, how);
}

// A block the device refused with exception `code` is never stored: a final refusal ends the
// write, a busy device is waited out before the block goes again, any other costs a send.
int Refused(ExchangeEngine& port, int device, int code, const WriteConfirm& how) {
    if (code != ResultCode::Busy)
        return code;
    const int waited = PollUntilStored(port, device, how);
    return waited == ResultCode::Ok ? code : waited;
}

} // namespace

int WriteAndConfirm(ExchangeEngine& port, int& device, const uint8_t* data, int count,
                    const WriteConfirm& how) {
    if (how.initialPause)
        port.Pause(kFirstSendPauseMs);
    int budget = port.GetHeaderRepeats();
    for (;;) {
        const int64_t framesBefore = port.FramesSent();
        const int sent = WriteBlock(port, device, data, count);
        // The stop kept the block off the line: the device neither took it nor moved.
        if (sent == ResultCode::Stopped && port.FramesSent() == framesBefore)
            return sent;
        // An exception is the device saying it did not take the block: it stays at its
        // number, and a poll would only say it is storing nothing.
        const bool refused = sent > ResultCode::Ok && sent < ResultCode::ReceiveError;
        if (how.switchDeviceTo >= 0 && !refused)
            device = how.switchDeviceTo;
        if (how.onSend)
            how.onSend();
        // Otherwise the device's reply to the write tells nothing, but a port that is gone does.
        if (sent == ResultCode::PortNotOpen || sent == ResultCode::PortFailure)
            return sent;
        const int code = refused ? Refused(port, device, sent, how) : Stored(port, device, how);
        if (code == ResultCode::Ok || IsFinalWriteCode(code))
            return code;
        port.Pause(kRetryPauseMs);
        if (--budget <= 0)
            return code;
    }
}
