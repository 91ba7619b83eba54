// Healthy commands on a line with a real line's timing: bytes at the speed the program set on its
// port, the device's 2 ms turnaround, and a USB adapter that hands the replies over every 16 ms.
// Each request goes out once: no reply came late, cut or spoilt, or the engine would have asked
// again. The lower bounds on the time are the bytes at their bit time, so the line was paced.

#include "test_linefaults.h"

#include "emuserver/terminalformat.h"
#include "link/devicecommands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace {

using namespace std::chrono;

class PacedLine : public ::testing::Test {
protected:
    void SetUp() override {
        rig.server->SetPacing({true, 16, -1});
        rig.device.SetBusyAfterWrite(1);
    }

    // Requests by function code that the device took since request `after`.
    std::map<int, int> Functions(uint64_t after) const {
        std::map<int, int> count;
        for (const auto& r : rig.device.RequestLog())
            if (r.number > after)
                ++count[r.function];
        return count;
    }

    LineFaultRig rig;
};

TEST_F(PacedLine, WholeDeviceReadAndWriteAt9600WithoutRepeats) {
    const uint64_t before = rig.device.RequestCount();
    const auto t0 = steady_clock::now();
    ASSERT_EQ(rig.Run(Sequence::ReadWhole), 0) << rig.op.LastText();
    const auto readTime = steady_clock::now() - t0;
    // the configuration, the two fitted modules and the network image, once each
    EXPECT_EQ(Functions(before), (std::map<int, int>{{17, 1}, {68, 3}}));
    // 9600 8N2: 19 request and 157 reply bytes at 1.146 ms, four turnarounds of 2 ms
    EXPECT_GE(readTime, microseconds(176 * 1145 + 4 * 2000));
    EXPECT_TRUE(rig.DeviceEqualsModel());

    rig.EditModel(0x5A);
    const uint64_t mid = rig.device.RequestCount();
    ASSERT_EQ(rig.Run(Sequence::WriteWhole), 0) << rig.op.LastText();
    // one send per block, and one busy poll before the one that finds it stored
    EXPECT_EQ(Functions(mid), (std::map<int, int>{{17, 1}, {69, 3}, {14, 6}}));
    EXPECT_TRUE(rig.DeviceEqualsModel());
    EXPECT_TRUE(rig.op.Shown().empty()) << rig.op.LastText();
}

TEST_F(PacedLine, LongestFramesAt1200) {
    rig.port.Speed = "1200";
    ASSERT_EQ(rig.port.ApplyPortSettings(), 0);
    rig.device.SetBusyAfterWrite(0);
    rig.EditModel(0x33);
    const uint64_t before = rig.device.RequestCount();
    const auto t0 = steady_clock::now();
    // the 86-byte write of the network image, then its 87-byte reply to a read
    ASSERT_EQ(rig.Run(Sequence::WriteNetwork), 0) << rig.op.LastText();
    std::vector<uint8_t> data;
    ASSERT_EQ(ReadBlock(rig.port, rig.moduleConfig.BusNumber, 17, data), 0);
    // 1200 8N2: 9.167 ms a byte; 86 + 87 bytes at least
    EXPECT_GE(steady_clock::now() - t0, microseconds(173 * 9166));
    EXPECT_EQ(Functions(before), (std::map<int, int>{{69, 1}, {14, 1}, {68, 1}}));
    ASSERT_EQ(data.size(), 82u);
    for (size_t i = 1; i < 82; ++i)
        EXPECT_EQ(data[i], rig.f15.Image[i]) << i;
}

TEST_F(PacedLine, SpeedsWithoutATerminalCodeOfTheirOwnArePacedToo) {
    for (const char* speed : {"14400", "56000"}) {
        rig.port.Speed = speed;
        ASSERT_EQ(rig.port.ApplyPortSettings(), 0) << speed;
        const int fd = ::open(rig.port.PortName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        emu::CharFormat format;
        EXPECT_TRUE(emu::ReadCharFormat(fd, &format));
        ::close(fd);
        EXPECT_EQ(format.baud, std::atoi(speed));
        EXPECT_EQ(format.bits, 11);
        std::vector<uint8_t> data;
        EXPECT_EQ(ReadConfiguration(rig.port, 0, data), 0) << speed;
    }
}

} // namespace
