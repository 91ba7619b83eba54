// The frame decoder over every function and block the program sends, their replies, and
// frames that come broken. Expected bytes are written from the protocol with the tests' own CRC.

#include "link/framedecoder.h"
#include "support/testframes.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;
using TestFrame::Exception;
using TestFrame::Normal;
using TestFrame::Truncated;
using TestFrame::WithCrc;

Bytes Append(Bytes head, int count, uint8_t fill) {
    head.insert(head.end(), count, fill);
    return head;
}

const Bytes kConfigRequest = {0x01, 0x11, 0xC0, 0x2C};
const Bytes kConfigReply = Normal(1, 0x11, {2, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
const Bytes kReadBlock3 = WithCrc({1, 0x44, 3});
const Bytes kReadBlock17 = WithCrc({1, 0x44, 17});
const Bytes kReadBlock9 = WithCrc({1, 0x44, 9});
const Bytes kWriteBlock17 = WithCrc(Append({1, 0x45, 17}, 81, 0));
const Bytes kWriteBlock2 = WithCrc(Append({1, 0x45, 2}, 18, 0x11));
const Bytes kWriteBlock99 = WithCrc({1, 0x45, 99, 4});
const Bytes kPoll = WithCrc({1, 0x0E});
const Bytes kClockRequest = WithCrc({1, 0x04, 0x03, 0xE8, 0x00, 0x07});

struct Case {
    const char* name;
    Bytes frame;
    FrameDirection direction;
    Bytes request;
    int function;
    const char* functionName;
    const char* meaning;
    CrcVerdict crc;
};

constexpr auto Rq = FrameDirection::Request;
constexpr auto Rp = FrameDirection::Reply;
constexpr auto Good = CrcVerdict::Good;
constexpr auto Bad = CrcVerdict::Bad;
constexpr auto None = CrcVerdict::Missing;

Bytes Spoil(Bytes frame) {
    frame.back() ^= 0x01;
    return frame;
}

const Case kCases[] = {
    {"config", kConfigRequest, Rq, {}, 17, "конфигурация", "чтение конфигурации", Good},
    {"configBadCrc",
     {0x01, 0x11, 0xC0, 0x2D},
     Rq,
     {},
     17,
     "конфигурация",
     "чтение конфигурации",
     Bad},
    {"readModule", kReadBlock3, Rq, {}, 68, "чтение блока", "чтение блока 3 (модуль 3)", Good},
    {"readNetwork",
     kReadBlock17,
     Rq,
     {},
     68,
     "чтение блока",
     "чтение блока 17 (сетевые блоки)",
     Good},
    {"readUnknown",
     kReadBlock9,
     Rq,
     {},
     68,
     "чтение блока",
     "чтение блока 9 (неизвестный блок)",
     Good},
    {"writeNetwork",
     kWriteBlock17,
     Rq,
     {},
     69,
     "запись блока",
     "запись блока 17 (сетевые блоки), 82 байта",
     Good},
    {"writeModule",
     kWriteBlock2,
     Rq,
     {},
     69,
     "запись блока",
     "запись блока 2 (модуль 2), 19 байт",
     Good},
    {"busNumber", kWriteBlock99, Rq, {}, 69, "запись блока", "смена номера 1 → 5", Good},
    {"poll", kPoll, Rq, {}, 14, "опрос записи", "опрос записи", Good},
    {"clockRead",
     kClockRequest,
     Rq,
     {},
     4,
     "чтение входных регистров",
     "чтение времени прибора",
     Good},
    {"registers",
     WithCrc({1, 4, 0, 0, 0, 2}),
     Rq,
     {},
     4,
     "чтение входных регистров",
     "чтение входных регистров 0, 2 шт.",
     Good},
    {"clockSet",
     WithCrc({0, 0x46, 5, 30, 12, 7, 12, 26, 1}),
     Rq,
     {},
     70,
     "установка времени",
     "широковещательная установка времени 12:30:05 07.12.26",
     Good},
    {"clockSetEmpty",
     WithCrc({3, 0x46}),
     Rq,
     {},
     70,
     "установка времени",
     "установка времени, 0 байт данных",
     Good},
    {"otherAllowed",
     WithCrc({1, 3, 0, 0, 0, 1}),
     Rq,
     {},
     3,
     "чтение регистров",
     "чтение регистров, 4 байта данных",
     Good},
    {"unknownFunction",
     WithCrc({1, 16}),
     Rq,
     {},
     16,
     "неизвестная функция",
     "неизвестная функция 16",
     Good},
    {"shortRequest", {1, 0x11}, Rq, {}, 17, "конфигурация", "обрывок запроса: 2 байта", None},
    {"empty", {}, Rq, {}, -1, "", "пустой кадр", None},

    {"configReply", kConfigReply, Rp, kConfigRequest, 17, "конфигурация",
     "конфигурация: модулей 2 — МЛВ (адрес 0), МСЮ (адрес 3)", Good},
    {"configReplyBadCrc", Spoil(kConfigReply), Rp, kConfigRequest, 17, "конфигурация",
     "конфигурация: модулей 2 — МЛВ (адрес 0), МСЮ (адрес 3)", Bad},
    {"configTooShort", Normal(1, 0x11, {0, 0}), Rp, kConfigRequest, 17, "конфигурация",
     "конфигурация: 2 байта вместо 17", Good},
    {"moduleReply", Normal(1, 0x44, Append({3}, 18, 0)), Rp, kReadBlock3, 68, "чтение блока",
     "блок 3 (модуль 3), 19 байт", Good},
    {"networkReply", Normal(1, 0x44, Append({17}, 81, 0)), Rp, kReadBlock17, 68, "чтение блока",
     "блок 17 (сетевые блоки), 82 байта", Good},
    {"writeAccepted", Normal(1, 0x45, {17}), Rp, kWriteBlock17, 69, "запись блока",
     "запись блока 17 принята", Good},
    {"busNumberAccepted", Normal(1, 0x45, {99}), Rp, kWriteBlock99, 69, "запись блока",
     "смена номера принята", Good},
    {"pollStored", kPoll, Rp, kPoll, 14, "опрос записи", "опрос записи: блок сохранён", Good},
    {"pollBusy", Exception(1, 0x0E, 6), Rp, kPoll, 0x8E, "опрос записи, исключение",
     "опрос записи: занят (исключение 6)", Good},
    {"pollBusyAsRead",
     {1, 0x8E, 6},
     Rp,
     kPoll,
     0x8E,
     "опрос записи, исключение",
     "опрос записи: занят (исключение 6)",
     None},
    {"pollBusyNoRequest",
     Exception(1, 0x0E, 6),
     Rp,
     {},
     0x8E,
     "опрос записи, исключение",
     "опрос записи: занят (исключение 6)",
     Good},
    {"badBlock", Exception(1, 0x44, 2), Rp, kReadBlock9, 0xC4, "чтение блока, исключение",
     "чтение блока 9 (неизвестный блок): недопустимый адрес (исключение 2)", Good},
    {"clockReply", Normal(1, 4, {0, 5, 0, 30, 0, 12, 0, 7, 0, 12, 0, 26, 0, 1}), Rp, kClockRequest,
     4, "чтение входных регистров", "время прибора 12:30:05 07.12.26", Good},
    {"shortBody", Truncated(kConfigReply, 10), Rp, kConfigRequest, 17, "конфигурация",
     "обрывок ответа: 10 из 22 байт", None},
    {"shortHeader",
     {1, 0x11},
     Rp,
     kConfigRequest,
     17,
     "конфигурация",
     "обрывок ответа: 2 байта",
     None},
    {"foreign", Normal(1, 3, {0, 0}), Rp, kConfigRequest, 3, "чтение регистров",
     "чужой ответ: функция 3 вместо 17", None},
};

class Decoder : public ::testing::TestWithParam<Case> {};

TEST_P(Decoder, Frame) {
    const Case& c = GetParam();
    const DecodedFrame d = DecodeFrame(c.frame, c.direction, c.request);
    EXPECT_EQ(d.address, c.frame.empty() ? -1 : c.frame[0]);
    EXPECT_EQ(d.function, c.function);
    EXPECT_EQ(d.functionName, c.functionName);
    EXPECT_EQ(d.meaning, c.meaning);
    EXPECT_EQ(d.crc, c.crc);
}

INSTANTIATE_TEST_SUITE_P(All, Decoder, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecoderWords, ByteCountAgreesWithTheNumber) {
    const std::pair<int, const char*> cases[] = {
        {0, "0 байт"},   {1, "1 байт"},    {2, "2 байта"},   {5, "5 байт"},
        {12, "12 байт"}, {22, "22 байта"}, {82, "82 байта"}, {114, "114 байт"}};
    for (const auto& [n, text] : cases)
        EXPECT_EQ(ByteCount(n), text);
    EXPECT_STREQ(CrcText(CrcVerdict::Bad), "неверна");
}

} // namespace
