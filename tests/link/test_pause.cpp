// Pauses: measured on the monotonic clock, slept in short slices with the idle hook between
// them, and precise on the real clock without burning the processor.

#include "enginefixture.h"

#include "link/steadylineclock.h"

#include <chrono>
#include <ctime>

namespace {

TEST_F(EngineTest, PauseLastsExactlyAsLongOnTheGivenClock) {
    for (int ms : {1, 9, 10, 11, 25, 300, 2000}) {
        const int64_t before = clock.nowMicros();
        port.Pause(ms);
        EXPECT_EQ(clock.nowMicros() - before, ms * 1000) << ms;
    }
    EXPECT_LE(clock.LongestSleepMicros(), 10'000);
}

TEST_F(EngineTest, ZeroAndNegativePausesTakeNoTime) {
    port.Pause(0);
    port.Pause(-5);
    EXPECT_EQ(clock.ElapsedMicros(), 0);
}

TEST_F(EngineTest, IdleHookRunsBetweenSlicesWhileInExchange) {
    int calls = 0;
    bool alwaysInside = true;
    port.SetIdleHook([&] {
        ++calls;
        alwaysInside = alwaysInside && port.InExchange();
    });
    port.Pause(300);
    // Thirty slices of 10 ms, the hook between them.
    EXPECT_EQ(calls, 29);
    EXPECT_TRUE(alwaysInside);
    EXPECT_FALSE(port.InExchange());
}

TEST_F(EngineTest, IdleHookSeesTheTransactionUnderWay) {
    bool inside = false;
    port.SetIdleHook([&] { inside = inside || port.InExchange(); });
    line.QueueReply(TestFrame::Normal(1, 0x11, Bytes(17, 0)));
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_TRUE(inside);
    EXPECT_FALSE(port.InExchange());
}

TEST_F(EngineTest, PauseEndsAtItsDeadlineOnTheClock) {
    // Time that passes on the clock while the pause runs counts: the pause is not a sum of
    // sleeps but ends when the clock says the time is up.
    int sleeps = 0;
    clock.OnSleep([&](int64_t) {
        if (++sleeps == 3)
            clock.Advance(15'000);
    });
    const int64_t before = clock.nowMicros();
    port.Pause(100);
    const int64_t spent = clock.nowMicros() - before;
    EXPECT_GE(spent, 100'000);
    EXPECT_LT(spent, 100'000 + 15'000);
}

int64_t ThreadCpuMicros() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

TEST(SteadyLineClock, ShortSleepsArePrecise) {
    SteadyLineClock clock;
    for (int64_t micros : {200, 1000, 3000}) {
        const int64_t before = clock.nowMicros();
        clock.sleepMicros(micros);
        const int64_t spent = clock.nowMicros() - before;
        EXPECT_GE(spent, micros);
        // Generous for a busy test machine; on an idle one this is a few microseconds.
        EXPECT_LT(spent, micros + 20'000) << micros;
    }
}

TEST(SteadyLineClock, RealPauseSleepsRatherThanSpins) {
    VirtualClock unused;
    FakeLine line(unused); // a pause does not touch the line
    SteadyLineClock clock;
    ExchangeEngine port(line, clock);
    int hooks = 0;
    port.SetIdleHook([&] { ++hooks; });
    const int64_t cpuBefore = ThreadCpuMicros();
    const auto wallBefore = std::chrono::steady_clock::now();
    port.Pause(200);
    const auto wall = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - wallBefore)
                          .count();
    const int64_t cpu = ThreadCpuMicros() - cpuBefore;
    EXPECT_GE(wall, 200'000);
    EXPECT_LT(wall, 300'000);
    // A busy wait would cost the whole 200 ms.
    EXPECT_LT(cpu, 40'000);
    // Slices of 10 ms with the hook between them (counted exactly on the virtual clock); a busy
    // machine or a coarser system timer stretches some slices.
    EXPECT_GE(hooks, 12);
}

} // namespace
