// One port, one program: a port held by one line is refused to every other, whatever name
// reaches it, and the holder's exchange goes on untouched.

#include "emu/device.h"
#include "emuserver/ptyserver.h"
#include "link/devicecommands.h"
#include "link/exchangeengine.h"
#include "link/steadylineclock.h"
#include "platform/qtserialline.h"
#include "support/qtcoreapp.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

LineSettings On(const std::string& name) {
    LineSettings s;
    s.portName = name;
    return s;
}

// The names another program could give the same port: its path, a symbolic link (as
// /dev/serial/by-id/... is), and a second device node of the same device (root only).
enum class Name { Path, Link, Node };

class PortLock : public ::testing::TestWithParam<Name> {
protected:
    void SetUp() override {
        EnsureCoreApplication();
        server.AddDevice(device);
        std::string error;
        ASSERT_TRUE(server.Start(&error)) << error;
        ASSERT_TRUE(dir.isValid());
    }
    // The other name, or empty when this machine cannot make it.
    std::string OtherName(Name kind) {
        const std::string path = server.SlavePath();
        const std::string other = dir.filePath("port").toStdString();
        struct stat info {};
        if (kind == Name::Path)
            return path;
        if (kind == Name::Link)
            return ::symlink(path.c_str(), other.c_str()) == 0 ? other : std::string();
        if (::stat(path.c_str(), &info) != 0 ||
            ::mknod(other.c_str(), S_IFCHR | 0600, info.st_rdev) != 0)
            return {};
        // A folder on a file system mounted without devices makes the node, but never opens it.
        const int fd = ::open(other.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return {};
        ::close(fd);
        return other;
    }

    emu::Device device;
    emu::PtyServer server;
    QTemporaryDir dir;
};

TEST_P(PortLock, ASecondLineIsRefusedAndTheHolderGoesOn) {
    const std::string other = OtherName(GetParam());
    if (other.empty())
        GTEST_SKIP() << "this machine cannot make that name";
    QtSerialLine holderLine;
    SteadyLineClock clock;
    ExchangeEngine holder(holderLine, clock);
    holder.PortName = server.SlavePath();
    ASSERT_EQ(holder.ApplyPortSettings(), 0);

    const uint64_t before = server.FramesReceived();
    QtSerialLine second;
    EXPECT_FALSE(second.open(On(other)));
    EXPECT_EQ(second.openFailureText(), "порт занят другой программой");
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(server.FramesReceived(), before);

    std::vector<uint8_t> config;
    EXPECT_EQ(ReadConfiguration(holder, 0, config), ResultCode::Ok);

    // Given back with the port: the other name opens it now.
    holder.ClosePort();
    EXPECT_TRUE(second.open(On(other))) << second.openFailureText();
}

INSTANTIATE_TEST_SUITE_P(Names, PortLock, ::testing::Values(Name::Path, Name::Link, Name::Node));

} // namespace
