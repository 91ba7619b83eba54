// The device clock running on: seconds into minutes, days into months and years, the day of
// week with them.

#include "emu/deviceclock.h"

#include <gtest/gtest.h>

namespace {

struct Step {
    const char* name;
    emu::ClockValues from;
    int64_t seconds;
    emu::ClockValues to;
};

// s, m, h, day, month, year, weekday
const Step kSteps[] = {
    {"OneSecond", {5, 4, 3, 2, 1, 24, 2}, 1, {6, 4, 3, 2, 1, 24, 2}},
    {"IntoNextMinute", {59, 4, 3, 2, 1, 24, 2}, 1, {0, 5, 3, 2, 1, 24, 2}},
    {"IntoNextDay", {59, 59, 23, 2, 1, 24, 2}, 1, {0, 0, 0, 3, 1, 24, 3}},
    {"SundayToMonday", {0, 0, 12, 7, 1, 24, 7}, 86400, {0, 0, 12, 8, 1, 24, 1}},
    {"EndOfJanuary", {0, 0, 0, 31, 1, 24, 3}, 86400, {0, 0, 0, 1, 2, 24, 4}},
    {"LeapFebruary", {0, 0, 0, 28, 2, 24, 3}, 86400, {0, 0, 0, 29, 2, 24, 4}},
    {"LeapDayIntoMarch", {0, 0, 0, 29, 2, 24, 4}, 86400, {0, 0, 0, 1, 3, 24, 5}},
    {"CommonFebruary", {0, 0, 0, 28, 2, 25, 5}, 86400, {0, 0, 0, 1, 3, 25, 6}},
    {"EndOfApril", {0, 0, 0, 30, 4, 25, 3}, 86400, {0, 0, 0, 1, 5, 25, 4}},
    {"NewYear", {59, 59, 23, 31, 12, 24, 2}, 1, {0, 0, 0, 1, 1, 25, 3}},
    {"CenturyWraps", {59, 59, 23, 31, 12, 99, 4}, 1, {0, 0, 0, 1, 1, 0, 5}},
    // 1.1.24 (Monday) + 366 days = 1.1.25, a Wednesday
    {"WholeLeapYear", {0, 0, 0, 1, 1, 24, 1}, 366LL * 86400, {0, 0, 0, 1, 1, 25, 3}},
    // 1.1.24 + 36525 days: 1.1.24 again, 36525 mod 7 = 6 weekdays on
    {"WholeCentury", {0, 0, 0, 1, 1, 24, 1}, 36525LL * 86400, {0, 0, 0, 1, 1, 24, 7}},
    {"ThirtyFirstOfFebruaryMovesOn", {0, 0, 0, 31, 2, 25, 1}, 86400, {0, 0, 0, 1, 3, 25, 2}},
    {"InvalidSettingStandsStill", {60, 0, 0, 1, 1, 24, 1}, 100, {60, 0, 0, 1, 1, 24, 1}},
    {"NoTimeNoChange", {1, 2, 3, 4, 5, 6, 7}, 0, {1, 2, 3, 4, 5, 6, 7}},
};

class ClockStep : public ::testing::TestWithParam<Step> {};

TEST_P(ClockStep, RunsOn) {
    const Step& s = GetParam();
    EXPECT_EQ(emu::DeviceClock::Advance(s.from, s.seconds), s.to);
}

INSTANTIATE_TEST_SUITE_P(Calendar, ClockStep, ::testing::ValuesIn(kSteps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceClock, ValidRanges) {
    EXPECT_TRUE(emu::DeviceClock::Valid({59, 59, 23, 31, 12, 99, 7}));
    EXPECT_TRUE(emu::DeviceClock::Valid({0, 0, 0, 1, 1, 0, 1}));
    const emu::ClockValues bad[] = {{60, 0, 0, 1, 1, 0, 1}, {0, 60, 0, 1, 1, 0, 1},
                                    {0, 0, 24, 1, 1, 0, 1}, {0, 0, 0, 0, 1, 0, 1},
                                    {0, 0, 0, 32, 1, 0, 1}, {0, 0, 0, 1, 0, 0, 1},
                                    {0, 0, 0, 1, 13, 0, 1}, {0, 0, 0, 1, 1, 100, 1},
                                    {0, 0, 0, 1, 1, 0, 0},  {0, 0, 0, 1, 1, 0, 8}};
    for (const auto& v : bad)
        EXPECT_FALSE(emu::DeviceClock::Valid(v));
}

TEST(DeviceClock, FrozenReadingDoesNotMove) {
    emu::DeviceClock clock;
    const auto t0 = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    clock.Set({0, 0, 10, 1, 1, 24, 1}, t0);
    EXPECT_EQ(clock.Read(t0 + std::chrono::seconds(90))[1], 1);
    clock.SetFrozen(true, t0 + std::chrono::seconds(90));
    EXPECT_EQ(clock.Read(t0 + std::chrono::hours(3))[1], 1);
    EXPECT_EQ(clock.Read(t0 + std::chrono::hours(3))[0], 30);
}

} // namespace
