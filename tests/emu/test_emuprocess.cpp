// The lum08-emu executable as tests and users run it: its first line, its options, its link,
// its listing for the program's port list, its commands, and its ways of ending.

#include "emuserver/registry.h"
#include "emutestmodbus.h"
#include "emutestport.h"
#include "support/emuprocess.h"
#include "support/runcommand.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const std::vector<std::string> kFrozenClock = {"--clock", "5,4,3,2,1,24,2", "--clock-frozen"};

std::vector<std::string> With(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A private folder for files the test makes; removed with its contents afterwards.
struct TempDir {
    std::string path;
    TempDir() {
        char name[] = "/tmp/lum08-emu-test-XXXXXX";
        path = ::mkdtemp(name) ? name : "";
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};

std::string LinkTarget(const std::string& link) {
    char buf[4096];
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

TEST(EmuProcess, FirstLineIsThePortAndLibmodbusReadsIt) {
    EmuProcess emu;
    std::string error;
    ASSERT_TRUE(emu.Start(With({"--address", "7"}, kFrozenClock), &error)) << error;
    struct stat st;
    ASSERT_EQ(::stat(emu.Port().c_str(), &st), 0) << emu.Port();
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    ReadWithLibmodbus(emu.Port(), 7);
    EXPECT_EQ(emu.Terminate(), 0);
}

TEST(EmuProcess, LinkLeadsToThePortAndGoesAtTheEnd) {
    TempDir dir;
    const std::string link = dir.path + "/lum08";
    ASSERT_EQ(::symlink("/nonexistent", link.c_str()), 0); // a stale link is replaced
    EmuProcess emu;
    std::string error;
    ASSERT_TRUE(emu.Start(With({"--link", link}, kFrozenClock), &error)) << error;
    EXPECT_EQ(LinkTarget(link), emu.Port());
    ReadWithLibmodbus(link, 1);
    EXPECT_EQ(emu.Terminate(), 0);
    EXPECT_FALSE(Exists(link));
}

TEST(EmuProcess, LinkNeverReplacesARealFile) {
    TempDir dir;
    const std::string file = dir.path + "/precious";
    std::ofstream(file) << "keep me\n";
    EmuProcess emu;
    EXPECT_FALSE(emu.Start({"--link", file}));
    EXPECT_EQ(emu.ExitStatus(), 1);
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "keep me");
}

TEST(EmuProcess, RunningEmulatorsAreListedForThePortList) {
    TempDir dir;
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    ::setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    {
        EmuProcess a, b, hidden;
        ASSERT_TRUE(a.Start());
        ASSERT_TRUE(b.Start({"--mbtcp", "127.0.0.1:0"})); // a gateway's address is listed too
        ASSERT_TRUE(hidden.Start({"--no-register"}));
        const std::string folder = emu::RegistryFolder();
        EXPECT_EQ(folder, dir.path + "/lum08-emu-" + std::to_string(::getuid()));
        std::ofstream(folder + "/999999999") << "/dev/null\n"; // its process is long gone
        std::ofstream(folder + "/notes") << "not an entry\n";
        auto expected = a.Pid() < b.Pid() ? std::vector<std::string>{a.Port(), b.Port()}
                                          : std::vector<std::string>{b.Port(), a.Port()};
        EXPECT_EQ(emu::RunningEmulatorPorts(), expected);
        EXPECT_FALSE(Exists(folder + "/999999999"));
        EXPECT_TRUE(Exists(folder + "/notes"));
        std::ifstream entry(folder + "/" + std::to_string(a.Pid()));
        std::string port;
        std::getline(entry, port);
        EXPECT_EQ(port, a.Port());

        EXPECT_EQ(a.Terminate(), 0);
        EXPECT_FALSE(Exists(folder + "/" + std::to_string(a.Pid())));
        EXPECT_EQ(emu::RunningEmulatorPorts(), std::vector<std::string>{b.Port()});
        b.Kill(); // no chance to clean up: the entry stays, the listing skips it
        EXPECT_TRUE(emu::RunningEmulatorPorts().empty());
    }
    if (old)
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(EmuProcess, CommandsSwitchFaultsWhileItRuns) {
    EmuProcess emu;
    ASSERT_TRUE(emu.Start());
    PortClient client(emu.Port());
    const Bytes config = {0x01, 0x11, 0xC0, 0x2C};
    EXPECT_EQ(client.Transact(config, 22).size(), 22u);
    EXPECT_TRUE(emu.Command("fault silent"));
    EXPECT_TRUE(client.Transact(config, 22, 100).empty());
    EXPECT_TRUE(emu.Command("fault exception 7"));
    EXPECT_EQ(Hex(client.Transact(config, 5)), Hex({0x01, 0x91, 0x07, 0x0C, 0x52}));
    EXPECT_TRUE(emu.Command("fault partial 3 from +2"));
    EXPECT_EQ(client.Transact(config, 22).size(), 22u);
    EXPECT_EQ(client.Transact(config, 22, 100).size(), 3u);
    EXPECT_TRUE(emu.Command("fault none"));
    EXPECT_EQ(client.Transact(config, 22).size(), 22u);
    std::vector<std::string> out;
    EXPECT_FALSE(emu.Command("fault deaf", &out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].rfind("error: ", 0), 0u);
}

TEST(EmuProcess, DumpShowsWhatTheLineWrote) {
    EmuProcess emu;
    ASSERT_TRUE(emu.Start({"--busy", "3", "--modules", "4:2"}));
    PortClient client(emu.Port());
    const Bytes write = Join({{0x01, 0x45, 0x01}, Count(1, 18), {0x56, 0xC6}});
    EXPECT_EQ(Hex(client.Transact(write, 6)), Hex({0x01, 0x45, 0x01, 0x01, 0xD0, 0x5D}));
    auto dump = emu.Dump();
    ASSERT_TRUE(dump.has_value());
    EXPECT_EQ(dump->address, 1);
    EXPECT_EQ(Hex(Bytes(dump->config.begin(), dump->config.begin() + 6)),
              Hex({0x01, 0x00, 0x00, 0x00, 0x00, 0x02}));
    EXPECT_EQ(Hex(Bytes(dump->blocks[0].begin(), dump->blocks[0].end())), Hex(Count(1, 18)));
    EXPECT_EQ(dump->blocks[1][0], 0x20);
    EXPECT_EQ(dump->image[0], 0x11);
    EXPECT_EQ(dump->busyLeft, 3);
    EXPECT_EQ(dump->busyAfterWrite, 3);
    EXPECT_EQ(dump->requests, 1u);
    // a new bus number through block 99
    EXPECT_EQ(client.Transact({0x01, 0x45, 0x63, 0x04, 0x39, 0x3E}, 6).size(), 6u);
    dump = emu.Dump();
    ASSERT_TRUE(dump.has_value());
    EXPECT_EQ(dump->address, 5);
}

TEST(EmuProcess, KilledMidWriteTakesThePortAway) {
    EmuProcess emu;
    ASSERT_TRUE(emu.Start({"--busy", "1000"}));
    PortClient client(emu.Port());
    EXPECT_EQ(client.Transact(Join({{0x01, 0x45, 0x01}, Count(1, 18), {0x56, 0xC6}}), 6).size(),
              6u);
    EXPECT_EQ(client.Transact({0x01, 0x0E, 0x81, 0xE4}, 5).size(), 5u); // busy
    emu.Kill();
    EXPECT_FALSE(emu.Running());
    pollfd p{client.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    uint8_t byte;
    EXPECT_LE(::read(client.Fd(), &byte, 1), 0);
}

TEST(EmuProcess, HangupFaultEndsItWithStatusThree) {
    EmuProcess emu;
    ASSERT_TRUE(emu.Start({"--fault", "hangup from 2"}));
    PortClient client(emu.Port());
    EXPECT_EQ(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22).size(), 22u);
    EXPECT_TRUE(client.Transact({0x01, 0x11, 0xC0, 0x2C}, 22, 300).empty());
    for (int i = 0; i < 200 && emu.Running(); ++i)
        ::usleep(5000);
    EXPECT_FALSE(emu.Running());
    EXPECT_EQ(emu.ExitStatus(), 3);
}

TEST(EmuProcess, InterruptAndQuitEndItCleanly) {
    EmuProcess a;
    ASSERT_TRUE(a.Start());
    ::kill(a.Pid(), SIGINT);
    for (int i = 0; i < 200 && a.Running(); ++i)
        ::usleep(5000);
    EXPECT_EQ(a.ExitStatus(), 0);

    EmuProcess b;
    ASSERT_TRUE(b.Start());
    EXPECT_TRUE(b.Command("quit"));
    for (int i = 0; i < 200 && b.Running(); ++i)
        ::usleep(5000);
    EXPECT_EQ(b.ExitStatus(), 0);
}

// A gateway on loopback: the first line is the address to open, with the port the system chose;
// libmodbus and mbpoll, two Modbus TCP masters that share nothing with the program, read it.
TEST(EmuProcess, AModbusTcpGatewayOnAFreePortIsReadByLibmodbusAndMbpoll) {
    EmuProcess emu;
    std::string error;
    ASSERT_TRUE(emu.Start(With({"--mbtcp", "127.0.0.1:0", "--address", "7"}, kFrozenClock), &error))
        << error;
    const std::string prefix = "mbtcp://127.0.0.1:";
    ASSERT_EQ(emu.Port().rfind(prefix, 0), 0u) << emu.Port();
    const int port = std::atoi(emu.Port().c_str() + prefix.size());
    ASSERT_GT(port, 0);
    ReadWithLibmodbusTcp(port, 7);
    const Invocation mbpoll =
        RunCommand("timeout 10 mbpoll -m tcp -a 7 -t 3 -r 1001 -c 7 -1 -o 1 -p " +
                   std::to_string(port) + " 127.0.0.1");
    ASSERT_EQ(mbpoll.status, 0) << "mbpoll (Debian package mbpoll, scripts/setup.sh): "
                                << mbpoll.output;
    // "[1001]: \t5" and so on: the clock registers, 1-based as mbpoll counts them
    const char* const lines[] = {"[1001]: \t5", "[1002]: \t4",  "[1003]: \t3", "[1004]: \t2",
                                 "[1005]: \t1", "[1006]: \t24", "[1007]: \t2"};
    for (const char* line : lines)
        EXPECT_NE(mbpoll.output.find(line), std::string::npos) << line << "\n" << mbpoll.output;
    EXPECT_EQ(emu.Terminate(), 0);
}

Invocation RunEmulator(const std::string& args) {
    return RunCommand(EmuProcess::BinaryPath() + " " + args);
}

TEST(EmuProcess, BadOptionsAreRefusedWithStatusTwo) {
    const char* const bad[] = {"--address 0",   "--address 32",
                               "--modules 0:3", "--modules 16:1",
                               "--busy -1",     "--clock 1,2",
                               "--fault deaf",  "--crc-rate 7",
                               "--what",        "--modules 0:1,1:1,2:1,3:1,4:1,5:1,6:1"};
    for (const char* args : bad) {
        const Invocation run = RunEmulator(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.output.rfind("lum08-emu: ", 0), 0u) << args << ": " << run.output;
        EXPECT_EQ(run.output.find("/dev/"), std::string::npos) << args; // no port was opened
    }
    // Never a gateway another machine could reach.
    const Invocation open = RunEmulator("--tcp 0.0.0.0:0");
    EXPECT_EQ(open.status, 2);
    EXPECT_NE(open.output.find("только петлевой адрес"), std::string::npos) << open.output;
    const Invocation help = RunEmulator("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--modules SLOT:TYPE"), std::string::npos);
}

} // namespace
