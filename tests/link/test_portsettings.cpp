// Applying the port settings: which values are taken, which refused, and what a failing port
// component makes the engine do.

#include "enginefixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct SettingsCase {
    const char* speed;
    const char* parity;
    const char* stopBits;
    const char* portName;
};

class RefusedSettings : public EngineTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(RefusedSettings, ReturnMinusOneWithThePortClosed) {
    const SettingsCase& c = GetParam();
    ASSERT_TRUE(port.IsOpen());
    port.Speed = c.speed;
    port.Parity = c.parity;
    port.StopBits = c.stopBits;
    port.PortName = c.portName;
    EXPECT_EQ(port.ApplyPortSettings(), -1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(line.OpenCalls(), 0);
    EXPECT_TRUE(op.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Values, RefusedSettings,
    ::testing::Values(
        SettingsCase{"1234", "N", "2", "FAKE"}, SettingsCase{"", "N", "2", "FAKE"},
        SettingsCase{"9600 ", "N", "2", "FAKE"}, SettingsCase{"+9600", "N", "2", "FAKE"},
        SettingsCase{"-9600", "N", "2", "FAKE"}, SettingsCase{"96OO", "N", "2", "FAKE"},
        SettingsCase{"0", "N", "2", "FAKE"}, SettingsCase{"115201", "N", "2", "FAKE"},
        SettingsCase{"99999999999", "N", "2", "FAKE"}, SettingsCase{"9600", "X", "2", "FAKE"},
        SettingsCase{"9600", "n", "2", "FAKE"}, SettingsCase{"9600", "", "2", "FAKE"},
        SettingsCase{"9600", "NN", "2", "FAKE"}, SettingsCase{"9600", "N", "3", "FAKE"},
        SettingsCase{"9600", "N", "0", "FAKE"}, SettingsCase{"9600", "N", "", "FAKE"},
        SettingsCase{"9600", "N", "1.5", "FAKE"}, SettingsCase{"9600", "N", "2", ""},
        SettingsCase{"9600", "N", "2", "/dev/no-such-port"},
        SettingsCase{"9600", "N", "2", "dev/tty"}, SettingsCase{"9600", "N", "2", "../dev/tty"},
        SettingsCase{"9600", "N", "2", "/tmp"}));

TEST_F(EngineTest, ComNamesAreNoPortsOnLinux) {
#ifdef _WIN32
    GTEST_SKIP() << "COM names are the ports on Windows";
#else
    for (const char* name : {"COM1", "com3", "COM12"}) {
        port.PortName = name;
        EXPECT_EQ(port.ApplyPortSettings(), -1) << name;
        EXPECT_FALSE(port.IsOpen());
    }
#endif
}

TEST_F(EngineTest, EveryListedSpeedIsTaken) {
    for (int speed :
         {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200}) {
        port.Speed = std::to_string(speed);
        ASSERT_EQ(port.ApplyPortSettings(), 0) << speed;
        EXPECT_EQ(line.LastSettings().baudRate, speed);
    }
}

TEST_F(EngineTest, ParityAndStopBitsReachTheLine) {
    const struct {
        const char* parity;
        const char* stop;
        char lineParity;
        int lineStop;
    } cases[] = {{"E", "1", 'E', 1}, {"O", "2", 'O', 2}, {"N", "1", 'N', 1}};
    for (const auto& c : cases) {
        port.Parity = c.parity;
        port.StopBits = c.stop;
        ASSERT_EQ(port.ApplyPortSettings(), 0);
        EXPECT_EQ(line.LastSettings().parity, c.lineParity);
        EXPECT_EQ(line.LastSettings().stopBits, c.lineStop);
        EXPECT_EQ(line.LastSettings().portName, "FAKE");
    }
}

class PortPaths : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("lum-ports-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(PortPaths, RegularFilesDirectoriesAndTheirLinksAreRefused) {
#ifdef _WIN32
    GTEST_SKIP();
#else
    const auto file = dir / "file";
    std::ofstream(file) << "not a port";
    std::filesystem::create_symlink(file, dir / "link-to-file");
    std::filesystem::create_symlink(dir, dir / "link-to-dir");
    std::filesystem::create_symlink(dir / "missing", dir / "dangling");
    for (const auto& p : {file, dir, dir / "link-to-file", dir / "link-to-dir", dir / "dangling"}) {
        port.PortName = p.string();
        EXPECT_EQ(port.ApplyPortSettings(), -1) << p;
        EXPECT_FALSE(port.IsOpen());
    }
#endif
}

TEST_F(PortPaths, CharacterDevicesByPathBareNameOrLinkAreTaken) {
#ifdef _WIN32
    GTEST_SKIP();
#else
    // /dev/tty is a character device on every Linux system.
    std::filesystem::create_symlink("/dev/tty", dir / "port-link");
    const struct {
        std::string name;
        std::string location;
    } cases[] = {{"/dev/tty", "/dev/tty"},
                 {"tty", "/dev/tty"},
                 {(dir / "port-link").string(), (dir / "port-link").string()}};
    for (const auto& c : cases) {
        port.PortName = c.name;
        EXPECT_EQ(port.ApplyPortSettings(), 0) << c.name;
        EXPECT_EQ(line.LastSettings().portName, c.location);
    }
#endif
}

TEST_F(EngineTest, LongPortNamesAreKeptWhole) {
    const std::string name(300, 'x');
    port.PortName = name;
    EXPECT_EQ(port.ApplyPortSettings(), -1);
    EXPECT_EQ(port.PortName, name);
    ReportError(port, 0, ResultCode::NoAnswer);
    EXPECT_EQ(op.LastText(), "устройство 1 " + name + " не отвечает на запрос");
}

// A port component that fails is a routine fault: the program goes on, the port closed and
// the operator told by the command, once.
TEST_F(EngineTest, PortComponentFailuresNeverEndTheProgram) {
    line.FailClose(true);
    EXPECT_EQ(port.ApplyPortSettings(), 0);
    EXPECT_TRUE(op.Shown().empty());
    EXPECT_TRUE(port.IsOpen());

    line.FailOpen(true);
    EXPECT_EQ(port.ApplyPortSettings(), -1);
    EXPECT_FALSE(port.IsOpen());
    ReportError(port, 0, ResultCode::PortCannotOpen);
    EXPECT_EQ(op.LastText(), " невозможно открыть последовательный порт ");
    line.FailOpen(false);
    line.FailClose(false);

    ASSERT_EQ(port.ApplyPortSettings(), 0);
    op.Clear();
    line.FailPurge(true);
    line.QueueReply(TestFrame::Normal(1, 0x11, Bytes(17, 0)));
    EXPECT_EQ(Run(0, 17), ResultCode::PortFailure);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(op.Shown().empty()); // the command tells it, once
}

TEST_F(EngineTest, ANameThatIsNoPortIsNotFound) {
    port.PortName = "/tmp";
    EXPECT_EQ(port.ApplyPortSettings(), -1);
    ReportError(port, 0, ResultCode::PortCannotOpen);
    EXPECT_EQ(op.LastText(), " невозможно открыть последовательный порт \n/tmp: порт не найден");
}

TEST(EngineDefaults, AsAfterStart) {
    VirtualClock clock;
    FakeLine line(clock);
    ExchangeEngine port(line, clock);
    EXPECT_EQ(port.Speed, "9600");
    EXPECT_EQ(port.Parity, "N");
    EXPECT_EQ(port.StopBits, "2");
    EXPECT_EQ(port.PortName, "COM1");
    EXPECT_EQ(port.GetHeaderRepeats(), 5);
    EXPECT_EQ(port.BodyRepeats, 10);
    EXPECT_EQ(port.GetDelayTx(), 25);
    EXPECT_EQ(port.GetDelayRx(), 20);
    EXPECT_FALSE(port.IsOpen());
    // The port stays closed until settings are applied.
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    EXPECT_EQ(port.Exchange(0, 17, 0, nullptr, reply), ResultCode::PortNotOpen);
    EXPECT_EQ(line.OpenCalls(), 0);
}

} // namespace
