// Cutting the byte stream into requests: by the function's own length at once, by silence
// otherwise.

#include "emu/framer.h"
#include "emutestbytes.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using TimePoint = emu::Framer::TimePoint;

const Bytes kConfig = {0x01, 0x11, 0xC0, 0x2C};
const Bytes kClock = {0x01, 0x04, 0x03, 0xE8, 0x00, 0x07, 0x31, 0xB8};
const Bytes kRead17 = {0x01, 0x44, 0x11, 0xD3, 0x0C};
const Bytes kWrite99 = {0x01, 0x45, 0x63, 0x04, 0x39, 0x3E};
const Bytes kWrite1 = Join({{0x01, 0x45, 0x01}, Count(1, 18), {0x56, 0xC6}});
const Bytes kWrite17 = Join({{0x01, 0x45, 0x11}, Count(100, 81), {0x23, 0x68}});
const Bytes kSetClock = {0x00, 0x46, 0x0A, 0x14, 0x0D, 0x0F, 0x06, 0x19, 0x07, 0xA3, 0x78};
const Bytes kClockNoData = {0x01, 0x46, 0x81, 0xD2};               // function 70 without data
const Bytes kUnknown = {0x01, 0x2B, 0x0E, 0x01, 0x01, 0xB1, 0xB7}; // 43/14: read device id

std::string Frames(const emu::Framer::Frames& frames) {
    std::string text;
    for (const auto& f : frames)
        text += "[" + Hex(f) + "]";
    return text;
}

struct Stream {
    const char* name;
    std::vector<Bytes> chunks;   // arriving one after another without a pause
    std::vector<Bytes> atOnce;   // frames handed on as soon as they are in
    std::vector<Bytes> afterGap; // frames salvaged once the line has gone quiet
};

const Stream kStreams[] = {
    {"Configuration", {kConfig}, {kConfig}, {}},
    {"ClockRead", {kClock}, {kClock}, {}},
    {"ReadImage", {kRead17}, {kRead17}, {}},
    {"WriteAddress", {kWrite99}, {kWrite99}, {}},
    {"WriteModule", {kWrite1}, {kWrite1}, {}},
    {"WriteImage", {kWrite17}, {kWrite17}, {}},
    {"ClockBroadcast", {kSetClock}, {kSetClock}, {}},
    {"ByteByByte", {{0x01}, {0x04}, {0x03, 0xE8}, {0x00}, {0x07, 0x31}, {0xB8}}, {kClock}, {}},
    {"TwoInOneRead", {Join({kConfig, kClock})}, {kConfig, kClock}, {}},
    {"ImageInPieces",
     {Bytes(kWrite17.begin(), kWrite17.begin() + 2), Bytes(kWrite17.begin() + 2, kWrite17.end())},
     {kWrite17},
     {}},
    {"NoiseBeforeRequest", {Join({{0x55, 0xAA, 0x07}, kClock})}, {}, {kClock}},
    {"UnknownFunctionByItsCrc", {kUnknown}, {}, {kUnknown}},
    {"ClockSetWithoutData", {kClockNoData}, {}, {kClockNoData}},
    {"BadCrcDropped", {{0x01, 0x11, 0xC0, 0x2D}}, {}, {}},
    {"UnfinishedDropped", {{0x01, 0x04, 0x03}}, {}, {}},
    {"RequestAfterBadOne", {Join({{0x01, 0x11, 0xC0, 0x2D}, kConfig})}, {}, {kConfig}},
};

class FramerStream : public ::testing::TestWithParam<Stream> {};

TEST_P(FramerStream, FindsTheRequests) {
    const Stream& s = GetParam();
    emu::Framer framer(3ms, 50ms);
    const TimePoint t0{};
    emu::Framer::Frames now;
    for (const auto& c : s.chunks) {
        auto got = framer.Push(c.data(), c.size(), t0);
        now.insert(now.end(), got.begin(), got.end());
    }
    EXPECT_EQ(Frames(now), Frames(s.atOnce));
    // nothing more before the line has been quiet long enough
    EXPECT_TRUE(framer.Expire(t0 + 2ms).empty());
    const auto later = framer.Expire(t0 + 60ms);
    EXPECT_EQ(Frames(later), Frames(s.afterGap));
    EXPECT_EQ(framer.Pending(), 0u);
    EXPECT_FALSE(framer.Deadline().has_value());
}

INSTANTIATE_TEST_SUITE_P(Streams, FramerStream, ::testing::ValuesIn(kStreams),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Framer, ShortSilenceForWhatCannotGrowLongSilenceForWhatCan) {
    emu::Framer framer(3ms, 50ms);
    const TimePoint t0{};
    // an unknown function cannot become a known frame by waiting: the short gap applies
    framer.Push(kUnknown.data(), kUnknown.size(), t0);
    ASSERT_TRUE(framer.Deadline().has_value());
    EXPECT_EQ(*framer.Deadline() - t0, 3ms);
    EXPECT_EQ(Frames(framer.Expire(t0 + 3ms)), Frames({kUnknown}));
    // an unfinished clock read may still be completed: the long gap applies
    framer.Push(kClock.data(), 3, t0);
    EXPECT_EQ(*framer.Deadline() - t0, 50ms);
    EXPECT_TRUE(framer.Expire(t0 + 49ms).empty());
    const auto rest = framer.Push(kClock.data() + 3, kClock.size() - 3, t0 + 20ms);
    EXPECT_EQ(Frames(rest), Frames({kClock}));
}

TEST(Framer, ExpectedLengthsOfTheRequests) {
    struct Case {
        Bytes head;
        int length;
    };
    const Case cases[] = {
        {{0x01, 0x11}, 4},
        {{0x01, 0x0E}, 4},
        {{0x01, 0x44}, 5},
        {{0x01, 0x04}, 8},
        {{0x00, 0x46}, 11},
        {{0x01, 0x45}, 0},
        {{0x01, 0x45, 0x01}, 23},
        {{0x01, 0x45, 0x06}, 23},
        {{0x01, 0x45, 0x11}, 86},
        {{0x01, 0x45, 0x63}, 6},
        {{0x01, 0x45, 0x07}, -1},
        {{0x01, 0x10, 0, 0, 0, 1}, 0},
        {{0x01, 0x10, 0, 0, 0, 1, 2}, 11},
        {{0x01}, 0},
        {{0x01, 0x2B}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(emu::Framer::ExpectedLength(c.head.data(), c.head.size()), c.length)
            << Hex(c.head);
}

TEST(Framer, NoiseIsCountedAsDropped) {
    emu::Framer framer(3ms, 50ms);
    const Bytes noise = {0xFF, 0xFE, 0xFD, 0xFC, 0xFB};
    framer.Push(noise.data(), noise.size(), TimePoint{});
    EXPECT_TRUE(framer.Expire(TimePoint{} + 100ms).empty());
    EXPECT_EQ(framer.DroppedBytes(), 5u);
}

TEST(Framer, EndlessGarbageIsBounded) {
    emu::Framer framer(3ms, 50ms);
    Bytes junk(2000, 0x45); // looks like a block write forever
    framer.Push(junk.data(), junk.size(), TimePoint{});
    EXPECT_LE(framer.Pending(), emu::Framer::kMaxPending);
    framer.Expire(TimePoint{} + 1s);
    EXPECT_EQ(framer.Pending(), 0u);
}

} // namespace
