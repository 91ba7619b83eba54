// Faults on demand: parsing their descriptions, and what each does to the device's answers.

#include "emu/crc16.h"
#include "emu/device.h"
#include "emu/faults.h"
#include "emutestbytes.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

const Bytes kConfigRequest = {0x01, 0x11, 0xC0, 0x2C};
const Bytes kConfigReply =
    Join({{0x01, 0x11, 0x11, 0x02, 0x01, 0x00, 0x00, 0x02}, Repeat({0x00}, 12), {0xD2, 0x7E}});
const Bytes kReadBlock1 = {0x01, 0x44, 0x01, 0xD2, 0xC0};
const Bytes kWriteBlock1 = Join({{0x01, 0x45, 0x01}, Count(1, 18), {0x56, 0xC6}});

emu::Fault Parse(const std::string& text, uint64_t seen = 0) {
    std::string error;
    auto f = emu::ParseFault(text, seen, &error);
    EXPECT_TRUE(f.has_value()) << text << ": " << error;
    return f.value_or(emu::Fault{});
}

struct FaultText {
    const char* text;
    const char* canonical; // "" when the text must be refused
};

const FaultText kTexts[] = {
    {"silent", "silent from 1"},
    {"hangup from 4", "hangup from 4"},
    {"drop from 2 to 2", "drop from 2 to 2"},
    {"exception 7 fn 69", "exception 7 from 1 fn 69"},
    {"exception 2 from 3 to 5 fn 68,69", "exception 2 from 3 to 5 fn 68,69"},
    {"wrong-function", "wrong-function 0 from 1"},
    {"wrong-function 3", "wrong-function 3 from 1"},
    {"crc", "crc 3 from 1"},
    {"bad-crc 2", "crc 2 from 1"},
    {"crc-rate 0.25 from 2", "crc-rate 0.25 from 2"},
    {"partial 3 to 9", "partial 3 from 1 to 9"},
    {"noise 4", "noise 4 from 1"},
    {"silent from +2 to +3", "silent from 12 to 13"}, // ten requests seen so far
    {"", ""},
    {"deaf", ""},
    {"silent 3", ""},
    {"drop 1", ""},
    {"exception", ""},
    {"exception 0", ""},
    {"exception 256", ""},
    {"crc-rate 1.5", ""},
    {"crc-rate x", ""},
    {"partial -1", ""},
    {"noise 0", ""},
    {"silent from 5 to 4", ""},
    {"silent from 0", ""},
    {"silent from", ""},
    {"silent fn 300", ""},
    {"silent until 5", ""},
};

class FaultParsing : public ::testing::TestWithParam<FaultText> {};

TEST_P(FaultParsing, ReadsOrRefusesTheDescription) {
    const FaultText& t = GetParam();
    std::string error;
    const auto fault = emu::ParseFault(t.text, 10, &error);
    if (std::string(t.canonical).empty()) {
        EXPECT_FALSE(fault.has_value()) << t.text;
        EXPECT_FALSE(error.empty()) << t.text;
    } else {
        ASSERT_TRUE(fault.has_value()) << t.text << ": " << error;
        EXPECT_EQ(emu::FaultToString(*fault), t.canonical);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, FaultParsing, ::testing::ValuesIn(kTexts));

struct Damage {
    const char* fault;
    Bytes request;
    Bytes reply;
};

const Damage kDamages[] = {
    {"silent", kConfigRequest, {}},
    {"hangup", kConfigRequest, {}},
    {"partial 3", kConfigRequest, {0x01, 0x11, 0x11}},
    {"partial 0", kConfigRequest, {}},
    {"partial 50", kConfigRequest, kConfigReply},
    {"crc 1", kConfigRequest,
     Join({{0x01, 0x11, 0x11, 0x02, 0x01, 0x00, 0x00, 0x02}, Repeat({0x00}, 12), {0x2D, 0x7E}})},
    {"crc 2", kConfigRequest,
     Join({{0x01, 0x11, 0x11, 0x02, 0x01, 0x00, 0x00, 0x02}, Repeat({0x00}, 12), {0xD2, 0x81}})},
    {"crc", kConfigRequest,
     Join({{0x01, 0x11, 0x11, 0x02, 0x01, 0x00, 0x00, 0x02}, Repeat({0x00}, 12), {0x2D, 0x81}})},
    {"wrong-function", kConfigRequest,
     Join({{0x01, 0x12, 0x11, 0x02, 0x01, 0x00, 0x00, 0x02}, Repeat({0x00}, 12), {0x96, 0x3A}})},
    {"exception 7", kConfigRequest, {0x01, 0x91, 0x07, 0x0C, 0x52}},
    {"exception 7 fn 68", kConfigRequest, kConfigReply},
    {"exception 7 fn 68", kReadBlock1, {0x01, 0xC4, 0x07, 0x33, 0x02}},
    {"silent from 2", kConfigRequest, kConfigReply},
};

class FaultDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(FaultDamage, SpoilsTheAnswer) {
    const Damage& d = GetParam();
    emu::Device device;
    device.SetFaults({Parse(d.fault)});
    EXPECT_EQ(Hex(device.Handle(d.request)), Hex(d.reply)) << d.fault;
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultDamage, ::testing::ValuesIn(kDamages));

TEST(FaultSchedule, FailsOnlyWithinItsRequestWindow) {
    emu::Device device;
    device.SetFaults({Parse("silent from 3 to 4")});
    std::vector<bool> answered;
    for (int i = 0; i < 6; ++i)
        answered.push_back(!device.Handle(kConfigRequest).empty());
    EXPECT_EQ(answered, (std::vector<bool>{true, true, false, false, true, true}));
    EXPECT_EQ(device.RequestCount(), 6u); // unanswered requests count all the same
}

TEST(FaultSchedule, RelativeWindowStartsFromTheRequestsSeen) {
    emu::Device device;
    for (int i = 0; i < 5; ++i)
        device.Handle(kConfigRequest);
    device.SetFaults({Parse("partial 2 from +2 to +2", device.RequestCount())});
    EXPECT_EQ(device.Handle(kConfigRequest).size(), 22u);             // request 6
    EXPECT_EQ(Hex(device.Handle(kConfigRequest)), Hex({0x01, 0x11})); // request 7
    EXPECT_EQ(device.Handle(kConfigRequest).size(), 22u);
}

TEST(FaultSchedule, SilentDeviceDoesNotActOnAWrite) {
    emu::Device device;
    device.SetFaults({Parse("silent fn 69")});
    EXPECT_TRUE(device.Handle(kWriteBlock1).empty());
    EXPECT_EQ(device.GetModuleRecords(1)[0], 0x20);
    EXPECT_EQ(device.BusyCount(), 0);
    EXPECT_EQ(device.Handle(kConfigRequest).size(), 22u); // other functions answered
}

TEST(FaultSchedule, RefusedWriteLeavesMemoryAlone) {
    emu::Device device;
    device.SetFaults({Parse("exception 2 fn 69")});
    EXPECT_EQ(Hex(device.Handle(kWriteBlock1)), Hex({0x01, 0xC5, 0x02, 0xF2, 0x91}));
    EXPECT_EQ(device.GetModuleRecords(1)[0], 0x20);
    device.ClearFaults();
    EXPECT_EQ(Hex(device.Handle(kWriteBlock1)), Hex({0x01, 0x45, 0x01, 0x01, 0xD0, 0x5D}));
    EXPECT_EQ(device.GetModuleRecords(1)[0], 0x01);
}

TEST(FaultSchedule, DamagedAnswerStillMeansTheWriteWasDone) {
    emu::Device device;
    device.SetFaults({Parse("crc fn 69")});
    const Bytes reply = device.Handle(kWriteBlock1);
    EXPECT_EQ(Hex(reply), Hex({0x01, 0x45, 0x01, 0x01, 0x2F, 0xA2}));
    EXPECT_EQ(device.GetModuleRecords(1)[17], 18);
}

TEST(FaultSchedule, LongBusyAndHangupAreReported) {
    emu::Device device;
    device.SetBusyAfterWrite(1000);
    device.Handle(kWriteBlock1);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(device.Handle({0x01, 0x0E, 0x81, 0xE4}).size(), 5u) << "poll " << i;
    EXPECT_EQ(device.Handle({0x01, 0x0E, 0x81, 0xE4}).size(), 4u);

    device.SetFaults({Parse("hangup from +1")});
    EXPECT_FALSE(device.TakeHangup());
    EXPECT_TRUE(device.Handle(kConfigRequest).empty());
    EXPECT_TRUE(device.TakeHangup());
    EXPECT_FALSE(device.TakeHangup()); // reported once
}

TEST(FaultSchedule, NoiseGoesBeforeAWholeAnswer) {
    emu::Device device;
    device.SetFaults({Parse("noise 5")});
    const Bytes reply = device.Handle(kConfigRequest);
    ASSERT_EQ(reply.size(), 27u);
    EXPECT_EQ(Hex(Bytes(reply.begin() + 5, reply.end())), Hex(kConfigReply));
}

TEST(FaultSchedule, CrcRateFollowsItsSeed) {
    auto run = [](uint64_t seed) {
        emu::Device device;
        device.SetFaults({Parse("crc-rate 0.3")});
        device.SeedFaults(seed);
        std::vector<bool> bad;
        for (int i = 0; i < 400; ++i) {
            const Bytes r = device.Handle(kConfigRequest);
            EXPECT_EQ(r.size(), 22u);
            bad.push_back(!emu::CrcChecks(r.data(), r.size()));
        }
        return bad;
    };
    const auto a = run(7), b = run(7), c = run(8);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    const auto spoilt = std::count(a.begin(), a.end(), true);
    EXPECT_GT(spoilt, 80); // about 120 of 400
    EXPECT_LT(spoilt, 160);
}

TEST(FaultSchedule, SeveralFaultsTogether) {
    emu::Device device;
    device.SetFaults({Parse("partial 4 fn 17"), Parse("exception 6 fn 68")});
    EXPECT_EQ(Hex(device.Handle(kConfigRequest)), Hex({0x01, 0x11, 0x11, 0x02}));
    EXPECT_EQ(device.Handle(kReadBlock1).size(), 5u);
    EXPECT_EQ(device.Faults().size(), 2u);
}

} // namespace
