// A real line's timing on the pseudo-terminal: character times from the port's settings, the
// turnaround, the adapter's chunks; then lum08-emu paced from its command line and its input.
// Expected times are worked out by hand from the bit counts.

#include "emu/linepacing.h"
#include "emuserver/terminalformat.h"
#include "emutestport.h"
#include "support/emuprocess.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>

namespace {

using namespace std::chrono;
using emu::LineTimer;

struct ReplyCase {
    const char* name;
    emu::Pacing pacing;
    emu::CharFormat format;
    size_t bytes;
    std::vector<size_t> chunkSizes;
    std::vector<microseconds> chunkDue; // after the end of the request
};

// 9600 8N2: 11 bits, 1145.83 µs a character; 22 bytes take 25208 µs.
const ReplyCase kReplies[] = {
    {"PacedByteByByte",
     {true, 0, -1},
     {9600, 11},
     3,
     {1, 1, 1},
     {microseconds(2000 + 1145), microseconds(2000 + 2291), microseconds(2000 + 3437)}},
    {"AdapterEvery16ms",
     {true, 16, -1},
     {9600, 11},
     22,
     {13, 9},
     {microseconds(2000 + 16000), microseconds(2000 + 32000)}},
    {"AdapterTurnaround5", {true, 16, 5}, {115200, 11}, 22, {22}, {microseconds(5000 + 16000)}},
    {"UnpacedAdapter", {false, 16, -1}, {9600, 11}, 22, {22}, {microseconds(16000)}},
    {"UnpacedTurnaround", {false, 0, 3}, {1200, 11}, 5, {5}, {microseconds(3000)}},
    // 1200 8E1: 11 bits, 9166.67 µs; the 87-byte reply to block 17 takes 797.5 ms
    {"Block17At1200", {true, 16, -1}, {1200, 11}, 87, {}, {microseconds(2000 + 800000)}},
};

class Replies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(Replies, ComeInTheirPiecesAtTheirTimes) {
    const ReplyCase& c = GetParam();
    LineTimer timer;
    const LineTimer::TimePoint end{seconds(100)};
    std::vector<uint8_t> reply(c.bytes);
    for (size_t i = 0; i < reply.size(); ++i)
        reply[i] = uint8_t(i);
    const auto chunks = timer.Reply(reply, end, c.pacing, c.format);
    ASSERT_FALSE(chunks.empty());
    std::vector<uint8_t> joined;
    for (const auto& chunk : chunks) {
        joined.insert(joined.end(), chunk.bytes.begin(), chunk.bytes.end());
        EXPECT_EQ(chunk.last, &chunk == &chunks.back());
    }
    EXPECT_EQ(joined, reply);
    if (!c.chunkSizes.empty()) {
        ASSERT_EQ(chunks.size(), c.chunkSizes.size());
        for (size_t i = 0; i < chunks.size(); ++i)
            EXPECT_EQ(chunks[i].bytes.size(), c.chunkSizes[i]) << i;
    }
    // the last piece's time, within a microsecond of rounding
    const auto last = duration_cast<microseconds>(chunks.back().due - end);
    EXPECT_NEAR(double(last.count()), double(c.chunkDue.back().count()), 1.0);
    for (size_t i = 0; i + 1 < c.chunkDue.size(); ++i)
        EXPECT_NEAR(double(duration_cast<microseconds>(chunks[i].due - end).count()),
                    double(c.chunkDue[i].count()), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Line, Replies, ::testing::ValuesIn(kReplies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineTimer, RequestsQueueOnTheLineAndRepliesWaitForEachOther) {
    LineTimer timer;
    const emu::Pacing paced{true, 0, -1};
    const emu::CharFormat format{9600, 11};
    const LineTimer::TimePoint t0{seconds(1)};
    // two requests written at once: the second's bytes follow the first's
    EXPECT_EQ(timer.RequestIn(4, t0, paced, format) - t0, nanoseconds(4 * 1145833));
    EXPECT_EQ(timer.RequestIn(4, t0, paced, format) - t0, nanoseconds(8 * 1145833));
    const auto first = timer.Reply({1, 2}, t0, paced, format);
    const auto second = timer.Reply({3}, t0, paced, format);
    EXPECT_EQ(second.back().due - first.back().due, nanoseconds(1145833));
    // a bare line takes the request at once
    EXPECT_EQ(timer.RequestIn(4, t0, emu::Pacing{}, format), t0);
    EXPECT_FALSE(emu::Pacing{}.Active());
}

struct FormatCase {
    speed_t speed;
    tcflag_t flags;
    int baud;
    int bits;
};

TEST(CharFormat, ReadFromTheTerminalsSettings) {
    int master = -1, slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    // A pseudo-terminal drops the parity flag (the kernel clears it), so only the speed and the
    // stop bits can be tried here.
    const FormatCase cases[] = {{B9600, CSTOPB, 9600, 11},
                                {B9600, 0, 9600, 10},
                                {B1200, 0, 1200, 10},
                                {B115200, CSTOPB, 115200, 11}};
    for (const FormatCase& c : cases) {
        termios tio{};
        ASSERT_EQ(::tcgetattr(slave, &tio), 0);
        ::cfmakeraw(&tio);
        tio.c_cflag = (tio.c_cflag & ~(PARENB | PARODD | CSTOPB)) | c.flags;
        ::cfsetspeed(&tio, c.speed);
        ASSERT_EQ(::tcsetattr(slave, TCSANOW, &tio), 0);
        emu::CharFormat f;
        ASSERT_TRUE(emu::ReadCharFormat(slave, &f));
        EXPECT_EQ(f.baud, c.baud);
        EXPECT_EQ(f.bits, c.bits);
    }
    ::close(slave);
    ::close(master);
}

// The emulator's port is at 9600 8N2 until a client changes it: 11 bits a character.
TEST(EmuProcess, PacedFromItsOptionsAndItsInput) {
    EmuProcess emu;
    ASSERT_TRUE(emu.Start({"--pace", "--latency", "16", "--no-register"}));
    std::vector<std::string> out;
    ASSERT_TRUE(emu.Command("line", &out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], "pace on latency 16 turnaround 2");
    PortClient client(emu.Port());
    const Bytes config = {0x01, 0x11, 0xC0, 0x2C};
    auto t0 = steady_clock::now();
    EXPECT_EQ(client.Transact(config, 22).size(), 22u);
    // 4 bytes in, 2 ms, 22 bytes out in chunks at 16 and 32 ms after the reply's start
    EXPECT_GE(steady_clock::now() - t0, microseconds(4 * 1145 + 2000 + 32000));

    ASSERT_TRUE(emu.Command("latency 0", &out));
    ASSERT_TRUE(emu.Command("turnaround 10", &out));
    EXPECT_EQ(out[0], "pace on latency 0 turnaround 10");
    t0 = steady_clock::now();
    EXPECT_EQ(client.Transact(config, 22).size(), 22u);
    EXPECT_GE(steady_clock::now() - t0, microseconds(26 * 1145 + 10000));

    EXPECT_FALSE(emu.Command("pace maybe", &out));
    EXPECT_FALSE(emu.Command("latency -1", &out));
    ASSERT_TRUE(emu.Command("pace off", &out));
    EXPECT_EQ(out[0], "pace off latency 0 turnaround 10");
}

} // namespace
