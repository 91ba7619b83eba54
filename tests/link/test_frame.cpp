// Request frames as they go on the line, the CRC, and the table of allowed function codes.

#include "enginefixture.h"

#include "link/rtuframe.h"
#include "words/linkwords.h"

#include <algorithm>
#include <string>

namespace {

struct CrcCase {
    Bytes bytes;
    uint16_t crc;
};

// Check values: the published Modbus CRC of "123456789" and frames from device manuals.
const CrcCase kCrcCases[] = {
    {{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x4B37},
    {{0x01, 0x11}, 0x2CC0},
    {{0x01, 0x04, 0x03, 0xE8, 0x00, 0x07}, 0xB831},
    {{0x01, 0x0E}, 0xE481},
    {{}, 0xFFFF},
};

TEST(Crc16, MatchesCheckValues) {
    for (const auto& c : kCrcCases) {
        EXPECT_EQ(ExchangeEngine::Crc16(static_cast<int>(c.bytes.size()), c.bytes.data()), c.crc);
        // The tests' own CRC, used to build replies, agrees with the same values.
        EXPECT_EQ(TestFrame::Crc(c.bytes), c.crc);
    }
}

TEST(Crc16, AgreesWithTheTestsOwnCrcAtEveryLength) {
    // The CRC takes two bytes a step and a last one alone: every length, odd and even, up to
    // a long write's frame.
    Bytes frame;
    uint32_t seed = 12345;
    for (int length = 0; length <= 300; ++length) {
        EXPECT_EQ(ExchangeEngine::Crc16(length, frame.data()), TestFrame::Crc(frame)) << length;
        seed = seed * 1103515245u + 12345u;
        frame.push_back(static_cast<uint8_t>(seed >> 16));
    }
}

TEST(Crc16, SingleBitChangesAlterTheCrc) {
    Bytes frame = {0x01, 0x44, 0x01};
    const uint16_t base = ExchangeEngine::Crc16(3, frame.data());
    for (int i = 0; i < 3; ++i)
        for (int bit = 0; bit < 8; ++bit) {
            Bytes changed = frame;
            changed[i] ^= static_cast<uint8_t>(1 << bit);
            EXPECT_NE(ExchangeEngine::Crc16(3, changed.data()), base) << i << ":" << bit;
        }
}

TEST(ReplyLengthRule, EchoFixedAndByteCount) {
    EXPECT_EQ(RtuFrame::ExpectedReplyLength(14, 4, 0x81), 4);
    EXPECT_EQ(RtuFrame::ExpectedReplyLength(5, 8, 0x00), 8);
    EXPECT_EQ(RtuFrame::ExpectedReplyLength(15, 11, 0x00), 8);
    EXPECT_EQ(RtuFrame::ExpectedReplyLength(17, 4, 17), 22);
    EXPECT_EQ(RtuFrame::ExpectedReplyLength(68, 5, 255), 260);
}

TEST(AllowedFunctions, TableInOrder) {
    const std::vector<int> expected = {1,  2,  3,  4,  5,  6,  14, 15, 17,
                                       18, 66, 67, 68, 69, 70, 71, 100};
    EXPECT_EQ(ExchangeEngine::AllowedFunctions(), expected);
}

struct RequestCase {
    const char* what;
    int device;
    int function;
    Bytes data;
    Bytes frame; // as it must appear on the line
};

class RequestFrame : public EngineTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(RequestFrame, WrittenAsTheProtocolSays) {
    const RequestCase& c = GetParam();
    Run(c.device, c.function, c.data);
    ASSERT_FALSE(line.Written().empty());
    EXPECT_EQ(line.Written().front(), c.frame);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestFrame,
    ::testing::Values(
        RequestCase{"config", 0, 17, {}, {0x01, 0x11, 0xC0, 0x2C}},
        RequestCase{"config_dev2", 1, 17, {}, {0x02, 0x11, 0xC0, 0xDC}},
        RequestCase{"block1", 0, 68, {0x01}, {0x01, 0x44, 0x01, 0xD2, 0xC0}},
        RequestCase{"clock",
                    0,
                    4,
                    {0x03, 0xE8, 0x00, 0x07},
                    {0x01, 0x04, 0x03, 0xE8, 0x00, 0x07, 0x31, 0xB8}},
        RequestCase{"poll_dev3", 2, 14, {}, {0x03, 0x0E, 0x80, 0x84}},
        RequestCase{"poll_dev6", 5, 14, {}, {0x06, 0x0E, 0x83, 0xD4}},
        RequestCase{"address", 0, 69, {0x63, 0x04}, {0x01, 0x45, 0x63, 0x04, 0x39, 0x3E}},
        RequestCase{"broadcast",
                    4,
                    70,
                    {0x00, 0x1E, 0x0C, 0x1F, 0x0C, 0x18, 0x02},
                    {0x00, 0x46, 0x00, 0x1E, 0x0C, 0x1F, 0x0C, 0x18, 0x02, 0xD1, 0x43}},
        RequestCase{"set_clock_without_data", 0, 70, {}, {0x01, 0x46, 0x81, 0xD2}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(EngineTest, RefusedFunctionsReturnOneAndWriteNothing) {
    const auto& allowed = ExchangeEngine::AllowedFunctions();
    int refused = 0;
    for (int function = 0; function < 256; ++function) {
        if (std::find(allowed.begin(), allowed.end(), function) != allowed.end())
            continue;
        ++refused;
        EXPECT_EQ(Run(0, function), ResultCode::FunctionRefused) << function;
    }
    EXPECT_EQ(refused, 256 - 17);
    EXPECT_TRUE(line.Written().empty());
    EXPECT_EQ(line.ReadCalls(), 0);
    EXPECT_EQ(clock.ElapsedMicros(), 0);
}

TEST_F(EngineTest, SixteenIsRefusedEvenWithTheDeviceAnswering) {
    line.SetResponder([](const Bytes&) { return TestFrame::Normal(1, 16, {0, 1}); });
    EXPECT_EQ(Run(0, 16, {0x00, 0x01}), 1);
    EXPECT_TRUE(line.Written().empty());
    ReportError(port, 0, 1);
    EXPECT_EQ(op.LastText(), "устройство 1 FAKE ошибка обмена 01");
}

TEST_F(EngineTest, BroadcastWithDataGoesToAddressZeroAndReadsNothing) {
    line.SetResponder([](const Bytes& r) { return r; }); // whatever comes back is not read
    const Bytes clockData = {0x00, 0x1E, 0x0C, 0x1F, 0x0C, 0x18, 0x02};
    EXPECT_EQ(Run(7, 70, clockData), 0);
    ASSERT_EQ(line.Written().size(), 1u);
    EXPECT_EQ(line.Written()[0][0], 0x00);
    EXPECT_EQ(line.ReadCalls(), 0);
    // The pause before the transmission, then the frame's time on the line (11 bytes of 11
    // bits at 9600 bit/s: 13 ms) and a margin, so that the next request's purge cuts nothing.
    EXPECT_EQ(clock.ElapsedMs(), 25.0 + 13 + 10);
}

TEST_F(EngineTest, BroadcastFunctionWithoutDataKeepsTheAddress) {
    EXPECT_EQ(Run(7, 70), 0);
    ASSERT_EQ(line.Written().size(), 1u);
    EXPECT_EQ(line.Written()[0], TestFrame::WithCrc({0x08, 0x46}));
    EXPECT_EQ(line.ReadCalls(), 0);
}

TEST_F(EngineTest, LongestRequestsFitTheFrame) {
    const Bytes data(255, 0x5A);
    EXPECT_EQ(Run(30, 69, data), ResultCode::NoAnswer);
    ASSERT_FALSE(line.Written().empty());
    Bytes expected = {31, 69};
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(line.Written()[0], TestFrame::WithCrc(expected));
}

TEST_F(EngineTest, RequestsThatCannotBeFramedAreRefused) {
    const Bytes big(ExchangeEngine::FrameBufferSize, 0);
    EXPECT_EQ(port.Exchange(0, 69, ExchangeEngine::FrameBufferSize - 3, big.data(), reply), 1);
    EXPECT_EQ(port.Exchange(0, 69, -1, big.data(), reply), 1);
    EXPECT_EQ(port.Exchange(0, 69, 3, nullptr, reply), 1);
    // An echo longer than the reply buffer could never be taken in.
    EXPECT_EQ(port.Exchange(0, 5, 257, big.data(), reply), 1);
    EXPECT_TRUE(line.Written().empty());
}

} // namespace
