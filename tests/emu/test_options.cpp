// The emulator's command line and its command input.

#include "emu/console.h"
#include "emu/options.h"
#include "support/testframes.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Args(std::initializer_list<const char*> list) {
    return {list.begin(), list.end()};
}

TEST(Options, Defaults) {
    emu::EmuOptions o;
    std::string error;
    ASSERT_TRUE(emu::ParseOptions({}, &o, &error)) << error;
    EXPECT_EQ(o.addresses, std::vector<int>{1});
    ASSERT_EQ(o.modules.size(), 2u);
    EXPECT_EQ(o.modules[0].slot, 0);
    EXPECT_EQ(o.modules[0].type, 1);
    EXPECT_EQ(o.modules[1].slot, 3);
    EXPECT_EQ(o.modules[1].type, 2);
    EXPECT_EQ(o.busy, 2);
    EXPECT_FALSE(o.clock.has_value());
    EXPECT_TRUE(o.faults.empty());
    EXPECT_FALSE(o.pacing.Active()); // the bare pseudo-terminal
}

TEST(Options, EverythingGiven) {
    emu::EmuOptions o;
    std::string error;
    ASSERT_TRUE(emu::ParseOptions(Args({"--address",
                                        "7,9",
                                        "--modules=0:2,15:1",
                                        "--busy",
                                        "0",
                                        "--clock",
                                        "1,2,3,4,5,6,7",
                                        "--clock-frozen",
                                        "--link",
                                        "/tmp/x",
                                        "--seed=42",
                                        "--partial",
                                        "3",
                                        "--crc-rate",
                                        "0.01",
                                        "--fault",
                                        "exception 7 from 2 fn 69",
                                        "--silent",
                                        "--no-register",
                                        "--pace",
                                        "--latency=16",
                                        "--turnaround",
                                        "3",
                                        "--quit-on-eof"}),
                                  &o, &error))
        << error;
    EXPECT_EQ(o.addresses, (std::vector<int>{7, 9}));
    ASSERT_EQ(o.modules.size(), 2u);
    EXPECT_EQ(o.modules[1].slot, 15);
    EXPECT_EQ(o.busy, 0);
    EXPECT_EQ(*o.clock, (emu::ClockValues{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(o.clockFrozen);
    EXPECT_EQ(o.link, "/tmp/x");
    EXPECT_EQ(o.seed, 42u);
    ASSERT_EQ(o.faults.size(), 4u);
    EXPECT_EQ(emu::FaultToString(o.faults[0]), "partial 3 from 1");
    EXPECT_EQ(emu::FaultToString(o.faults[1]), "crc-rate 0.01 from 1");
    EXPECT_EQ(emu::FaultToString(o.faults[2]), "exception 7 from 2 fn 69");
    EXPECT_EQ(emu::FaultToString(o.faults[3]), "silent from 1");
    EXPECT_FALSE(o.registerPort);
    EXPECT_TRUE(o.quitOnEof);
    EXPECT_TRUE(o.pacing.pace);
    EXPECT_EQ(o.pacing.latencyMs, 16);
    EXPECT_EQ(o.pacing.Turnaround(), 3);
}

// A gateway on loopback instead of a pseudo-terminal: only a loopback address is taken.
TEST(Options, GatewayOnLoopbackOnly) {
    const struct {
        std::vector<std::string> args;
        emu::EmuLine line;
        const char* host;
        int port;
    } good[] = {
        {Args({"--tcp", "127.0.0.1:0"}), emu::EmuLine::RtuOverTcp, "127.0.0.1", 0},
        {Args({"--mbtcp=127.0.0.2:1502", "--speed", "19200"}), emu::EmuLine::ModbusTcp, "127.0.0.2",
         1502},
    };
    for (const auto& c : good) {
        emu::EmuOptions o;
        std::string error;
        ASSERT_TRUE(emu::ParseOptions(c.args, &o, &error)) << error;
        EXPECT_EQ(o.line, c.line);
        EXPECT_EQ(o.listenHost, c.host);
        EXPECT_EQ(o.listenPort, c.port);
    }
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } bad[] = {
        {Args({"--tcp", "0.0.0.0:502"}), "только петлевой адрес"},
        {Args({"--tcp", "192.168.1.5:502"}), "только петлевой адрес"},
        {Args({"--mbtcp", "localhost:502"}), "только петлевой адрес"},
        {Args({"--tcp", "127.0.0.1"}), "нужно АДРЕС:ПОРТ"},
        {Args({"--tcp", "127.0.0.1:65536"}), "порт 0..65535"},
        {Args({"--tcp", "127.0.0.1:0", "--mbtcp", "127.0.0.1:0"}), "вместе не допускаются"},
        {Args({"--tcp", "127.0.0.1:0", "--link", "/tmp/x"}), "только на псевдотерминал"},
    };
    for (const auto& c : bad) {
        emu::EmuOptions o;
        std::string error;
        EXPECT_FALSE(emu::ParseOptions(c.args, &o, &error)) << c.args[1];
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(Options, NoModules) {
    emu::EmuOptions o;
    std::string error;
    ASSERT_TRUE(emu::ParseOptions(Args({"--modules", "none"}), &o, &error)) << error;
    EXPECT_TRUE(o.modules.empty());
}

// One speed for the line, or one per device in the order of the addresses.
TEST(Options, SpeedsForTheLineOrEachDevice) {
    emu::EmuOptions o;
    std::string error;
    ASSERT_TRUE(emu::ParseOptions(Args({"--speed", "19200"}), &o, &error)) << error;
    EXPECT_EQ(o.speed, 19200);
    EXPECT_TRUE(o.speeds.empty());
    ASSERT_TRUE(
        emu::ParseOptions(Args({"--speed", "9600,9600,19200", "--address", "1,4,7"}), &o, &error))
        << error;
    EXPECT_EQ(o.speed, 0);
    EXPECT_EQ(o.speeds, (std::vector<int>{9600, 9600, 19200}));
}

TEST(Options, BadArgumentsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        Args({"--address", "0"}),
        Args({"--address", "32"}),
        Args({"--address", "1,1"}),
        Args({"--address"}),
        Args({"--modules", "0:3"}),
        Args({"--modules", "16:1"}),
        Args({"--modules", "0:1,0:2"}),
        Args({"--modules", "0-1"}),
        Args({"--modules", ""}),
        Args({"--modules", "0:1,1:1,2:1,3:1,4:1,5:1,6:1"}),
        Args({"--busy", "-1"}),
        Args({"--busy", "x"}),
        Args({"--clock", "1,2,3"}),
        Args({"--clock", "60,0,0,1,1,24,1"}),
        Args({"--clock", "0,0,0,1,1,24,8"}),
        Args({"--seed", "abc"}),
        Args({"--crc-rate", "2"}),
        Args({"--exception", "0"}),
        Args({"--fault", "deaf"}),
        Args({"--frobnicate"}),
        Args({"--silent=1"}),
        Args({"--link", ""}),
        Args({"--latency", "-1"}),
        Args({"--latency", "10001"}),
        Args({"--turnaround", "2ms"}),
        Args({"--pace=1"}),
        Args({"--speed", "9600,x"}),
        Args({"--address", "1,2", "--speed", "9600,19200,57600"}),
        Args({"stray"}),
    };
    for (const auto& args : bad) {
        emu::EmuOptions o;
        std::string error;
        EXPECT_FALSE(emu::ParseOptions(args, &o, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

struct ConsoleFixture : ::testing::Test {
    emu::Device first, second;
    emu::Console console{{&first, &second}};

    std::string Last(const std::string& line) { return console.Execute(line).back(); }
};

TEST_F(ConsoleFixture, EveryAnswerEndsWithOkOrError) {
    EXPECT_EQ(Last("busy 5"), "ok");
    EXPECT_EQ(first.BusyAfterWrite(), 5);
    EXPECT_EQ(Last("busy-now 3"), "ok");
    EXPECT_EQ(first.BusyCount(), 3);
    EXPECT_EQ(Last("address 12"), "ok");
    EXPECT_EQ(first.Address(), 12);
    EXPECT_EQ(Last("address 40").rfind("error: ", 0), 0u);
    EXPECT_EQ(first.Address(), 12);
    EXPECT_EQ(Last("frobnicate").rfind("error: ", 0), 0u);
    EXPECT_EQ(Last("").rfind("error: ", 0), 0u);
    EXPECT_FALSE(console.QuitRequested());
    EXPECT_EQ(Last("quit"), "ok");
    EXPECT_TRUE(console.QuitRequested());
}

TEST_F(ConsoleFixture, FaultsAreReplacedAddedAndCleared) {
    EXPECT_EQ(Last("fault crc-rate 0.01"), "ok");
    EXPECT_EQ(Last("fault silent from +2"), "ok");
    ASSERT_EQ(first.Faults().size(), 1u);
    EXPECT_EQ(first.Faults()[0].kind, emu::FaultKind::Silent);
    EXPECT_EQ(Last("fault add noise 3"), "ok");
    const auto listed = console.Execute("faults");
    EXPECT_EQ(listed, (std::vector<std::string>{"silent from 2", "noise 3 from 1", "ok"}));
    EXPECT_EQ(Last("fault bogus").rfind("error: ", 0), 0u);
    EXPECT_EQ(first.Faults().size(), 2u); // a refused fault changes nothing
    EXPECT_EQ(Last("fault none"), "ok");
    EXPECT_TRUE(first.Faults().empty());
}

TEST_F(ConsoleFixture, MemoryIsSetAndDumped) {
    EXPECT_EQ(Last("modules 2:2"), "ok");
    EXPECT_EQ(first.FittedModules(), 1);
    EXPECT_EQ(Last("records 1 01 02 03 04 05 06 07 08 09 0a 0B 0c 0d 0e 0f 10 11 12"), "ok");
    EXPECT_EQ(first.GetModuleRecords(1)[10], 0x0B);
    EXPECT_EQ(Last("records 1 01 02").rfind("error: ", 0), 0u);
    EXPECT_EQ(Last("records 7 " + std::string(18 * 3, ' ')).rfind("error: ", 0), 0u);
    std::string image = "image";
    for (int i = 0; i < 82; ++i)
        image += " 5A";
    EXPECT_EQ(Last(image), "ok");
    EXPECT_EQ(first.GetImage()[0], 0x11); // the block number stays
    EXPECT_EQ(first.GetImage()[81], 0x5A);
    EXPECT_EQ(Last("clock 1,2,3,4,5,6,7"), "ok");
    EXPECT_EQ(Last("freeze"), "ok");
    const auto dump = console.Execute("dump");
    ASSERT_EQ(dump.size(), 13u);
    EXPECT_EQ(dump[0], "address 1");
    EXPECT_EQ(dump[1], "config 01 00 00 02 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(dump[2], "block 1 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12");
    EXPECT_EQ(dump[9], "clock 01 02 03 04 05 06 07");
    EXPECT_EQ(dump[10], "busy 0 2");
    EXPECT_EQ(dump[11], "requests 0");
    EXPECT_EQ(dump[12], "ok");
}

// One stored byte changes; a stuck one keeps its value through a write.
TEST_F(ConsoleFixture, PokeAndStuckChangeOneStoredByte) {
    EXPECT_EQ(Last("poke 2 17 A5"), "ok");
    EXPECT_EQ(first.GetModuleRecords(2)[17], 0xA5);
    EXPECT_EQ(Last("poke 17 81 0C"), "ok");
    EXPECT_EQ(first.GetImage()[81], 0x0C);
    for (const char* bad : {"poke 17 0 01", "poke 2 18 01", "poke 7 0 01", "poke 2 0 1FF"})
        EXPECT_EQ(Last(bad).rfind("error: ", 0), 0u) << bad;
    EXPECT_EQ(Last("stuck 1 0 77"), "ok");
    std::vector<uint8_t> write = {0x01, 0x45, 1}; // module block 1 of device 1
    write.resize(write.size() + 18, 0x11);
    first.Handle(TestFrame::WithCrc(write));
    EXPECT_EQ(first.GetModuleRecords(1)[0], 0x77);
    EXPECT_EQ(first.GetModuleRecords(1)[1], 0x11);
    EXPECT_EQ(Last("stuck none"), "ok");
    first.Handle(TestFrame::WithCrc(write));
    EXPECT_EQ(first.GetModuleRecords(1)[0], 0x11);
}

TEST_F(ConsoleFixture, DeviceSelectsWhomLaterCommandsAddress) {
    EXPECT_EQ(Last("device 1"), "ok");
    EXPECT_EQ(Last("address 2"), "ok");
    EXPECT_EQ(second.Address(), 2);
    EXPECT_EQ(first.Address(), 1);
    EXPECT_EQ(Last("device 2").rfind("error: ", 0), 0u);
}

TEST_F(ConsoleFixture, RequestLogIsListed) {
    first.Handle({0x01, 0x11, 0xC0, 0x2C});
    first.Handle({0x01, 0x44, 0x01, 0xD2, 0xC0});
    EXPECT_EQ(console.Execute("requests"), (std::vector<std::string>{"requests 2", "ok"}));
    EXPECT_EQ(console.Execute("log"), (std::vector<std::string>{"1 1 17", "2 1 68 01", "ok"}));
    EXPECT_EQ(Last("clear-log"), "ok");
    EXPECT_EQ(console.Execute("log"), (std::vector<std::string>{"ok"}));
}

} // namespace
