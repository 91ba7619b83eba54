// Malformed replies of every kind: each gives a result code, and nothing is read or written
// beyond the reply buffer (a heap buffer of exactly 260 bytes, so that the address sanitizer
// sees any overrun).

#include "enginefixture.h"

#include <memory>
#include <random>

namespace {

struct Request {
    int function;
    Bytes data;
};

// Every request the program sends, and a few the engine accepts besides.
const Request kRequests[] = {
    {17, {}},
    {68, {0x01}},
    {68, {0x11}},
    {69, {0x63, 0x00}},
    {14, {}},
    {4, {0x03, 0xE8, 0x00, 0x07}},
    {3, {0x00, 0x00, 0x00, 0x7D}},
    {5, {0x00, 0xAC, 0xFF, 0x00}},
    {15, {0x00, 0x13, 0x00, 0x0A, 0x02, 0xCD, 0x01}},
};

class BadInput : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        buffer.reset(new uint8_t[ExchangeEngine::ReplyBufferSize]);
    }

    int RunInto(const Request& r) {
        return port.Exchange(0, r.function, static_cast<int>(r.data.size()),
                             r.data.empty() ? nullptr : r.data.data(), buffer.get());
    }

    // A code the engine may give for a reply; 0 only with a complete reply whose CRC holds.
    void ExpectSound(int code, const Request& r) {
        EXPECT_GE(code, 0);
        EXPECT_LE(code, 255);
        if (code == 0) {
            ASSERT_GE(port.ReplyLength, 4);
            ASSERT_LE(port.ReplyLength, ExchangeEngine::ReplyBufferSize);
            const Bytes got(buffer.get(), buffer.get() + port.ReplyLength);
            // The request's function, or its exception form with code 0, which is read on
            // like a normal reply.
            EXPECT_TRUE(got[1] == r.function || (got[1] == (r.function | 0x80) && got[2] == 0));
            const Bytes body(got.begin(), got.end() - 2);
            EXPECT_EQ(TestFrame::WithCrc(body), got);
        }
    }

    std::unique_ptr<uint8_t[]> buffer;
};

// One malformed reply to a request, chosen by the generator.
Bytes MakeReply(std::mt19937& rng, const Bytes& request) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto noise = [&](int n) {
        Bytes b(n);
        for (auto& x : b)
            x = static_cast<uint8_t>(rng());
        return b;
    };
    const uint8_t address = pick(4) == 0 ? static_cast<uint8_t>(rng()) : request[0];
    uint8_t function = request[1];
    switch (pick(4)) {
    case 0:
        function = static_cast<uint8_t>(rng());
        break;
    case 1:
        function |= 0x80;
        break;
    default:
        break;
    }
    switch (pick(5)) {
    case 0:
        return noise(pick(300));
    case 1: { // a well-formed frame of any byte count, maybe cut short
        Bytes f = TestFrame::Normal(address, function, noise(pick(256)));
        return pick(2) ? f : TestFrame::Truncated(f, pick(static_cast<int>(f.size())));
    }
    case 2: { // a header promising more than follows, with noise after
        Bytes f = {address, function, static_cast<uint8_t>(rng())};
        const Bytes tail = noise(pick(300));
        f.insert(f.end(), tail.begin(), tail.end());
        return f;
    }
    case 3: { // an echo with a byte changed
        Bytes f = request;
        f[pick(static_cast<int>(f.size()))] ^= static_cast<uint8_t>(1 + pick(255));
        return f;
    }
    default:
        return TestFrame::Exception(address, request[1], static_cast<uint8_t>(rng()));
    }
}

TEST_F(BadInput, RandomRepliesToEveryRequestGiveACode) {
    std::mt19937 rng(20240611);
    for (const Request& r : kRequests) {
        line.SetResponder([&](const Bytes& request) { return MakeReply(rng, request); });
        for (int i = 0; i < 200; ++i)
            ExpectSound(RunInto(r), r);
    }
}

TEST_F(BadInput, EveryByteCountWholeAndCut) {
    const Request r{68, {0x01}};
    for (int count = 0; count < 256; ++count) {
        const Bytes whole = TestFrame::Normal(1, 68, Bytes(count, static_cast<uint8_t>(count)));
        // Noise after the frame: plenty of bytes to overrun the buffer with, were it asked for.
        Bytes withNoise = whole;
        withNoise.insert(withNoise.end(), 300, 0xC3);
        line.QueueReply(withNoise);
        ASSERT_EQ(RunInto(r), 0) << count;
        EXPECT_EQ(port.ReplyLength, count + 5);
        EXPECT_EQ(Bytes(buffer.get(), buffer.get() + count + 5), whole);
        // Cut at a few places: a failure every time, never success.
        for (int cut : {1, 2, 3, 4, count + 3, count + 4}) {
            if (cut >= static_cast<int>(whole.size()))
                continue;
            line.SetResponder([&](const Bytes&) { return TestFrame::Truncated(whole, cut); });
            const int code = RunInto(r);
            EXPECT_TRUE(code == ResultCode::Timeout || code == ResultCode::NoAnswer)
                << count << " cut " << cut << " gave " << code;
            line.SetResponder(nullptr);
        }
    }
}

TEST_F(BadInput, LongNoiseAfterAFullReplyStaysUnread) {
    const Request r{17, {}};
    Bytes reply = TestFrame::Normal(1, 17, Bytes(17, 0));
    const Bytes noise(2000, 0xFF);
    reply.insert(reply.end(), noise.begin(), noise.end());
    line.QueueReply(reply);
    EXPECT_EQ(RunInto(r), 0);
    EXPECT_EQ(line.Pending(), 2000);
}

TEST_F(BadInput, NoiseBeforeTheRequestIsPurged) {
    line.Inject(Bytes(500, 0x55));
    line.QueueReply(TestFrame::Normal(1, 17, Bytes(17, 0)));
    EXPECT_EQ(RunInto({17, {}}), 0);
}

} // namespace
