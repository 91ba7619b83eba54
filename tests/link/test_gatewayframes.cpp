// The gateways' names and the Modbus TCP framing, without a connection: how a port name reads as
// a gateway's address, how an RTU request becomes a Modbus TCP one, and how the replies that
// come off the connection become RTU frames again, late and cut ones included.

#include "link/gatewayaddress.h"
#include "link/mbapframe.h"
#include "support/testframes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

struct NameCase {
    const char* name;
    bool valid;
    GatewayKind kind;
    const char* host;
    int port;
};

const NameCase kNames[] = {
    {"tcp://10.0.0.5:4001", true, GatewayKind::RtuOverTcp, "10.0.0.5", 4001},
    {"mbtcp://gateway.plant-3:502", true, GatewayKind::ModbusTcp, "gateway.plant-3", 502},
    {"TCP://Cabinet_7:65535", true, GatewayKind::RtuOverTcp, "Cabinet_7", 65535},
    {"mbtcp://[::1]:502", true, GatewayKind::ModbusTcp, "::1", 502},
    {"tcp://10.0.0.5", false, {}, "", 0},
    {"tcp://:502", false, {}, "", 0},
    {"tcp://host:0", false, {}, "", 0},
    {"tcp://host:65536", false, {}, "", 0},
    {"tcp://host:0502", false, {}, "", 0},
    {"tcp://host:50a", false, {}, "", 0},
    {"tcp://ho st:502", false, {}, "", 0},
    {"tcp://host:502/x", false, {}, "", 0},
    {"tcp://user@host:502", false, {}, "", 0},
    {"mbtcp://[::1]502", false, {}, "", 0},
    {"mbtcp://[zz]:502", false, {}, "", 0},
    {"tcp://[fe80::7:1]:4001", true, GatewayKind::RtuOverTcp, "fe80::7:1", 4001},
    {"tcp://[1:2:3:4:5:6:7:8]:1", true, GatewayKind::RtuOverTcp, "1:2:3:4:5:6:7:8", 1},
    {"tcp://[::ffff:10.0.0.5]:1", true, GatewayKind::RtuOverTcp, "::ffff:10.0.0.5", 1},
    {"tcp://[1::2::3]:502", false, {}, "", 0},
    {"tcp://[12345::1]:502", false, {}, "", 0},
    {"tcp://[1:2:3:4:5:6:7:8:9]:502", false, {}, "", 0},
    {"tcp://[::10.0.0.256]:502", false, {}, "", 0},
};

TEST(GatewayAddress, ReadsTheNamesAnOperatorTypes) {
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(IsGatewayName(c.name));
        const auto address = ParseGatewayAddress(c.name);
        ASSERT_EQ(address.has_value(), c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(address->kind, c.kind);
        EXPECT_EQ(address->host, c.host);
        EXPECT_EQ(address->port, c.port);
    }
    for (const char* serial : {"/dev/ttyUSB0", "COM3", "ttyS1", "udp://host:502", "tcp:/host:1"}) {
        EXPECT_FALSE(IsGatewayName(serial)) << serial;
        EXPECT_FALSE(ParseGatewayAddress(serial)) << serial;
    }
}

TEST(MbapRequest, HeaderInPlaceOfTheAddressAndNoCrc) {
    const Bytes config = {0x01, 0x11, 0xC0, 0x2C};
    EXPECT_EQ(Mbap::RequestFromRtu(config.data(), 4, 0x1234),
              (Bytes{0x12, 0x34, 0x00, 0x00, 0x00, 0x02, 0x01, 0x11}));
    // The clock for every device: a broadcast goes to unit 0.
    const Bytes clock = TestFrame::WithCrc({0x00, 0x46, 5, 4, 3, 2, 1, 24, 2});
    EXPECT_EQ(Mbap::RequestFromRtu(clock.data(), 11, 0xFFFF),
              (Bytes{0xFF, 0xFF, 0x00, 0x00, 0x00, 0x09, 0x00, 0x46, 5, 4, 3, 2, 1, 24, 2}));
    // A block write of 18 bytes: unit, function, block, 18 bytes.
    Bytes write = {0x05, 0x45, 0x02};
    write.resize(21, 0xA5);
    write = TestFrame::WithCrc(write);
    const Bytes request = Mbap::RequestFromRtu(write.data(), 23, 1);
    ASSERT_EQ(request.size(), 7u + 20u);
    EXPECT_EQ(Bytes(request.begin(), request.begin() + 9),
              (Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x15, 0x05, 0x45, 0x02}));
    EXPECT_EQ(request.back(), 0xA5);
    // Nothing between the address and the CRC: no request at all.
    EXPECT_TRUE(Mbap::RequestFromRtu(config.data(), 3, 1).empty());
}

// A Modbus TCP frame: transaction, protocol 0, length, unit, PDU.
Bytes Frame(uint16_t transaction, uint8_t unit, const Bytes& pdu, int length = -1) {
    const int n = length >= 0 ? length : static_cast<int>(pdu.size()) + 1;
    Bytes frame = {uint8_t(transaction >> 8), uint8_t(transaction), 0,   0,
                   uint8_t(n >> 8),           uint8_t(n),           unit};
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    return frame;
}

Bytes Join(const Bytes& a, const Bytes& b) {
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

// Every byte alone, as a slow connection may hand them over.
std::vector<Bytes> OneByOne(const Bytes& bytes) {
    std::vector<Bytes> pieces;
    for (uint8_t b : bytes)
        pieces.push_back({b});
    return pieces;
}

const Bytes kClockPdu = {0x04, 0x02, 0x00, 0x05};

struct ReplyCase {
    const char* name;
    std::vector<Bytes> pieces; // as they come off the connection, transaction 7 expected
    Bytes rtu;                 // what the engine reads
    bool gaveUp = false;
};

const ReplyCase kReplies[] = {
    {"WholeReply", {Frame(7, 1, kClockPdu)}, TestFrame::WithCrc({0x01, 0x04, 0x02, 0x00, 0x05})},
    {"ByteByByte", OneByOne(Frame(7, 1, kClockPdu)),
     TestFrame::WithCrc({0x01, 0x04, 0x02, 0x00, 0x05})},
    {"LateReplyToAnEarlierRequestSkipped",
     {Join(Frame(6, 1, {0x11, 0x01, 0x09}), Frame(7, 1, kClockPdu))},
     TestFrame::WithCrc({0x01, 0x04, 0x02, 0x00, 0x05})},
    {"SecondReplyToTheSameRequestSkipped",
     {Frame(7, 1, kClockPdu), Frame(7, 1, {0x04, 0x02, 0x00, 0x09})},
     TestFrame::WithCrc({0x01, 0x04, 0x02, 0x00, 0x05})},
    {"DeviceExceptionPassesOn",
     {Frame(7, 1, {0x84, 0x02})},
     TestFrame::WithCrc({0x01, 0x84, 0x02})},
    // The right transaction from another unit: a proxy or gateway that mixed the answers up.
    {"AnotherUnitSkipped",
     {Frame(7, 3, kClockPdu), Frame(7, 1, kClockPdu)},
     TestFrame::WithCrc({0x01, 0x04, 0x02, 0x00, 0x05})},
    {"OnlyAnotherUnitGivesNothing", {Frame(7, 3, kClockPdu)}, {}},
    {"CutShortGivesWhatCame",
     {Frame(7, 1, {0x11, 0x11, 0x02, 0x01}, 19)},
     {0x01, 0x11, 0x11, 0x02, 0x01}},
    {"GatewaySaysTheDeviceDidNotRespond", {Frame(7, 1, {0x84, 0x0B})}, {}, true},
    {"GatewayHasNoPath", {Frame(7, 1, {0x84, 0x0A})}, {}, true},
    {"AnRtuFrameIsNoModbusTcp", {TestFrame::WithCrc({0x01, 0x04, 0x02, 0x00, 0x05})}, {}},
    {"WrongProtocolSkipped", {Bytes{0, 7, 0, 1, 0, 3, 1, 0x84, 0x02}}, {}},
};

class MbapReply : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(MbapReply, ReadsAsTheRtuReply) {
    const ReplyCase& c = GetParam();
    MbapReplyReader reader;
    reader.Expect(7, 1);
    for (const Bytes& piece : c.pieces)
        reader.Feed(piece.data(), static_cast<int>(piece.size()));
    Bytes out(260);
    out.resize(static_cast<size_t>(reader.Take(out.data(), 260)));
    EXPECT_EQ(out, c.rtu);
    EXPECT_EQ(reader.GatewayGaveUp(), c.gaveUp);
}

INSTANTIATE_TEST_SUITE_P(Cases, MbapReply, ::testing::ValuesIn(kReplies),
                         [](const ::testing::TestParamInfo<ReplyCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(MbapReplyReader, FollowsAFrameAcrossANewRequest) {
    MbapReplyReader reader;
    reader.Expect(7, 1);
    // The reply to 7 is half in when the engine gives up on it and sends request 8.
    const Bytes late =
        Frame(7, 1, {0x44, 0x12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
    reader.Feed(late.data(), 10);
    uint8_t out[260];
    EXPECT_EQ(reader.Take(out, 3), 3);
    reader.Expect(8, 1);
    EXPECT_EQ(reader.Available(), 0);
    const Bytes rest = Join(Bytes(late.begin() + 10, late.end()), Frame(8, 1, kClockPdu));
    reader.Feed(rest.data(), static_cast<int>(rest.size()));
    const int n = reader.Take(out, 260);
    EXPECT_EQ(Bytes(out, out + n), TestFrame::WithCrc({0x01, 0x04, 0x02, 0x00, 0x05}));
}

} // namespace
