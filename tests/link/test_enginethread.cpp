// The engine's thread: one job at a time, a command stops the poll under way and starts with the
// stop cleared, a poll waits for nothing and is refused while anything else runs, what a job
// tells comes to the owner's thread in order, and a short job is waited for without an event
// loop.

#include "link/exchangeengine.h"
#include "platform/enginethread.h"
#include "support/fakeline.h"
#include "support/qtcoreapp.h"
#include "support/testframes.h"
#include "support/virtualclock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

namespace {

// Serves the owner's thread until done says so (or a generous minute has passed).
bool Serve(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 60'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

struct Results : FrameObserver {
    std::vector<int> codes;
    void OnResult(int64_t, int, int code, const std::string&) override { codes.push_back(code); }
};

TEST(EngineThread, ACommandStopsThePollAndRunsWithItsOwnStopCleared) {
    EnsureCoreApplication();
    VirtualClock clock;
    FakeLine line(clock);
    ExchangeEngine engine(line, clock);
    engine.PortName = FakeLine::PortName;
    ASSERT_EQ(engine.ApplyPortSettings(), 0);
    EngineThread thread(engine);
    Results results;
    thread.AddObserver(&results);

    // The poll holds the line until a stop comes (a silent device, a long wait).
    std::atomic<bool> pollStarted{false};
    int pollCode = -1, commandCode = -1;
    bool pollDone = false, commandDone = false;
    line.SetResponder([&](const FakeLine::Bytes& request) {
        if (request[1] == 4) {
            pollStarted = true;
            while (!engine.StopRequested())
                QThread::msleep(1);
            return FakeLine::Bytes{};
        }
        return TestFrame::Normal(1, 17, FakeLine::Bytes(17, 0));
    });
    uint8_t reply[ExchangeEngine::ReplyBufferSize];
    const uint8_t registers[] = {0x03, 0xE8, 0x00, 0x07};
    ASSERT_TRUE(thread.RunInBackground(
        [&] { pollCode = engine.Exchange(0, 4, 4, registers, reply); }, [&] { pollDone = true; }));
    ASSERT_TRUE(Serve([&] { return pollStarted.load(); }));
    EXPECT_FALSE(thread.RunInBackground([] {}, [] {})); // one job at a time
    thread.Run([&] { commandCode = engine.Exchange(0, 17, 0, nullptr, reply); },
               [&] { commandDone = true; });
    EXPECT_TRUE(thread.CommandRunning());
    ASSERT_TRUE(Serve([&] { return pollDone && commandDone; }));
    EXPECT_EQ(pollCode, ResultCode::Stopped);
    EXPECT_EQ(commandCode, ResultCode::Ok);
    EXPECT_FALSE(thread.Busy());
    // Told here, in the order of the line.
    EXPECT_EQ(results.codes, (std::vector<int>{ResultCode::Stopped, ResultCode::Ok}));

    // A short job is waited for on the spot; a poll starts again once all is over.
    bool open = false;
    thread.RunAndWait([&] { open = engine.IsOpen(); });
    EXPECT_TRUE(open);
    EXPECT_FALSE(thread.CommandRunning());
    EXPECT_TRUE(thread.RunInBackground([] {}, [] {}));
    EXPECT_TRUE(Serve([&] { return !thread.Busy(); }));
    thread.RemoveObserver(&results);
}

// A job's question or progress is shown on the owner's thread while the job waits for it.
TEST(EngineThread, AJobWaitsForWhatItHandsToTheOwner) {
    EnsureCoreApplication();
    VirtualClock clock;
    FakeLine line(clock);
    ExchangeEngine engine(line, clock);
    EngineThread thread(engine);
    QThread* shownOn = nullptr;
    bool afterwards = false, done = false;
    thread.Run(
        [&] {
            thread.CallHere([&] { shownOn = QThread::currentThread(); });
            afterwards = shownOn != nullptr;
        },
        [&] { done = true; });
    ASSERT_TRUE(Serve([&] { return done; }));
    EXPECT_EQ(shownOn, QCoreApplication::instance()->thread());
    EXPECT_TRUE(afterwards);
}

} // namespace
