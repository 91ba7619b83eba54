// Pauses: one sleep to a deadline on the monotonic clock, ended at once by the operator's
// stop from another thread, and precise on the real clock without burning the processor.

#include "enginefixture.h"

#include "link/steadylineclock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace {

TEST_F(EngineTest, PauseLastsExactlyAsLongOnTheGivenClock) {
    for (int ms : {1, 9, 10, 11, 25, 300, 2000}) {
        const int64_t before = clock.nowMicros();
        port.Pause(ms);
        EXPECT_EQ(clock.nowMicros() - before, ms * 1000) << ms;
    }
}

TEST_F(EngineTest, ZeroAndNegativePausesTakeNoTime) {
    port.Pause(0);
    port.Pause(-5);
    EXPECT_EQ(clock.ElapsedMicros(), 0);
}

TEST(RealPause, TheStopFromAnotherThreadEndsItAtOnce) {
    VirtualClock unused;
    FakeLine line(unused);
    SteadyLineClock clock;
    ExchangeEngine port(line, clock);
    const auto start = std::chrono::steady_clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        port.RequestStop();
    });
    port.Pause(20'000);
    stopper.join();
    const auto waited = std::chrono::steady_clock::now() - start;
    // Far below the pause however busy the machine.
    EXPECT_LT(waited, std::chrono::seconds(10));
    // A raised stop keeps the next pause from starting; a command's start clears it.
    port.Pause(20'000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    port.ClearStop();
    const int64_t before = clock.nowMicros();
    port.Pause(20);
    EXPECT_GE(clock.nowMicros() - before, 20'000);
}

TEST(StopSignal, ARaisedStopEndsASleepThatHasNotBegun) {
    using namespace std::chrono_literals;
    StopSignal stop;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(stop.SleepUntil(start - 1s)); // a deadline gone by: no sleep, no stop
    stop.Raise();
    EXPECT_TRUE(stop.SleepUntil(start + 60s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s); // however busy the machine
    stop.Clear();
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(stop.SleepUntil(before + 20ms));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 20ms);
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
    const int64_t cpuBefore = ThreadCpuMicros();
    const auto wallBefore = std::chrono::steady_clock::now();
    port.Pause(200);
    const auto wall = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - wallBefore)
                          .count();
    const int64_t cpu = ThreadCpuMicros() - cpuBefore;
    EXPECT_GE(wall, 200'000);
    EXPECT_LT(wall, 5'000'000); // however busy the machine
    // A busy wait would cost the whole 200 ms.
    EXPECT_LT(cpu, 40'000);
}

} // namespace
