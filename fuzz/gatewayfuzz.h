#pragma once
// The two gateway lines with the fuzzer's input as the network: the bytes come in segments of
// any size, as TCP gives them, and the line's own framing turns them into what the engine reads.
// Modbus TCP: requests become MBAP frames and the reply reader (link/mbapframe.h) gives back
// RTU frames; transparent mode (tcp://): the bytes of a segment beyond what a read asked for wait
// for the next read, and a purge drops them, as the gateway line keeps and drops them.

#include "fuzzline.h"

#include "link/devicecommands.h"
#include "link/devicesequences.h"
#include "link/exchangeengine.h"
#include "link/mbapframe.h"
#include "model/devicedocument.h"
#include "model/operator.h"
#include "words/linkwords.h"

#include <memory>

class FuzzGatewayLine : public SerialLine {
public:
    FuzzGatewayLine(FuzzedDataProvider& input, bool modbusTcp) : in_(input), mbtcp_(modbusTcp) {}

    bool open(const LineSettings&) override {
        open_ = true;
        reader_.Reset();
        ahead_.clear();
        return true;
    }
    bool close() override {
        open_ = false;
        return true;
    }
    bool isOpen() const override { return open_; }
    bool purge() override {
        if (!open_)
            return false;
        // A late segment may come just before the purge: it is dropped with the rest.
        if (in_.ConsumeBool())
            Arrive();
        ahead_.clear();
        reader_.DropOutput();
        return true;
    }
    int write(const uint8_t* bytes, int count) override {
        if (!open_)
            return -1;
        if (!mbtcp_ || count <= 0)
            return count;
        ++transaction_;
        reader_.Expect(transaction_, bytes[0]);
        const std::vector<uint8_t> request = Mbap::RequestFromRtu(bytes, count, transaction_);
        if (request.empty())
            return 0;
        // MBAP: the transaction, protocol 0, the length of unit and PDU, the unit; no CRC.
        FUZZ_CHECK(count >= 4 && request.size() == size_t(count) + 4);
        FUZZ_CHECK(request[0] == transaction_ >> 8 && request[1] == (transaction_ & 0xFF));
        FUZZ_CHECK(request[2] == 0 && request[3] == 0);
        FUZZ_CHECK((request[4] << 8 | request[5]) == count - 2 && request[6] == bytes[0]);
        sentUnit_ = bytes[0];
        sentFunction_ = bytes[1];
        return count;
    }
    int read(uint8_t* buffer, int count) override {
        if (!open_)
            return -1;
        int got = Take(buffer, count);
        while (got < count && in_.remaining_bytes() > 0) {
            if (mbtcp_ && reader_.GatewayGaveUp())
                break;
            if (!Arrive())
                return -1;
            got += Take(buffer + got, count - got);
        }
        FUZZ_CHECK(got >= 0 && got <= count);
        return got;
    }
    std::string errorText() const override { return "fuzzed connection failure"; }
    bool acceptsPortName(const std::string& name, std::string* location) const override {
        if (location)
            *location = name;
        return true;
    }

private:
    int Take(uint8_t* buffer, int count) {
        if (mbtcp_) {
            const int n = reader_.Take(buffer, count);
            FUZZ_CHECK(n >= 0 && n <= count);
            return n;
        }
        const int n = std::min<int>(count, int(ahead_.size()));
        std::copy_n(ahead_.begin(), n, buffer);
        ahead_.erase(ahead_.begin(), ahead_.begin() + n);
        return n;
    }
    // One segment off the network; false when the connection failed.
    bool Arrive() {
        const uint8_t kind = in_.ConsumeIntegral<uint8_t>();
        if (kind == 0xFF)
            return false;
        std::vector<uint8_t> segment;
        if (mbtcp_ && kind % 4 == 0) {
            // A whole reply to the request (or to an earlier one): the framing's good road.
            const std::vector<uint8_t> pdu =
                in_.ConsumeBytes<uint8_t>(in_.ConsumeIntegralInRange<size_t>(0, 80));
            const uint16_t t = in_.ConsumeBool() ? transaction_ : uint16_t(transaction_ - 1);
            const int length = int(pdu.size()) + 2;
            segment = {uint8_t(t >> 8),      uint8_t(t),      0,         0,
                       uint8_t(length >> 8), uint8_t(length), sentUnit_, sentFunction_};
            segment.insert(segment.end(), pdu.begin(), pdu.end());
        } else {
            segment = in_.ConsumeBytes<uint8_t>(kind % 64);
        }
        if (mbtcp_) {
            const int before = reader_.Available();
            reader_.Feed(segment.data(), int(segment.size()));
            FUZZ_CHECK(reader_.Available() >= before);
        } else {
            ahead_.insert(ahead_.end(), segment.begin(), segment.end());
        }
        return true;
    }

    FuzzedDataProvider& in_;
    bool mbtcp_;
    bool open_ = false;
    MbapReplyReader reader_;
    uint16_t transaction_ = 0;
    uint8_t sentUnit_ = 0;
    uint8_t sentFunction_ = 0;
    std::vector<uint8_t> ahead_;
};

// The engine's requests over the line, alone and in the device sequences: every outcome is a
// result code and a good reply is a whole RTU frame.
inline int FuzzGatewayExchanges(const uint8_t* bytes, size_t size, bool modbusTcp) {
    FuzzedDataProvider in(bytes, size);
    FuzzGatewayLine line(in, modbusTcp);
    InstantClock clock;
    SilentOperator op;
    ExchangeEngine port(line, clock);
    port.SetOperator(&op);
    port.PortName = modbusTcp ? "mbtcp://fuzz:502" : "tcp://fuzz:4001";
    if (port.ApplyPortSettings() != 0)
        __builtin_trap();
    port.SetHeaderRepeats(in.ConsumeIntegralInRange<int>(1, 3));
    port.SetBodyRepeats(in.ConsumeIntegralInRange<int>(1, 3));
    port.SetDelayTx(0);
    for (int i = 0; i < 4 && in.remaining_bytes() > 0; ++i) {
        const int device = in.ConsumeIntegralInRange<int>(0, 30);
        int code = 0;
        if (in.ConsumeIntegralInRange<int>(0, 3) == 0) {
            DeviceDocument doc;
            code = ReadWholeDevice(port, doc, device, {});
            FUZZ_CHECK(doc.modules.GetModuleCount() <= 6);
        } else {
            static const int kFunctions[] = {17, 68, 14, 4};
            const int function = in.PickValueInArray(kFunctions);
            const std::vector<uint8_t> data =
                in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 4));
            auto reply = std::make_unique<uint8_t[]>(ExchangeEngine::ReplyBufferSize);
            code = port.Exchange(device, function, int(data.size()),
                                 data.empty() ? nullptr : data.data(), reply.get());
            FUZZ_CHECK(port.ReplyLength <= ExchangeEngine::ReplyBufferSize);
            if (code == 0)
                FUZZ_CHECK(ExchangeEngine::Crc16(port.ReplyLength, reply.get()) == 0);
        }
        FUZZ_CHECK((code >= -1 && code <= 255) || code == ResultCode::PortNotOpen ||
                   code == ResultCode::PortFailure || code == ResultCode::BusyTooLong);
        if (code > 0)
            ReportError(port, device, code);
        if (!port.IsOpen() && port.ApplyPortSettings() != 0)
            __builtin_trap();
    }
    return 0;
}
