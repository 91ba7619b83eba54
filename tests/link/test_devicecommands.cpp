// The command set: read helpers and the write-and-confirm sequence every block write uses.

#include "enginefixture.h"

#include "link/devicecommands.h"

#include <deque>
#include <string>

namespace {

using TestFrame::Exception;
using TestFrame::Normal;
using TestFrame::WithCrc;

constexpr uint8_t kWrite = 0x45;
constexpr uint8_t kPoll = 0x0E;

// A device on the scripted line: it answers the write with a normal reply and each poll from
// a script (an echo once the script is used up). Polls that come with an empty script entry
// get no answer at all.
class WriteTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        line.SetResponder([this](const Bytes& request) -> Bytes {
            const uint8_t address = request[0];
            if (request[1] == kWrite)
                return Normal(address, kWrite, {request[2]});
            if (request[1] != kPoll)
                return {};
            ++polls;
            if (pollScript.empty())
                return WithCrc({address, kPoll});
            Bytes next = pollScript.front();
            pollScript.pop_front();
            return next;
        });
    }

    int Write(const Bytes& data, WriteConfirm how = {}) {
        how.onSend = [this] { ++sends; };
        return WriteAndConfirm(port, device, data.data(), static_cast<int>(data.size()), how);
    }

    // The function codes and addresses of everything written, in order.
    std::vector<std::pair<int, int>> Traffic() const {
        std::vector<std::pair<int, int>> out;
        for (const Bytes& frame : line.Written())
            out.emplace_back(frame[1], frame[0]);
        return out;
    }
    int Count(int function) const {
        int n = 0;
        for (const Bytes& frame : line.Written())
            n += frame[1] == function;
        return n;
    }

    std::deque<Bytes> pollScript;
    int polls = 0;
    int sends = 0;
    int device = 0;
    const Bytes block1 = Bytes{1,    0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99,
                               0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x01, 0x02, 0x03};
};

TEST_F(WriteTest, BusyThreeTimesThenEchoIsOneSend) {
    for (int i = 0; i < 3; ++i)
        pollScript.push_back(Exception(1, kPoll, 6));
    EXPECT_EQ(Write(block1), 0);
    using P = std::pair<int, int>;
    EXPECT_EQ(Traffic(), (std::vector<P>{{69, 1}, {14, 1}, {14, 1}, {14, 1}, {14, 1}}));
    EXPECT_EQ(line.Written()[0], WithCrc([&] {
                  Bytes f{0x01, kWrite};
                  f.insert(f.end(), block1.begin(), block1.end());
                  return f;
              }()));
    EXPECT_EQ(sends, 1);
    // 50 first, 25 before each of the five frames, 300 after the write, 200 after each busy.
    EXPECT_EQ(clock.ElapsedMs(), 50 + 5 * 25 + 300 + 3 * 200);
}

TEST_F(WriteTest, BusyIsWaitedOutWithoutLimit) {
    for (int i = 0; i < 40; ++i)
        pollScript.push_back(Exception(1, kPoll, 6));
    EXPECT_EQ(Write(block1), 0);
    EXPECT_EQ(Count(69), 1);
    EXPECT_EQ(polls, 41);
}

TEST_F(WriteTest, WithoutTheFirstPauseTheSendComesAtOnce) {
    WriteConfirm how;
    how.initialPause = false;
    EXPECT_EQ(Write(block1, how), 0);
    ASSERT_FALSE(line.WriteTimes().empty());
    const int64_t start = clock.nowMicros() - clock.ElapsedMicros();
    EXPECT_EQ(line.WriteTimes()[0] - start, 25'000);
    EXPECT_EQ(clock.ElapsedMs(), 25 + 300 + 25);
}

TEST_F(WriteTest, NoAnswerToThePollEndsAtOnce) {
    // Five silent polls make the engine's 130.
    for (int i = 0; i < 5; ++i)
        pollScript.push_back({});
    EXPECT_EQ(Write(block1), ResultCode::NoAnswer);
    EXPECT_EQ(Count(69), 1);
    EXPECT_EQ(Count(14), 5);
    EXPECT_EQ(sends, 1);
}

TEST_F(WriteTest, ChecksumErrorsResendUpToTheBudget) {
    Bytes bad = WithCrc({0x01, kPoll});
    bad[3] ^= 0xFF;
    line.SetResponder([&](const Bytes& request) -> Bytes {
        return request[1] == kPoll ? bad : Normal(1, kWrite, {1});
    });
    EXPECT_EQ(Write(block1), ResultCode::Checksum);
    EXPECT_EQ(Count(69), 5);
    EXPECT_EQ(Count(14), 5 * 10);
    EXPECT_EQ(sends, 5);
}

TEST_F(WriteTest, BudgetIsRepeat1) {
    port.SetHeaderRepeats(2);
    Bytes bad = WithCrc({0x01, kPoll});
    bad[2] ^= 0x01;
    line.SetResponder([&](const Bytes& request) -> Bytes {
        return request[1] == kPoll ? bad : Normal(1, kWrite, {1});
    });
    EXPECT_EQ(Write(block1), ResultCode::Checksum);
    EXPECT_EQ(Count(69), 2);
}

TEST_F(WriteTest, OneBadPollThenTheSecondSendSucceeds) {
    Bytes bad = WithCrc({0x01, kPoll});
    bad[2] ^= 0x01;
    for (int i = 0; i < 10; ++i)
        pollScript.push_back(bad);
    EXPECT_EQ(Write(block1), 0);
    EXPECT_EQ(Count(69), 2);
    EXPECT_EQ(sends, 2);
}

struct PollFailure {
    const char* what;
    Bytes reply; // the answer to every poll
    int code;
    int sends; // how many times the block goes out
};

class PollFailures : public WriteTest, public ::testing::WithParamInterface<PollFailure> {};

TEST_P(PollFailures, FinalCodesStopRestResend) {
    const PollFailure& c = GetParam();
    line.SetResponder([&](const Bytes& request) -> Bytes {
        return request[1] == kPoll ? c.reply : Normal(1, kWrite, {1});
    });
    EXPECT_EQ(Write(block1), c.code);
    EXPECT_EQ(Count(69), c.sends);
    EXPECT_EQ(sends, c.sends);
}

INSTANTIATE_TEST_SUITE_P(Codes, PollFailures,
                         ::testing::Values(PollFailure{"silent", {}, 130, 1},
                                           PollFailure{"exception7", Exception(1, kPoll, 7), 7, 1},
                                           PollFailure{"exception2", Exception(1, kPoll, 2), 2, 5},
                                           PollFailure{"short", Bytes{0x01, kPoll}, 129, 5},
                                           PollFailure{"foreign", Bytes{0x01, 0x03, 0x00}, 128, 5}),
                         [](const auto& info) { return std::string(info.param.what); });

Bytes NetworkImage() {
    Bytes image(82, 0x00);
    image[0] = 17;
    return image;
}

class NewAddress : public WriteTest, public ::testing::WithParamInterface<Bytes> {};

TEST_P(NewAddress, PollsAndLaterRequestsGoToTheNewAddress) {
    // The first poll after the first send fails its CRC, so the block goes out twice.
    Bytes bad = WithCrc({0x05, kPoll});
    bad[3] ^= 0x01;
    for (int i = 0; i < 10; ++i)
        pollScript.push_back(bad);
    WriteConfirm how;
    how.switchDeviceTo = 4;
    device = 0;
    EXPECT_EQ(Write(GetParam(), how), 0);
    EXPECT_EQ(device, 4);
    const auto traffic = Traffic();
    ASSERT_EQ(traffic.size(), 1u + 10 + 1 + 1);
    EXPECT_EQ(traffic[0], std::make_pair(69, 1));
    for (size_t i = 1; i < traffic.size(); ++i)
        EXPECT_EQ(traffic[i].second, 5) << i;
    EXPECT_EQ(traffic[11], std::make_pair(69, 5));
}

INSTANTIATE_TEST_SUITE_P(Blocks, NewAddress, ::testing::Values(Bytes{99, 4}, NetworkImage()),
                         [](const auto& info) {
                             return info.param[0] == 99 ? "block99" : "block17";
                         });

TEST_F(WriteTest, ModuleBlocksKeepTheDevice) {
    device = 2;
    pollScript.push_back(Exception(3, kPoll, 6));
    EXPECT_EQ(Write(block1), 0);
    EXPECT_EQ(device, 2);
    for (const auto& [function, address] : Traffic())
        EXPECT_EQ(address, 3) << function;
}

TEST_F(WriteTest, WriteReplyIsNotExamined) {
    line.SetResponder([](const Bytes& request) -> Bytes {
        return request[1] == kPoll ? WithCrc({0x01, kPoll}) : Normal(1, kWrite, {0x33, 0x44});
    });
    EXPECT_EQ(Write(block1), 0);
    EXPECT_EQ(Count(69), 1);
}

// An exception answer to the send itself: the block was not taken, whatever a poll says then.
struct Refusal {
    const char* what;
    std::vector<int> exceptions; // the answers to the first sends; later sends are taken
    int code;
    int sends;
    int polls;
    int device; // where the block-99 write leaves the device (it moves to 4 when it takes it)
};

class Refusals : public WriteTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refusals, AreNeverTakenForStored) {
    const Refusal& c = GetParam();
    std::deque<int> answers(c.exceptions.begin(), c.exceptions.end());
    line.SetResponder([&](const Bytes& request) -> Bytes {
        if (request[1] == kPoll) {
            ++polls;
            return WithCrc({request[0], kPoll});
        }
        if (answers.empty())
            return Normal(request[0], kWrite, {request[2]});
        const int exception = answers.front();
        answers.pop_front();
        return Exception(request[0], kWrite, uint8_t(exception));
    });
    WriteConfirm how;
    how.switchDeviceTo = 4;
    EXPECT_EQ(Write({99, 4}, how), c.code);
    EXPECT_EQ(Count(69), c.sends);
    EXPECT_EQ(polls, c.polls);
    EXPECT_EQ(device, c.device);
}

INSTANTIATE_TEST_SUITE_P(Answers, Refusals,
                         ::testing::Values(Refusal{"busyOnceThenTaken", {6}, 0, 2, 2, 4},
                                           Refusal{"finalRefusal", {7}, 7, 1, 0, 0},
                                           Refusal{
                                               "refusedToTheBudget", {4, 4, 4, 4, 4}, 4, 5, 0, 0}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(WriteTest, PortFailureWhileSendingEndsTheWrite) {
    line.FailWritesAfter(0);
    EXPECT_EQ(Write(block1), ResultCode::PortFailure);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(sends, 1);
}

TEST_F(WriteTest, PortFailureWhilePollingEndsTheWrite) {
    line.FailReadsAfter(2); // the write's header and body, then the poll fails
    EXPECT_EQ(Write(block1), ResultCode::PortFailure);
    EXPECT_EQ(Count(69), 1);
}

TEST_F(WriteTest, ClosedPortEndsTheWrite) {
    port.ClosePort();
    EXPECT_EQ(Write(block1), ResultCode::PortNotOpen);
    EXPECT_TRUE(line.Written().empty());
}

// --- reading ---

TEST_F(EngineTest, ReadConfigurationGivesTheSeventeenBytes) {
    const Bytes config = {2, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    line.QueueReply(Normal(1, 0x11, config));
    std::vector<uint8_t> data;
    EXPECT_EQ(ReadConfiguration(port, 0, data), 0);
    EXPECT_EQ(data, config);
    EXPECT_EQ(line.Written()[0], Bytes({0x01, 0x11, 0xC0, 0x2C}));
}

struct ShortReply {
    int function;
    Bytes request;
    int byteCount; // one less than the reply must carry
};

class ShortReplies : public EngineTest, public ::testing::WithParamInterface<ShortReply> {};

TEST_P(ShortReplies, AreReceiveErrors) {
    const ShortReply& c = GetParam();
    line.SetResponder([&](const Bytes&) {
        return Normal(1, static_cast<uint8_t>(c.function), Bytes(c.byteCount, 0x31));
    });
    std::vector<uint8_t> data{9, 9};
    DeviceClock clockBytes{};
    int code = -1;
    if (c.function == 17)
        code = ReadConfiguration(port, 0, data);
    else if (c.function == 68)
        code = ReadBlock(port, 0, c.request[0], data);
    else
        code = ReadClock(port, 0, clockBytes);
    EXPECT_EQ(code, ResultCode::ReceiveError);
    EXPECT_TRUE(data.empty() || c.function == 4);
}

INSTANTIATE_TEST_SUITE_P(Commands, ShortReplies,
                         ::testing::Values(ShortReply{17, {}, 16}, ShortReply{68, {1}, 18},
                                           ShortReply{68, {6}, 0}, ShortReply{68, {17}, 81},
                                           ShortReply{4, {}, 13}));

TEST_F(EngineTest, ReadBlockSendsTheBlockNumber) {
    Bytes module(19);
    module[0] = 3;
    for (int i = 1; i < 19; ++i)
        module[i] = static_cast<uint8_t>(i * 7);
    line.QueueReply(Normal(2, 0x44, module));
    Bytes image(82, 0x42);
    image[0] = 17;
    line.QueueReply(Normal(2, 0x44, image));
    std::vector<uint8_t> data;
    EXPECT_EQ(ReadBlock(port, 1, 3, data), 0);
    EXPECT_EQ(data, module);
    EXPECT_EQ(ReadBlock(port, 1, 17, data), 0);
    EXPECT_EQ(data, image);
    EXPECT_EQ(line.Written()[0], WithCrc({0x02, 0x44, 0x03}));
    EXPECT_EQ(line.Written()[1], WithCrc({0x02, 0x44, 0x11}));
}

TEST_F(EngineTest, ReadClockTakesTheLowBytesOfSevenRegisters) {
    // Registers 1000..1006: 45 s, 30 min, 13 h, 31st, December, year 24, Tuesday.
    const Bytes registers = {0x00, 45, 0x00, 30, 0x01, 13, 0x00, 31, 0x00, 12, 0x07, 24, 0x00, 2};
    line.QueueReply(Normal(1, 0x04, registers));
    DeviceClock time{};
    EXPECT_EQ(ReadClock(port, 0, time), 0);
    EXPECT_EQ(time, (DeviceClock{45, 30, 13, 31, 12, 24, 2}));
    EXPECT_EQ(line.Written()[0], Bytes({0x01, 0x04, 0x03, 0xE8, 0x00, 0x07, 0x31, 0xB8}));
}

TEST_F(EngineTest, SetClockIsBroadcastAndReadsNothing) {
    const DeviceClock time{0, 30, 12, 31, 12, 24, 2};
    EXPECT_EQ(SetClockBroadcast(port, time), 0);
    ASSERT_EQ(line.Written().size(), 1u);
    EXPECT_EQ(line.Written()[0], WithCrc({0x00, 0x46, 0, 30, 12, 31, 12, 24, 2}));
    EXPECT_EQ(line.ReadCalls(), 0);
}

TEST_F(EngineTest, PollAnswersEchoAndBusy) {
    line.QueueReply(Bytes{0x04, 0x0E, 0x82, 0xB4});
    line.QueueReply(Bytes{0x04, 0x8E, 0x06, 0xD5, 0xA3});
    EXPECT_EQ(Poll(port, 3), 0);
    EXPECT_EQ(Poll(port, 3), 6);
    EXPECT_EQ(line.Written()[0], WithCrc({0x04, 0x0E}));
}

} // namespace
