// Adapters that hear themselves: the request read back before the reply, Auto finding out from
// the first reply, a garbled echo told as a collision, an echo heard with the echo off.

#include "enginefixture.h"

namespace {

using TestFrame::Normal;

Bytes ConfigReply() {
    return Normal(1, 0x11, {2, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
}
// The poll's reply repeats the request: 01 0E and its CRC.
Bytes PollReply() {
    return TestFrame::WithCrc({0x01, 0x0E});
}

struct EchoCase {
    const char* name;
    EchoMode mode;
    bool adapterEchoes;
    int function; // 17 or 14
    int code;     // of the first exchange
    int echoFound;
};

class EchoSweep : public EngineTest, public ::testing::WithParamInterface<EchoCase> {};

TEST_P(EchoSweep, FirstExchangeAndTheOneAfter) {
    const EchoCase c = GetParam();
    port.SetEchoMode(c.mode);
    line.SetEcho(c.adapterEchoes);
    const Bytes answer = c.function == 17 ? ConfigReply() : PollReply();
    line.SetResponder([&](const Bytes&) { return answer; });
    EXPECT_EQ(Run(0, c.function), c.code);
    EXPECT_EQ(port.EchoFound(), c.echoFound);
    if (c.code == 0) {
        EXPECT_EQ(ReplyBytes(int(answer.size())), answer);
    }
    if (c.code == ResultCode::OwnRequestHeard) {
        EXPECT_EQ(int(line.Written().size()), port.GetHeaderRepeats()); // repeated, never hung
    }
    // Whatever the first found, a configuration read now comes out right with Auto.
    if (c.mode == EchoMode::Auto) {
        line.SetResponder([](const Bytes&) { return ConfigReply(); });
        EXPECT_EQ(Run(0, 17), 0);
        EXPECT_EQ(ReplyBytes(22), ConfigReply());
        EXPECT_EQ(port.EchoFound(), c.adapterEchoes ? 1 : 0);
    }
    if (c.code == 0) {
        EXPECT_EQ(line.Pending(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EchoSweep,
    ::testing::Values(EchoCase{"AutoEchoingRead", EchoMode::Auto, true, 17, 0, 1},
                      EchoCase{"AutoPlainRead", EchoMode::Auto, false, 17, 0, 0},
                      // A poll's reply looks like its echo: the first one is taken as it comes, and
                      // the read after it finds the echo.
                      EchoCase{"AutoEchoingPoll", EchoMode::Auto, true, 14, 0, -1},
                      EchoCase{"AutoPlainPollLeavesItOpen", EchoMode::Auto, false, 14, 0, -1},
                      EchoCase{"OnEchoingRead", EchoMode::On, true, 17, 0, -1},
                      EchoCase{"OnEchoingPoll", EchoMode::On, true, 14, 0, -1},
                      EchoCase{"OffPlainPoll", EchoMode::Off, false, 14, 0, -1},
                      EchoCase{"OffEchoingReadSaysSo", EchoMode::Off, true, 17,
                               ResultCode::OwnRequestHeard, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, GarbledEchoIsACollisionAndIsRepeated) {
    port.SetEchoMode(EchoMode::On);
    line.SetEcho(true);
    int garbled = 2;
    line.SetEchoGarble([&](Bytes& heard) {
        if (garbled-- > 0)
            heard[2] ^= 0x40;
    });
    line.SetResponder([](const Bytes&) { return ConfigReply(); });
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(line.Written().size(), 3u);
    EXPECT_EQ(ReplyBytes(22), ConfigReply());

    garbled = 100;
    EXPECT_EQ(Run(0, 17), ResultCode::Collision);
    ReportError(port, 0, ResultCode::Collision);
    ASSERT_FALSE(op.Shown().empty());
    EXPECT_NE(op.Shown().back().text.find("на линии передавал другой прибор"), std::string::npos);
}

TEST_F(EngineTest, EchoOnWithAnAdapterThatDoesNotEchoEnds) {
    port.SetEchoMode(EchoMode::On);
    line.SetResponder([](const Bytes&) { return ConfigReply(); });
    // The reply is taken for a garbled echo: a collision, not a checksum error, and no hang.
    EXPECT_EQ(Run(0, 17), ResultCode::Collision);
    line.SetResponder({});
    EXPECT_EQ(Run(0, 17), ResultCode::NoAnswer);
}

// An adapter that stops echoing on the same port (another one plugged in): Auto finds out at
// the next attempt instead of taking every reply for a garbled echo.
TEST_F(EngineTest, AutoNoticesTheEchoHasGone) {
    line.SetEcho(true);
    line.SetResponder([](const Bytes&) { return ConfigReply(); });
    ASSERT_EQ(Run(0, 17), 0);
    ASSERT_EQ(port.EchoFound(), 1);
    line.SetEcho(false);
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(line.Written().size(), 3u);
    EXPECT_EQ(port.EchoFound(), 0);
}

TEST_F(EngineTest, WhatAutoFoundIsForgottenWithAnotherPort) {
    line.SetEcho(true);
    line.SetResponder([](const Bytes&) { return ConfigReply(); });
    ASSERT_EQ(Run(0, 17), 0);
    ASSERT_EQ(port.EchoFound(), 1);
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    EXPECT_EQ(port.EchoFound(), 1);
    line.AcceptPortName("FAKE2");
    port.PortName = "FAKE2";
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    EXPECT_EQ(port.EchoFound(), -1);
}

TEST_F(EngineTest, BroadcastWithEchoReadsItBack) {
    port.SetEchoMode(EchoMode::On);
    line.SetEcho(true);
    const Bytes clock = {0, 0, 12, 1, 1, 26, 4};
    EXPECT_EQ(Run(0, 70, clock), 0);
    EXPECT_EQ(line.Pending(), 0);
}

} // namespace
