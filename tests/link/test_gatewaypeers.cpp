// The program's own line (the engine as the windows make it) on a gateway name, against
// libmodbus's Modbus TCP server, which shares no code with it: the clock registers and the
// device's own function 17 go through the MBAP framing and come back as good RTU replies. And
// the operator's round trip on that line.

#include "link/devicecommands.h"
#include "link/exchangeengine.h"
#include "support/loopbackpeer.h"
#include "support/modbustcpserver.h"
#include "support/qtcoreapp.h"
#include "support/scriptedoperator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class LibmodbusGateway : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureCoreApplication();
        ASSERT_TRUE(server.Ok()) << server.Error();
        port.SetOperator(&op);
        port.PortName = "mbtcp://127.0.0.1:" + std::to_string(server.Port());
        ASSERT_EQ(port.ApplyPortSettings(), 0) << port.OpenFailureText();
        port.SetDelayTx(1);
    }

    ModbusTcpServer server{1000, {0x0005, 0x0110, 0x0017, 0x001F, 0x000C, 0x0718, 0x0003}};
    ScriptedOperator op;
    ExchangeEngine port; // the real line: a gateway's, by the name
};

TEST_F(LibmodbusGateway, ReadsTheClockRegisters) {
    const auto start = Clock::now();
    for (int i = 0; i < 20; ++i) {
        DeviceClock time{};
        ASSERT_EQ(ReadClock(port, 0, time), 0) << i;
        EXPECT_EQ(time, (DeviceClock{0x05, 0x10, 0x17, 0x1F, 0x0C, 0x18, 0x03}));
    }
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_TRUE(op.Shown().empty());
}

TEST_F(LibmodbusGateway, AnswersFunction17AndRefusesARegisterItHasNot) {
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    // libmodbus reports its own identity: a byte count, its id, "on" and its name.
    ASSERT_EQ(port.Exchange(0, 17, 0, nullptr, reply), ResultCode::Ok);
    EXPECT_EQ(reply[0], 1);
    EXPECT_EQ(reply[1], 17);
    EXPECT_GE(reply[2], 2);
    EXPECT_EQ(reply[4], 0xFF);
    // Register 2000 is outside its table: its exception 02 is the engine's result.
    const uint8_t outside[] = {0x07, 0xD0, 0x00, 0x01};
    port.SetHeaderRepeats(1);
    EXPECT_EQ(port.Exchange(0, 4, 4, outside, reply), 2);
}

// A gateway that takes the request and never answers: the operator's round trip lengthens the
// engine's wait, on the program's own line.
TEST(GatewayRoundTrip, LengthensTheWaitForTheReply) {
    EnsureCoreApplication();
    LoopbackPeer peer;
    ExchangeEngine port;
    port.PortName = peer.Name("tcp");
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    port.SetDelayTx(1);
    port.SetHeaderRepeats(1);
    port.SetRepeatPause(0);
    port.SetRoundTripMs(300);
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    const auto start = Clock::now();
    EXPECT_EQ(port.Exchange(0, 17, 0, nullptr, reply), ResultCode::NoAnswer);
    // 1000 ms and 100 ms for each of the header's three bytes, and the round trip
    const int64_t ms = MsSince(start);
    EXPECT_GE(ms, 1600);
    EXPECT_LT(ms, 1900);
}

} // namespace
