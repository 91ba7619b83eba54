// The engine's listeners: what they are told, in order, for good, failing and silent replies.

#include "enginefixture.h"

#include <string>

namespace {

using TestFrame::Normal;
using TestFrame::Truncated;

// Writes every call down as one short line.
class Journal : public FrameObserver {
public:
    std::vector<std::string> lines;

    void OnRequest(int64_t, const uint8_t* frame, int length, int device, int function) override {
        lines.push_back("req " + std::to_string(length) + " d" + std::to_string(device) + " f" +
                        std::to_string(function) + " a" + std::to_string(frame[0]));
    }
    void OnReply(int64_t, const uint8_t*, int length, ReplyCheck check) override {
        static const char* const names[] = {"good", "badcrc", "short", "unchecked"};
        lines.push_back("rep " + std::to_string(length) + " " + names[static_cast<int>(check)]);
    }
    void OnTimeout(int64_t, int64_t waited) override {
        lines.push_back("timeout " + std::to_string(waited / 1000));
    }
    void OnRepeat(int64_t, int stage, int attempt, int attempts) override {
        lines.push_back("repeat " + std::to_string(stage) + " " + std::to_string(attempt) + "/" +
                        std::to_string(attempts));
    }
    void OnResult(int64_t, int device, int code, const std::string& message) override {
        lines.push_back("result d" + std::to_string(device) + " " + std::to_string(code) +
                        (message.empty() ? "" : " " + message));
    }
};

class ObserverTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        port.AddObserver(&journal);
    }
    Journal journal;
};

const Bytes kConfig = Normal(1, 0x11, Bytes(17, 0));

TEST_F(ObserverTest, GoodTransaction) {
    line.QueueReply(kConfig);
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(journal.lines,
              (std::vector<std::string>{"req 4 d0 f17 a1", "rep 22 good", "result d0 0"}));
}

TEST_F(ObserverTest, SilentDeviceTimesOutFiveTimes) {
    line.QueueSilence(5);
    EXPECT_EQ(Run(2, 17), ResultCode::NoAnswer);
    std::vector<std::string> expected;
    for (int attempt = 1; attempt <= 5; ++attempt) {
        if (attempt > 1)
            expected.push_back("repeat 1 " + std::to_string(attempt) + "/5");
        expected.push_back("req 4 d2 f17 a3");
        expected.push_back("timeout 1300");
    }
    expected.push_back("result d2 130 устройство 3 FAKE не отвечает на запрос");
    EXPECT_EQ(journal.lines, expected);
}

TEST_F(ObserverTest, BadCrcShortBodyAndForeignHeaderAreReportedAsRead) {
    Bytes spoilt = kConfig;
    spoilt.back() ^= 0xFF;
    line.QueueReply(spoilt);
    line.QueueReply(Truncated(kConfig, 10));
    line.QueueReply({1, 0x03, 0});
    line.QueueReply(kConfig);
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(journal.lines,
              (std::vector<std::string>{"req 4 d0 f17 a1", "rep 22 badcrc", "repeat 2 2/10",
                                        "req 4 d0 f17 a1", "rep 10 short", "repeat 2 3/10",
                                        "req 4 d0 f17 a1", "rep 3 unchecked", "repeat 1 2/5",
                                        "req 4 d0 f17 a1", "rep 22 good", "result d0 0"}));
}

TEST_F(ObserverTest, BroadcastHasNoReplyAndDetachedListenersHearNothing) {
    Journal second;
    port.AddObserver(&second);
    EXPECT_EQ(Run(4, 70, Bytes(7, 1)), 0);
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"req 11 d4 f70 a0", "result d4 0"}));
    EXPECT_EQ(second.lines, journal.lines);
    port.RemoveObserver(&journal);
    port.RemoveObserver(&second);
    line.QueueReply(kConfig);
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(journal.lines.size(), 2u);
    EXPECT_EQ(second.lines.size(), 2u);
}

TEST_F(ObserverTest, TransactionThatNeverReachedTheLineStillEnds) {
    port.ClosePort();
    EXPECT_EQ(Run(0, 17), ResultCode::PortNotOpen);
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"result d0 256 Не выбран COM-порт."}));
}

} // namespace
