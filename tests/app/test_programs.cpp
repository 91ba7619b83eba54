// The installed programs from the outside: one version everywhere, and the unattended
// self-test that an installation is checked with.

#include "version/version.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

struct Invocation {
    std::string output; // standard output and error
    int status;
};

Invocation Invoke(const std::string& command) {
    Invocation run{"", -1};
    FILE* pipe = ::popen((command + " 2>&1 </dev/null").c_str(), "r");
    if (!pipe)
        return run;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
        run.output.append(buf, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(Programs, EveryProgramPrintsTheVersionOfTheBuild) {
    std::istringstream programs(LUM_PROGRAMS); // every program of the build, "a,b,c"
    int count = 0;
    for (std::string name; std::getline(programs, name, ','); ++count) {
        const Invocation run = Invoke(std::string(LUM_BIN_DIR) + "/" + name + " --version");
        EXPECT_EQ(run.status, 0) << name;
        EXPECT_EQ(run.output, name + " " + LumVersion() + "\n");
    }
    EXPECT_GE(count, 2);
}

TEST(Programs, SelfTestReadsTheBuiltInEmulatorWithoutAnyone) {
    const Invocation run =
        Invoke("QT_QPA_PLATFORM=offscreen " + std::string(LUM_BIN_DIR) + "/lum08 --self-test");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(std::string("Самопроверка lum08 ") + LumVersion() +
                              " пройдена: встроенный эмулятор прочитан, модули: МЛВ, МСЮ"),
              std::string::npos)
        << run.output;
}

} // namespace
