// The real serial line over pseudo-terminals: its time-outs, its latency, a port that
// vanishes, and the engine against an independent Modbus peer.

#include "link/devicecommands.h"
#include "link/exchangeengine.h"
#include "platform/qtserialline.h"
#include "support/modbusrtuserver.h"
#include "support/ptyrelay.h"
#include "support/qtcoreapp.h"
#include "support/scriptedoperator.h"
#include "words/linkwords.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The far end of the cable, driven byte by byte by the test.
class Peer {
public:
    explicit Peer(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~Peer() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }
    void Send(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    Bytes Receive(size_t n, int timeoutMs = 1000) {
        Bytes out;
        const auto start = Clock::now();
        while (out.size() < n && MsSince(start) < timeoutMs) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                uint8_t b[256];
                const ssize_t got = ::read(fd_, b, std::min(sizeof b, n - out.size()));
                if (got > 0)
                    out.insert(out.end(), b, b + got);
            }
        }
        return out;
    }

private:
    int fd_;
};

class PtyLine : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureCoreApplication();
        ASSERT_TRUE(relay.Ok()) << relay.Error();
        LineSettings settings;
        settings.portName = relay.Path(0);
        ASSERT_TRUE(line.open(settings)) << line.errorText();
        ASSERT_TRUE(peer.Ok());
    }

    PtyRelay relay;
    QtSerialLine line;
    Peer peer{relay.Path(1)};
    uint8_t buffer[ExchangeEngine::ReplyBufferSize] = {};
};

TEST_F(PtyLine, WrittenBytesReachThePeer) {
    const Bytes frame = {0x01, 0x11, 0xC0, 0x2C};
    EXPECT_EQ(line.write(frame.data(), 4), 4);
    EXPECT_EQ(peer.Receive(4), frame);
}

TEST_F(PtyLine, ReadReturnsAsSoonAsTheBytesAreIn) {
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        peer.Send({1, 2, 3});
    });
    const auto start = Clock::now();
    EXPECT_EQ(line.read(buffer, 3), 3);
    const int64_t ms = MsSince(start);
    later.join();
    // Well before the byte gap would end it: the read wakes with the bytes.
    EXPECT_GE(ms, 25);
    EXPECT_LT(ms, 900); // far below the total time-out, however busy the machine
    EXPECT_EQ(Bytes(buffer, buffer + 3), Bytes({1, 2, 3}));
}

TEST_F(PtyLine, NothingComingTakesTheTotalTimeOut) {
    // The stop is looked at all along the wait.
    int asked = 0;
    const auto start = Clock::now();
    line.SetStopCheck([&] { return ++asked < 0; });
    EXPECT_EQ(line.read(buffer, 1), 0);
    const int64_t ms = MsSince(start);
    EXPECT_GE(ms, 1100);
    EXPECT_LT(ms, 10000);
    EXPECT_GE(asked, 4);
}

TEST_F(PtyLine, AStopEndsTheWaitForTheFirstByte) {
    // Twenty bytes would be waited for three seconds.
    const auto start = Clock::now();
    line.SetStopCheck([&] { return MsSince(start) >= 200; });
    uint8_t many[20];
    EXPECT_EQ(line.read(many, 20), 0);
    const int64_t ms = MsSince(start);
    EXPECT_GE(ms, 200);
    EXPECT_LT(ms, 2500);
}

TEST_F(PtyLine, AReplyThatStopsShortEndsAfterTheByteGap) {
    peer.Send({7, 8});
    const auto start = Clock::now();
    EXPECT_EQ(line.read(buffer, 5), 2);
    const int64_t ms = MsSince(start);
    EXPECT_GE(ms, 95);
    EXPECT_LT(ms, 900); // the byte gap, not the total time-out
}

TEST_F(PtyLine, GapsShorterThanTheByteGapAreBridged) {
    // A short wait for the first byte (a scan probe) does not cut a reply that is coming in.
    for (const int firstByteMs : {0, 60}) {
        line.SetFirstByteTimeoutMs(firstByteMs);
        std::thread drip([&] {
            for (uint8_t b = 1; b <= 4; ++b) {
                peer.Send({b});
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        EXPECT_EQ(line.read(buffer, 4), 4) << firstByteMs;
        drip.join();
        EXPECT_EQ(Bytes(buffer, buffer + 4), Bytes({1, 2, 3, 4})) << firstByteMs;
    }
}

TEST_F(PtyLine, ALongerGapEndsTheRead) {
    std::thread drip([&] {
        peer.Send({1});
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        peer.Send({2});
    });
    const auto start = Clock::now();
    EXPECT_EQ(line.read(buffer, 2), 1);
    EXPECT_LT(MsSince(start), 450);
    drip.join();
}

TEST_F(PtyLine, PurgeDropsWhatIsWaiting) {
    peer.Send({0xAA, 0xBB});
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(line.purge());
    peer.Send({0xCC});
    EXPECT_EQ(line.read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 0xCC);
}

TEST_F(PtyLine, ReadsInPiecesAndPurgesWhatWasTakenAhead) {
    peer.Send({1, 2, 3, 4, 5, 6, 7});
    ASSERT_EQ(line.read(buffer, 3), 3);
    ASSERT_EQ(line.read(buffer + 3, 2), 2);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 5), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    // Bytes 6 and 7 arrived with the rest; a purge drops them like anything else pending.
    EXPECT_TRUE(line.purge());
    peer.Send({9});
    EXPECT_EQ(line.read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 9);
}

TEST_F(PtyLine, AVanishedPortFailsTheRead) {
    relay.Unplug(0);
    const auto start = Clock::now();
    EXPECT_EQ(line.read(buffer, 3), -1);
    EXPECT_LT(MsSince(start), 1000);
    // The system's words, in the operator's language: the direct road sees the hangup, the
    // toolkit's road a failed read.
    EXPECT_TRUE(line.errorText() == "порт отключен" || line.errorText() == "ошибка чтения из порта")
        << line.errorText();
}

class PtyEngine : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureCoreApplication();
        ASSERT_TRUE(relay.Ok()) << relay.Error();
        port.SetOperator(&op);
        port.PortName = relay.Path(0);
    }

    PtyRelay relay;
    ScriptedOperator op;
    ExchangeEngine port; // the real line and the real clock
};

TEST_F(PtyEngine, OpensAPseudoTerminalByPathAndByLink) {
    EXPECT_EQ(port.ApplyPortSettings(), 0);
    EXPECT_TRUE(port.IsOpen());
    const auto link =
        std::filesystem::temp_directory_path() / ("lum-pty-link-" + std::to_string(::getpid()));
    std::filesystem::remove(link);
    std::filesystem::create_symlink(relay.Path(0), link);
    port.PortName = link.string();
    EXPECT_EQ(port.ApplyPortSettings(), 0);
    std::filesystem::remove(link);
    EXPECT_TRUE(op.Shown().empty());
    port.ClosePort();
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(PtyEngine, SettingsTheLineCannotTakeLeaveThePortClosed) {
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    port.Speed = "1234";
    EXPECT_EQ(port.ApplyPortSettings(), -1);
    EXPECT_FALSE(port.IsOpen());
}

// A pseudo-terminal has neither the kernel's RS-485 mode nor an RTS line: asked to switch the
// driver, the port is refused in the operator's words, and with the adapter switching it opens.
TEST_F(PtyEngine, APortWithoutRtsIsRefusedForDirectionControl) {
    for (SerialPath path : {SerialPath::Direct, SerialPath::Portable}) {
        QtSerialLine line(path);
        LineSettings settings;
        settings.portName = relay.Path(0);
        settings.transmit = TransmitControl::Rts;
        EXPECT_FALSE(line.open(settings));
        EXPECT_FALSE(line.isOpen());
        EXPECT_EQ(line.openFailureText(), TransmitSwitch::RefusalText);
        settings.transmit = TransmitControl::Auto;
        EXPECT_TRUE(line.open(settings));
        EXPECT_EQ(line.TransmitMode(), TransmitSwitch::Mode::None);
    }
    port.Transmit = TransmitControl::Rts;
    EXPECT_EQ(port.ApplyPortSettings(), -1);
    ReportError(port, 0, ResultCode::PortCannotOpen);
    ASSERT_EQ(op.Shown().size(), 1u);
    EXPECT_NE(op.Shown()[0].text.find("сигналом RTS"), std::string::npos);
}

TEST_F(PtyEngine, UnpluggedWhileWaitingGives257ThenTheProgramGoesOn) {
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    port.SetDelayTx(1);
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        relay.Unplug(0);
    });
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    const auto start = Clock::now();
    EXPECT_EQ(port.Exchange(0, 17, 0, nullptr, reply), ResultCode::PortFailure);
    unplug.join();
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Exchange(0, 17, 0, nullptr, reply), ResultCode::PortNotOpen);
    ReportError(port, 0, ResultCode::PortFailure);
    ASSERT_EQ(op.Shown().size(), 1u);
    EXPECT_NE(op.Shown()[0].text.find("Сбой COM-порта " + relay.Path(0) + " при чтении или записи"),
              std::string::npos)
        << op.Shown()[0].text;
    EXPECT_NE(op.Shown()[0].text.find("). Проверьте оборудование и заново настройте порт."),
              std::string::npos)
        << op.Shown()[0].text;
    EXPECT_EQ(op.Shown()[0].text.find("error"), std::string::npos) << op.Shown()[0].text;
    EXPECT_EQ(op.Shown()[0].caption, "Ошибка");
    EXPECT_EQ(op.Shown()[0].icon, MsgIcon::Error);
}

TEST_F(PtyEngine, UnpluggedBetweenTransactionsFailsThePurge) {
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    port.SetDelayTx(1);
    relay.Unplug(0);
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    // The purge fails first: the port is closed and the transaction ends with the code the
    // command reports; the program goes on.
    EXPECT_EQ(port.Exchange(0, 17, 0, nullptr, reply), ResultCode::PortFailure);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(PtyEngine, ReadsTheClockOfALibmodbusServer) {
    const std::vector<uint16_t> registers = {0x0005, 0x0110, 0x0017, 0x001F,
                                             0x000C, 0x0718, 0x0003};
    ModbusRtuServer server(relay.Path(1), 1, 1000, registers);
    ASSERT_TRUE(server.Ok()) << server.Error();
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    port.SetDelayTx(1);
    const auto start = Clock::now();
    for (int i = 0; i < 20; ++i) {
        DeviceClock time{};
        ASSERT_EQ(ReadClock(port, 0, time), 0) << i;
        EXPECT_EQ(time, (DeviceClock{0x05, 0x10, 0x17, 0x1F, 0x0C, 0x18, 0x03}));
    }
    EXPECT_LT(MsSince(start), 2000);
    // The server counts a request after its reply is out, so the last count may come late.
    for (int wait = 0; wait < 100 && server.Served() < 20; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(server.Served(), 20);
}

TEST_F(PtyEngine, ALibmodbusServerForAnotherAddressIsSilent) {
    ModbusRtuServer server(relay.Path(1), 7, 1000, std::vector<uint16_t>(7, 1));
    ASSERT_TRUE(server.Ok()) << server.Error();
    ASSERT_EQ(port.ApplyPortSettings(), 0);
    port.SetDelayTx(1);
    port.SetHeaderRepeats(1);
    DeviceClock time{};
    EXPECT_EQ(ReadClock(port, 0, time), ResultCode::NoAnswer);
    EXPECT_EQ(ReadClock(port, 6, time), 0);
    EXPECT_EQ(time[0], 1);
}

} // namespace

namespace {

// The road the bytes take is chosen at start: the environment picks the portable one for the
// second run of these tests, and the operator is told which one is in use.
TEST(SerialPath, ChosenByTheEnvironmentAndNamedInRussian) {
    const char* chosen = std::getenv("LUM_SERIAL_PATH");
    const bool portable = chosen && std::string(chosen) == "qserialport";
    EXPECT_EQ(QtSerialLine().Path(), portable ? SerialPath::Portable : SerialPath::Direct);
    EXPECT_EQ(SerialPathInUse(), portable ? "переносимый драйвер порта" : "прямой доступ к порту");
    EXPECT_EQ(QtSerialLine(SerialPath::Portable).Path(), SerialPath::Portable);
    EXPECT_EQ(QtSerialLine(SerialPath::Direct).Path(), SerialPath::Direct);
    RecordProperty("path", SerialPathInUse());
}

} // namespace
