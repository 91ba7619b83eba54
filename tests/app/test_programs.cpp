// The installed programs from the outside: one version everywhere, and the unattended
// self-test that an installation is checked with.

#include "support/runcommand.h"
#include "version/version.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

TEST(Programs, EveryProgramPrintsTheVersionOfTheBuild) {
    std::istringstream programs(LUM_PROGRAMS); // every program of the build, "a,b,c"
    int count = 0;
    for (std::string name; std::getline(programs, name, ','); ++count) {
        const Invocation run = RunCommand(std::string(LUM_BIN_DIR) + "/" + name + " --version");
        EXPECT_EQ(run.status, 0) << name;
        EXPECT_EQ(run.output, name + " " + LumVersion() + "\n");
    }
    EXPECT_GE(count, 2);
}

// A parameter the program does not know is a typing error: it is told, in Russian, with the usage.
TEST(Programs, AnUnknownParameterGivesTheUsageAndStatusTwo) {
    for (const char* program : {"lum08", "lum08-emu"}) {
        const Invocation run = RunCommand(std::string(LUM_BIN_DIR) + "/" + program + " --bogus");
        EXPECT_EQ(run.status, 2) << program;
        EXPECT_NE(run.output.find("неизвестный параметр"), std::string::npos) << run.output;
    }
    const Invocation run = RunCommand(std::string(LUM_BIN_DIR) + "/lum08 --bogus");
    EXPECT_NE(run.output.find("Использование: lum08"), std::string::npos) << run.output;
    const Invocation help = RunCommand(std::string(LUM_BIN_DIR) + "/lum08-emu --help");
    EXPECT_EQ(help.output.rfind("Использование: lum08-emu", 0), 0u) << help.output;
}

TEST(Programs, SelfTestReadsTheBuiltInEmulatorWithoutAnyone) {
    const Invocation run =
        RunCommand("QT_QPA_PLATFORM=offscreen " + std::string(LUM_BIN_DIR) + "/lum08 --self-test");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(std::string("Самопроверка lum08 ") + LumVersion() +
                              " пройдена: встроенный эмулятор прочитан, модули: МЛВ, МСЮ"),
              std::string::npos)
        << run.output;
}

} // namespace
