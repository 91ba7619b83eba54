// The gateway line on loopback against a peer the test drives byte by byte: the engine's read
// time-outs kept over TCP (the round trip added when set), the Modbus TCP framing on the wire,
// replies late, cut or refused by the gateway, connections refused, unanswered and dropped,
// names not found in time.
// Portable: these run on Windows too.

#include "link/boundedcall.h"
#include "link/exchangeengine.h"
#include "link/gatewayline.h"
#include "link/steadylineclock.h"
#include "support/loopbackpeer.h"
#include "support/scriptedoperator.h"
#include "support/testframes.h"
#include "words/linkwords.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The MBAP header and PDU of a reply.
Bytes MbapFrame(uint16_t transaction, uint8_t unit, const Bytes& pdu) {
    const size_t n = pdu.size() + 1;
    Bytes frame = {uint8_t(transaction >> 8), uint8_t(transaction), 0,   0,
                   uint8_t(n >> 8),           uint8_t(n),           unit};
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    return frame;
}

const Bytes kConfigRequest = {0x01, 0x11, 0xC0, 0x2C};

class Gateway : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.Ok());
        LineSettings settings;
        settings.portName = peer.Name(GetParam());
        ASSERT_TRUE(line.open(settings)) << line.openFailureText();
        ASSERT_TRUE(peer.Accept());
    }
    bool Mbtcp() const { return std::string(GetParam()) == "mbtcp"; }
    // Sends the configuration request and takes it off the peer's side.
    void Request() {
        ASSERT_EQ(line.write(kConfigRequest.data(), 4), 4);
        EXPECT_EQ(peer.Receive(Mbtcp() ? 8 : 4).size(), Mbtcp() ? 8u : 4u);
    }
    // The reply bytes as the gateway sends them: RTU as is, or Modbus TCP for transaction.
    Bytes Reply(const Bytes& rtu, uint16_t transaction = 1) const {
        return Mbtcp() ? MbapFrame(transaction, rtu[0], Bytes(rtu.begin() + 1, rtu.end() - 2))
                       : rtu;
    }

    LoopbackPeer peer;
    GatewayLine line;
    uint8_t buffer[ExchangeEngine::ReplyBufferSize] = {};
};

TEST_P(Gateway, ReadReturnsAsSoonAsTheReplyIsIn) {
    Request();
    const Bytes reply = TestFrame::Normal(1, 0x11, {2, 1, 0, 0, 2});
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        peer.Send(Reply(reply));
    });
    const auto start = Clock::now();
    EXPECT_EQ(line.read(buffer, 3), 3);
    const int64_t ms = MsSince(start);
    later.join();
    EXPECT_GE(ms, 25);
    // Far below the total time-out, however busy the machine: the read woke with the bytes.
    EXPECT_LT(ms, 900);
    EXPECT_EQ(line.read(buffer + 3, 7), 7);
    EXPECT_EQ(Bytes(buffer, buffer + 10), reply);
}

TEST_P(Gateway, AReplyCutShortEndsAfterTheByteGap) {
    Request();
    const Bytes reply = TestFrame::Normal(1, 0x11, Bytes(17, 0x33));
    // Modbus TCP: a header that promises the whole reply, and only part of it.
    Bytes cut = Reply(reply);
    cut.resize(Mbtcp() ? 7 + 6 : 7);
    peer.Send(cut);
    ASSERT_EQ(line.read(buffer, 3), 3);
    const auto start = Clock::now();
    EXPECT_EQ(line.read(buffer + 3, 19), 4);
    const int64_t ms = MsSince(start);
    EXPECT_GE(ms, 95);
    EXPECT_LT(ms, 900); // the byte gap, not the total time-out
    EXPECT_EQ(Bytes(buffer, buffer + 7), Bytes(reply.begin(), reply.begin() + 7));
}

TEST_P(Gateway, PurgeDropsWhatCameBeforeTheRequest) {
    peer.Send(Reply(TestFrame::Normal(1, 0x11, {9, 9}), 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(line.purge());
    Request();
    const Bytes reply = TestFrame::Normal(1, 0x11, {2, 1, 0, 0, 2});
    peer.Send(Reply(reply));
    EXPECT_EQ(line.read(buffer, 10), 10);
    EXPECT_EQ(Bytes(buffer, buffer + 10), reply);
}

TEST_P(Gateway, ADroppedConnectionFailsTheReadAndThePurge) {
    Request();
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        peer.Drop(true);
    });
    const auto start = Clock::now();
    EXPECT_EQ(line.read(buffer, 3), -1);
    later.join();
    EXPECT_LT(MsSince(start), 500);
    EXPECT_EQ(line.errorText(), "соединение со шлюзом разорвано");
    EXPECT_FALSE(line.isOpen());
    EXPECT_FALSE(line.purge());

    // Between requests: the purge before the next one notices.
    LineSettings settings;
    settings.portName = peer.Name(GetParam());
    ASSERT_TRUE(line.open(settings));
    ASSERT_TRUE(peer.Accept());
    peer.Drop();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(line.purge());
    EXPECT_EQ(line.errorText(), "соединение со шлюзом разорвано");
}

INSTANTIATE_TEST_SUITE_P(Kinds, Gateway, ::testing::Values("tcp", "mbtcp"));

struct WaitCase {
    int firstByteMs;
    int roundTripMs;
    int64_t least; // the read ends no earlier than this, and well before least + 250 ms
};

// Nothing comes: the line's total time-out, or the scan's short wait, with the round trip added
// only when it is set.
TEST(GatewayWait, TheRoundTripLengthensOnlyTheWaitForTheFirstByte) {
    const WaitCase cases[] = {{50, 0, 50}, {50, 200, 250}, {0, 200, 1300}};
    for (const WaitCase& c : cases) {
        LoopbackPeer peer;
        GatewayLine line;
        LineSettings settings;
        settings.portName = peer.Name("tcp");
        ASSERT_TRUE(line.open(settings));
        line.SetFirstByteTimeoutMs(c.firstByteMs);
        line.setRoundTripMs(c.roundTripMs);
        uint8_t buffer[4];
        const auto start = Clock::now();
        EXPECT_EQ(line.read(buffer, 2), 0);
        const int64_t ms = MsSince(start);
        EXPECT_GE(ms, c.least) << c.firstByteMs << "/" << c.roundTripMs;
        EXPECT_LT(ms, c.least + 250) << c.firstByteMs << "/" << c.roundTripMs;
    }
}

TEST(GatewayModbusTcp, EachRequestANewTransactionAndLateRepliesSkipped) {
    LoopbackPeer peer;
    GatewayLine line;
    LineSettings settings;
    settings.portName = peer.Name("mbtcp");
    ASSERT_TRUE(line.open(settings));
    ASSERT_TRUE(peer.Accept());
    uint8_t buffer[32];
    ASSERT_EQ(line.write(kConfigRequest.data(), 4), 4);
    EXPECT_EQ(peer.Receive(8), (Bytes{0, 1, 0, 0, 0, 2, 0x01, 0x11}));
    // The engine gave up on transaction 1 and asks again.
    ASSERT_TRUE(line.purge());
    ASSERT_EQ(line.write(kConfigRequest.data(), 4), 4);
    EXPECT_EQ(peer.Receive(8), (Bytes{0, 2, 0, 0, 0, 2, 0x01, 0x11}));
    // The late answer to the first comes before the answer to the second.
    Bytes both = MbapFrame(1, 1, {0x11, 0x01, 0x07});
    const Bytes second = MbapFrame(2, 1, {0x11, 0x01, 0x08});
    both.insert(both.end(), second.begin(), second.end());
    peer.Send(both);
    EXPECT_EQ(line.read(buffer, 6), 6);
    EXPECT_EQ(Bytes(buffer, buffer + 6), TestFrame::Normal(1, 0x11, {0x08}));

    // A gateway that says the device did not answer ends the wait at once.
    ASSERT_EQ(line.write(kConfigRequest.data(), 4), 4);
    EXPECT_EQ(peer.Receive(8).size(), 8u);
    peer.Send(MbapFrame(3, 1, {0x91, 0x0B}));
    const auto start = Clock::now();
    EXPECT_EQ(line.read(buffer, 3), 0);
    EXPECT_LT(MsSince(start), 500);
}

// The operator's words when the gateway cannot be reached; the connect gives up in time.
TEST(GatewayConnect, RefusedUnansweredAndMistypedAreTold) {
    LoopbackPeer closed;
    const std::string refused = closed.Name("tcp");
    closed.StopListening();
    // A listener whose queue is full drops further connection requests unanswered, as a
    // gateway that is switched off or out of reach.
    LoopbackPeer full(0);
    ASSERT_TRUE(full.ConnectOnly());
    const struct {
        std::string name;
        const char* reason;
        int64_t atMostMs;
    } cases[] = {
        {refused, "соединение отклонено", 250},
        {full.Name("mbtcp"), "шлюз не отвечает", 700},
        {"tcp://127.0.0.1", "неверный адрес шлюза (нужно tcp://УЗЕЛ:ПОРТ или mbtcp://УЗЕЛ:ПОРТ)",
         50},
    };
    for (const auto& c : cases) {
        GatewayLine line;
        line.SetConnectTimeoutMs(400);
        LineSettings settings;
        settings.portName = c.name;
        const auto start = Clock::now();
        EXPECT_FALSE(line.open(settings)) << c.name;
        EXPECT_LT(MsSince(start), c.atMostMs) << c.name;
        EXPECT_EQ(line.openFailureText(), c.reason) << c.name;
        EXPECT_FALSE(line.isOpen());
    }
}

// A name that no name server knows, or a name server that does not answer: either way the
// open ends within the connect time and says the host was not found.
TEST(GatewayConnect, AnUnknownNameIsToldInTime) {
    GatewayLine line;
    line.SetConnectTimeoutMs(400);
    LineSettings settings;
    settings.portName = "tcp://no-such-gateway.invalid:502";
    const auto start = Clock::now();
    EXPECT_FALSE(line.open(settings));
    EXPECT_LT(MsSince(start), 900);
    EXPECT_NE(line.openFailureText().find("узел сети не найден"), std::string::npos)
        << line.openFailureText();
}

// The lookup's time limit itself: a call that overruns it is given up in time, and its late
// result is handed over to be freed.
TEST(GatewayConnect, ALookupThatOverrunsIsGivenUpInTime) {
    EXPECT_EQ(CallWithin<int>(1000, [] { return 7; }), 7);
    // The lookup goes on until the test lets it: the call can only have come back by giving it
    // up, however busy the machine.
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    auto freed = std::make_shared<std::atomic<int>>(0);
    const std::optional<int> late = CallWithin<int>(
        50,
        [released] {
            released.wait_for(std::chrono::seconds(30));
            return 8;
        },
        [freed](int& value) { freed->store(value); });
    EXPECT_FALSE(late.has_value());
    release->set_value();
    for (int i = 0; i < 3000 && freed->load() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(freed->load(), 8);
}

// The engine on the gateway line: the port messages name the gateway, a dropped connection is
// a port failure told once, and a broadcast waits for no reply.
class GatewayEngine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.Ok());
        port.SetOperator(&op);
        port.SetDelayTx(1);
    }
    LoopbackPeer peer;
    GatewayLine line;
    SteadyLineClock clock;
    ScriptedOperator op;
    ExchangeEngine port{line, clock};
    uint8_t reply[ExchangeEngine::ReplyBufferSize] = {};
};

TEST_F(GatewayEngine, ARefusedGatewayCannotBeOpened) {
    port.PortName = peer.Name("tcp");
    peer.StopListening();
    EXPECT_EQ(port.ApplyPortSettings(), -1);
    ReportError(port, 0, ResultCode::PortCannotOpen);
    // A gateway is named as one, not as a serial port.
    EXPECT_EQ(op.LastText(),
              " невозможно соединиться со шлюзом \n" + port.PortName + ": соединение отклонено");
}

TEST_F(GatewayEngine, ADroppedConnectionIsAPortFailure) {
    port.PortName = peer.Name("mbtcp");
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    ASSERT_TRUE(peer.Accept());
    std::thread drop([&] {
        peer.Receive(8);
        peer.Drop(true);
    });
    const auto start = Clock::now();
    EXPECT_EQ(port.Exchange(0, 17, 0, nullptr, reply), ResultCode::PortFailure);
    drop.join();
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Exchange(0, 17, 0, nullptr, reply), ResultCode::PortNotOpen);
    ReportError(port, 0, ResultCode::PortFailure);
    ASSERT_EQ(op.Shown().size(), 1u);
    EXPECT_EQ(op.Shown()[0].text, "Сбой соединения со шлюзом " + port.PortName +
                                      " при чтении или записи (соединение со шлюзом разорвано). "
                                      "Проверьте шлюз и сеть и заново настройте порт.");
}

TEST_F(GatewayEngine, TheClockBroadcastWaitsForNoReply) {
    port.PortName = peer.Name("mbtcp");
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    ASSERT_TRUE(peer.Accept());
    const Bytes clock = {5, 4, 3, 2, 1, 24, 2};
    const auto start = Clock::now();
    EXPECT_EQ(port.Exchange(0, 70, 7, clock.data(), reply), ResultCode::Ok);
    EXPECT_LT(MsSince(start), 300);
    EXPECT_EQ(peer.Receive(15), (Bytes{0, 1, 0, 0, 0, 9, 0, 0x46, 5, 4, 3, 2, 1, 24, 2}));
    // The next request is answered as usual.
    std::thread answer([&] {
        peer.Receive(8);
        peer.Send(MbapFrame(2, 1, {0x11, 0x01, 0x02}));
    });
    EXPECT_EQ(port.Exchange(0, 17, 0, nullptr, reply), ResultCode::Ok);
    answer.join();
    EXPECT_EQ(Bytes(reply, reply + 6), TestFrame::Normal(1, 0x11, {0x02}));
}

} // namespace
