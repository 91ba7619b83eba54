// The emulator on a real pseudo-terminal inside the test process: an independent Modbus master
// (libmodbus) reads it, raw bytes pass untranslated, clients come and go, faults reach the line.

#include "emuserver/ptyserver.h"
#include "emutestmodbus.h"
#include "emutestport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <termios.h>
#include <thread>

namespace {

struct ServedDevice : ::testing::Test {
    emu::Device device;
    emu::PtyServer server{device};

    void SetUp() override {
        device.SetClock({5, 4, 3, 2, 1, 24, 2});
        device.SetClockFrozen(true);
        std::string error;
        ASSERT_TRUE(server.Start(&error)) << error;
    }
};

TEST_F(ServedDevice, LibmodbusReadsClockAndSlaveId) {
    ReadWithLibmodbus(server.SlavePath(), 1);
}

TEST_F(ServedDevice, BytesPassUntranslated) {
    // carriage return, line feed, XON, XOFF, interrupt, end of file, delete: a cooked terminal
    // would eat or change every one of them
    const Bytes write = {0x01, 0x45, 0x01, 0x0D, 0x0A, 0x11, 0x13, 0x03, 0x1A, 0x7F, 0xFF, 0x04,
                         0x1C, 0x15, 0x17, 0x12, 0x16, 0x0F, 0x00, 0x0D, 0x0A, 0x2E, 0x00};
    PortClient client(server.SlavePath());
    ASSERT_TRUE(client.IsOpen());
    EXPECT_EQ(Hex(client.Transact(write, 6)), Hex({0x01, 0x45, 0x01, 0x01, 0xD0, 0x5D}));
    const auto records = device.GetModuleRecords(1);
    EXPECT_EQ(Hex(Bytes(records.begin(), records.end())),
              Hex({0x0D, 0x0A, 0x11, 0x13, 0x03, 0x1A, 0x7F, 0xFF, 0x04, 0x1C, 0x15, 0x17, 0x12,
                   0x16, 0x0F, 0x00, 0x0D, 0x0A}));
    const Bytes reply = client.Transact({0x01, 0x44, 0x01, 0xD2, 0xC0}, 24);
    ASSERT_EQ(reply.size(), 24u);
    EXPECT_EQ(Hex(Bytes(reply.begin() + 4, reply.end() - 2)),
              Hex(Bytes(records.begin(), records.end())));
}

TEST_F(ServedDevice, ClientMayCloseAndReopenThePort) {
    for (int round = 0; round < 3; ++round) {
        PortClient client(server.SlavePath());
        ASSERT_TRUE(client.IsOpen()) << round;
        EXPECT_EQ(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22).size(), 22u) << round;
    }
    EXPECT_EQ(server.FramesReceived(), 3u);
}

TEST_F(ServedDevice, UnreadAnswersDoNotBlockTheServer) {
    {
        PortClient client(server.SlavePath());
        // many requests whose long answers nobody reads fill the terminal's buffer
        for (int i = 0; i < 800; ++i)
            client.Send({0x01, 0x44, 0x11, 0xD3, 0x0C});
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    PortClient client(server.SlavePath());
    ::tcflush(client.Fd(), TCIFLUSH);
    EXPECT_EQ(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22).size(), 22u);
}

TEST_F(ServedDevice, FaultsReachTheLine) {
    PortClient client(server.SlavePath());
    device.SetFaults({*emu::ParseFault("silent from +1 to +1", device.RequestCount(), nullptr)});
    EXPECT_TRUE(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22, 100).empty());
    EXPECT_EQ(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22).size(), 22u);
    device.SetFaults({*emu::ParseFault("partial 3", 0, nullptr)});
    EXPECT_EQ(Hex(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22, 100)), Hex({0x01, 0x11, 0x11}));
}

TEST_F(ServedDevice, HangupTakesThePortAway) {
    PortClient client(server.SlavePath());
    device.SetFaults({*emu::ParseFault("hangup", 0, nullptr)});
    EXPECT_TRUE(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22, 500).empty());
    pollfd p{client.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    EXPECT_TRUE(server.HungUp());
}

TEST_F(ServedDevice, AnswersWithinMicroseconds) {
    PortClient client(server.SlavePath());
    std::vector<double> micros;
    for (int i = 0; i < 200; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const Bytes reply = client.Transact({0x01, 0x04, 0x03, 0xE8, 0x00, 0x07, 0x31, 0xB8}, 19);
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
        ASSERT_EQ(reply.size(), 19u);
    }
    std::nth_element(micros.begin(), micros.begin() + 100, micros.end());
    // tens of microseconds when idle; the bound leaves room for a loaded machine and sanitizers,
    // yet a server that waited for a silence gap (milliseconds) would fail it
    EXPECT_LT(micros[100], 2000.0);
}

TEST(PtyServer, SeveralDevicesShareOneLine) {
    emu::Device a, b;
    b.SetAddress(2);
    b.SetModules({});
    emu::PtyServer server;
    server.AddDevice(a);
    server.AddDevice(b);
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    PortClient client(server.SlavePath());
    EXPECT_EQ(Hex(client.Transact({0x02, 0x11, 0xC0, 0xDC}, 22)),
              Hex(Join({{0x02, 0x11, 0x11}, Repeat({0x00}, 17), {0xF1, 0xFF}})));
    EXPECT_EQ(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22).size(), 22u);
    // the clock broadcast reaches both, and neither answers
    EXPECT_TRUE(
        client.Transact({0x00, 0x46, 0x0A, 0x14, 0x0D, 0x0F, 0x06, 0x19, 0x07, 0xA3, 0x78}, 1, 100)
            .empty());
    EXPECT_EQ(a.GetClock()[1], 20);
    EXPECT_EQ(b.GetClock()[1], 20);
}

TEST(PtyServer, StopsAndStartsAgain) {
    emu::Device device;
    emu::PtyServer server(device);
    ASSERT_TRUE(server.Start());
    const std::string path = server.SlavePath();
    server.Stop();
    PortClient client(path);
    ASSERT_TRUE(client.IsOpen());
    EXPECT_TRUE(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22, 100).empty()); // stopped: no one
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(client.Receive(22).size(), 22u); // the waiting request is served on restart
    server.Close();
    EXPECT_FALSE(server.IsOpen());
}

} // namespace
