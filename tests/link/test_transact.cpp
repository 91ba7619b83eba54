// One transaction: reply forms, the two stages of repeats, and what they cost in time.

#include "enginefixture.h"

#include <string>

namespace {

using TestFrame::Exception;
using TestFrame::Normal;
using TestFrame::Truncated;
using TestFrame::WithCrc;

// The configuration reply of a device with two modules: 22 bytes.
Bytes ConfigReply(uint8_t address = 1) {
    return Normal(address, 0x11, {2, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
}

TEST_F(EngineTest, GoodReplyIsInTheBuffer) {
    const Bytes answer = ConfigReply();
    ASSERT_EQ(answer.size(), 22u);
    line.QueueReply(answer);
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(ReplyBytes(22), answer);
    EXPECT_EQ(port.ReplyLength, 22);
    EXPECT_EQ(port.ReplyByteCount, 17);
    EXPECT_EQ(line.Written().size(), 1u);
    EXPECT_EQ(line.PurgeCalls(), 1);
    EXPECT_EQ(clock.ElapsedMs(), 25.0);
}

TEST_F(EngineTest, ReplyAddressIsNotCompared) {
    line.QueueReply(ConfigReply(9));
    EXPECT_EQ(Run(0, 17), 0);
}

TEST_F(EngineTest, PortNotOpenGives256WithoutWriting) {
    port.ClosePort();
    EXPECT_EQ(Run(0, 17), ResultCode::PortNotOpen);
    EXPECT_TRUE(line.Written().empty());
}

struct ExceptionCase {
    int function;
    uint8_t code;
};

class ExceptionReply : public EngineTest, public ::testing::WithParamInterface<ExceptionCase> {};

TEST_P(ExceptionReply, ReturnedAtOnceWithoutRepeats) {
    const auto [function, code] = GetParam();
    line.SetResponder(
        [&](const Bytes&) { return Exception(1, static_cast<uint8_t>(function), code); });
    EXPECT_EQ(Run(0, function, function == 14 ? Bytes{} : Bytes{0x01}), code);
    EXPECT_EQ(line.Written().size(), 1u);
    EXPECT_EQ(port.ReplyLength, 5);
    EXPECT_EQ(clock.ElapsedMs(), 25.0);
}

INSTANTIATE_TEST_SUITE_P(Codes, ExceptionReply,
                         ::testing::Values(ExceptionCase{68, 1}, ExceptionCase{68, 2},
                                           ExceptionCase{14, 6}, ExceptionCase{69, 7},
                                           ExceptionCase{17, 0x7F}, ExceptionCase{68, 0x81},
                                           ExceptionCase{100, 0xFF}));

TEST_F(EngineTest, ExceptionFormWithCodeZeroIsReadLikeANormalReply) {
    // Third byte 0: byte count 0, so five bytes with a good CRC make a good reply.
    line.QueueReply(WithCrc({0x01, 0x91, 0x00}));
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(port.ReplyLength, 5);
}

TEST_F(EngineTest, SilentDeviceGives130AfterRepeat1HeadersInAboutEightSeconds) {
    EXPECT_EQ(Run(0, 17), ResultCode::NoAnswer);
    EXPECT_EQ(line.Written().size(), 5u);
    // 5 x (25 ms before sending + 1300 ms waiting for 3 bytes + 300 ms after the failure).
    EXPECT_EQ(clock.ElapsedMs(), 5 * (25 + 1300 + 300));
    // The same frame each time, and no purge between the attempts.
    for (const Bytes& frame : line.Written())
        EXPECT_EQ(frame, Bytes({0x01, 0x11, 0xC0, 0x2C}));
    EXPECT_EQ(line.PurgeCalls(), 1);
}

TEST_F(EngineTest, Repeat1SetsTheNumberOfHeaderAttempts) {
    port.SetHeaderRepeats(2);
    EXPECT_EQ(Run(0, 17), ResultCode::NoAnswer);
    EXPECT_EQ(line.Written().size(), 2u);
}

TEST_F(EngineTest, FourSilentHeadersThenAnAnswerSucceed) {
    line.QueueSilence(4);
    line.QueueReply(ConfigReply());
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(line.Written().size(), 5u);
}

TEST_F(EngineTest, ShortHeadersGive129) {
    line.SetResponder([](const Bytes&) { return Bytes{0x01, 0x11}; });
    EXPECT_EQ(Run(0, 17), ResultCode::Timeout);
    EXPECT_EQ(line.Written().size(), 5u);
    // 5 x (25 + 100 ms after the last byte + 300).
    EXPECT_EQ(clock.ElapsedMs(), 5 * (25 + 100 + 300));
}

TEST_F(EngineTest, PartialBodiesGive129AfterRepeat2) {
    line.SetResponder([](const Bytes&) { return Truncated(ConfigReply(), 10); });
    EXPECT_EQ(Run(0, 17), ResultCode::Timeout);
    EXPECT_EQ(line.Written().size(), 10u);
    EXPECT_EQ(clock.ElapsedMs(), 10 * (25 + 100 + 300));
}

TEST_F(EngineTest, MissingBodiesGive130AfterRepeat2) {
    line.SetResponder([](const Bytes&) { return Truncated(ConfigReply(), 3); });
    EXPECT_EQ(Run(0, 17), ResultCode::NoAnswer);
    EXPECT_EQ(line.Written().size(), 10u);
    // 19 body bytes asked for: 1000 + 1900 ms of silence each time.
    EXPECT_EQ(clock.ElapsedMs(), 10 * (25 + 2900 + 300));
}

TEST_F(EngineTest, Repeat2CountsBodyFailuresInAll) {
    port.SetBodyRepeats(3);
    for (int i = 0; i < 2; ++i) {
        line.QueueReply(Truncated(ConfigReply(), 8));
        line.QueueSilence(4);
    }
    line.QueueReply(Truncated(ConfigReply(), 8));
    line.QueueReply(ConfigReply()); // never reached
    EXPECT_EQ(Run(0, 17), ResultCode::Timeout);
    EXPECT_EQ(line.Written().size(), 11u);
}

TEST_F(EngineTest, AGoodHeaderResetsTheHeaderCount) {
    line.QueueSilence(4);
    line.QueueReply(Truncated(ConfigReply(), 6));
    line.QueueSilence(4);
    line.QueueReply(ConfigReply());
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(line.Written().size(), 10u);
}

TEST_F(EngineTest, WithoutAGoodHeaderTheFifthFailureEnds) {
    line.QueueSilence(4);
    line.QueueReply(Bytes{0x01}); // a header failure as well
    line.QueueReply(ConfigReply());
    EXPECT_EQ(Run(0, 17), ResultCode::Timeout);
    EXPECT_EQ(line.Written().size(), 5u);
}

class CrcByte : public EngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(CrcByte, EitherWrongByteIsAChecksumError) {
    Bytes bad = ConfigReply();
    bad[bad.size() - 2 + GetParam()] ^= 0x01;
    line.SetResponder([&](const Bytes&) { return bad; });
    EXPECT_EQ(Run(0, 17), ResultCode::Checksum);
    EXPECT_EQ(line.Written().size(), 10u);
}

TEST_P(CrcByte, AWrongByteIsRepeatedUntilAGoodReply) {
    Bytes bad = ConfigReply();
    bad[bad.size() - 2 + GetParam()] ^= 0x80;
    line.QueueReply(bad);
    line.QueueReply(ConfigReply());
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(line.Written().size(), 2u);
    EXPECT_EQ(clock.ElapsedMs(), 25 + 300 + 25);
}

INSTANTIATE_TEST_SUITE_P(LowHigh, CrcByte, ::testing::Values(0, 1));

TEST_F(EngineTest, CorruptDataByteIsAChecksumError) {
    Bytes bad = ConfigReply();
    bad[7] ^= 0x10;
    line.SetResponder([&](const Bytes&) { return bad; });
    EXPECT_EQ(Run(0, 17), ResultCode::Checksum);
}

struct LengthCase {
    const char* what;
    int function;
    Bytes data;
    Bytes reply; // a good reply of the expected length
};

class ReplyLengthCase : public EngineTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(ReplyLengthCase, ReadsExactlyTheExpectedLength) {
    const LengthCase& c = GetParam();
    // A byte more than the reply: it must stay unread.
    Bytes sent = c.reply;
    sent.push_back(0xEE);
    line.QueueReply(sent);
    EXPECT_EQ(Run(0, c.function, c.data), 0);
    EXPECT_EQ(port.ReplyLength, static_cast<int>(c.reply.size()));
    EXPECT_EQ(ReplyBytes(static_cast<int>(c.reply.size())), c.reply);
    EXPECT_EQ(line.Pending(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Functions, ReplyLengthCase,
    ::testing::Values(
        // Poll: the echo of the four-byte request, whose third byte is a CRC byte.
        LengthCase{"poll_echo", 14, {}, {0x01, 0x0E, 0x81, 0xE4}},
        // Write single coil: the echo of the eight-byte request; its third byte is 0x00.
        LengthCase{"coil_echo",
                   5,
                   {0x00, 0xAC, 0xFF, 0x00},
                   WithCrc({0x01, 0x05, 0x00, 0xAC, 0xFF, 0x00})},
        // Write multiple coils: always eight bytes, whatever the third byte says.
        LengthCase{"coils_fixed",
                   15,
                   {0x00, 0x13, 0x00, 0x0A, 0x02, 0xCD, 0x01},
                   WithCrc({0x01, 0x0F, 0x00, 0x13, 0x00, 0x0A})},
        LengthCase{
            "registers", 3, {0x00, 0x6B, 0x00, 0x02}, Normal(1, 3, {0x02, 0x2B, 0x00, 0x00})},
        LengthCase{"empty_block", 68, {0x05}, Normal(1, 68, {})},
        LengthCase{"longest", 68, {0x11}, Normal(1, 68, Bytes(255, 0xA5))}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(EngineTest, FunctionFifteenIgnoresTheByteCount) {
    // Five bytes would be a complete reply by the byte count rule; fifteen wants eight.
    line.SetResponder([](const Bytes&) { return WithCrc({0x01, 0x0F, 0x00}); });
    EXPECT_EQ(Run(0, 15, {0x00, 0x13, 0x00, 0x0A, 0x02, 0xCD, 0x01}), ResultCode::Timeout);
}

TEST_F(EngineTest, ForeignFunctionCodesGive128NeverZero) {
    line.SetResponder([](const Bytes&) { return Bytes{0x01, 0x03, 0x00}; });
    EXPECT_EQ(Run(0, 17), ResultCode::ReceiveError);
    EXPECT_EQ(line.Written().size(), 5u);
    EXPECT_EQ(clock.ElapsedMs(), 5 * (25 + 300));
}

TEST_F(EngineTest, ExceptionFormOfAnotherFunctionIsForeign) {
    line.SetResponder([](const Bytes&) { return Bytes{0x01, 0x84, 0x02}; });
    EXPECT_EQ(Run(0, 17), ResultCode::ReceiveError);
    EXPECT_EQ(line.Written().size(), 5u);
}

TEST_F(EngineTest, AForeignReplyThenTheRightOneSucceeds) {
    line.QueueReply(Bytes{0x01, 0x03, 0x00});
    line.QueueReply(ConfigReply());
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(line.Written().size(), 2u);
}

TEST_F(EngineTest, EachExchangePurgesLeftoversOfTheLastOne) {
    // An exception reply is read whole, CRC included; what comes after it the purge drops.
    line.QueueReply(Exception(1, 0x44, 0x02));
    EXPECT_EQ(Run(0, 68, {0x01}), 2);
    EXPECT_EQ(line.Pending(), 0);
    line.Inject({0x01, 0x11, 0x11});
    line.QueueReply(ConfigReply());
    EXPECT_EQ(Run(0, 17), 0);
}

struct PortFailureCase {
    const char* what;
    int okWrites; // successful writes before the failure (-1: none fails)
    int okReads;
    const char* systemText;
};

class PortFailureAt : public EngineTest, public ::testing::WithParamInterface<PortFailureCase> {};

TEST_P(PortFailureAt, Gives257ClosesThePortAndTheProgramGoesOn) {
    const PortFailureCase& c = GetParam();
    line.SetResponder([](const Bytes&) { return Truncated(ConfigReply(), 10); });
    line.FailWritesAfter(c.okWrites);
    line.FailReadsAfter(c.okReads);
    EXPECT_EQ(Run(0, 17), ResultCode::PortFailure);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(op.Shown().empty());
    EXPECT_EQ(Run(0, 17), ResultCode::PortNotOpen);
    ReportError(port, 0, ResultCode::PortFailure);
    ASSERT_EQ(op.Shown().size(), 1u);
    EXPECT_EQ(op.Shown()[0].text, std::string("Сбой COM-порта FAKE при чтении или записи (") +
                                      c.systemText +
                                      "). Проверьте оборудование и заново настройте порт.");
    EXPECT_EQ(op.Shown()[0].caption, "Ошибка");
    EXPECT_EQ(op.Shown()[0].icon, MsgIcon::Error);
}

INSTANTIATE_TEST_SUITE_P(
    Places, PortFailureAt,
    ::testing::Values(PortFailureCase{"first_write", 0, -1, "fake: write failed"},
                      PortFailureCase{"repeat_write", 2, -1, "fake: write failed"},
                      PortFailureCase{"header", -1, 0, "fake: read failed"},
                      PortFailureCase{"body", -1, 1, "fake: read failed"},
                      PortFailureCase{"later_body", -1, 5, "fake: read failed"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(EngineTest, DelayTxComesBeforeEveryTransmission) {
    port.SetDelayTx(40);
    line.QueueSilence(2);
    line.QueueReply(ConfigReply());
    EXPECT_EQ(Run(0, 17), 0);
    ASSERT_EQ(line.WriteTimes().size(), 3u);
    const int64_t t0 = line.WriteTimes()[0];
    EXPECT_EQ(t0 - (clock.nowMicros() - clock.ElapsedMicros()), 40'000);
    EXPECT_EQ(line.WriteTimes()[1] - t0, 1'300'000 + 300'000 + 40'000);
    EXPECT_EQ(line.WriteTimes()[2] - line.WriteTimes()[1], 1'300'000 + 300'000 + 40'000);
}

} // namespace
