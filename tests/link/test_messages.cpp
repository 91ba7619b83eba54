// The operator's message for every result code, and the typed error it is worded from.

#include "enginefixture.h"

#include <string>

namespace {

struct MessageCase {
    int code;
    const char* text;
    const char* caption;
    MsgIcon icon;
};

const char* const kWarn = "Предупреждение";
const char* const kErr = "Ошибка";

// Device index 2 on COM1: the texts as the operator must see them.
const MessageCase kMessages[] = {
    {6, "устройство 3 COM1 Идет запись базы данных. Ждите.", kWarn, MsgIcon::Warning},
    {128, "устройство 3 COM1 ошибка приема данных ", kWarn, MsgIcon::Warning},
    {129, "устройство 3 COM1 тайм-аут приема данных", kWarn, MsgIcon::Warning},
    {130, "устройство 3 COM1 не отвечает на запрос", kWarn, MsgIcon::Warning},
    {131, "устройство 3 COM1 ошибка контрольной суммы", kWarn, MsgIcon::Warning},
    {132, " невозможно открыть последовательный порт ", kWarn, MsgIcon::Warning},
    {133, "вероятно, порт не настроен", kErr, MsgIcon::Error},
    {134, "сбой настройки порта при выключении прибора", kErr, MsgIcon::Error},
    {135, "ошибка настройки порта", kErr, MsgIcon::Error},
    {256, "Не выбран COM-порт.", kErr, MsgIcon::Error},
    {1, "устройство 3 COM1 ошибка обмена 01", kWarn, MsgIcon::Warning},
    {2, "устройство 3 COM1 ошибка обмена 02", kWarn, MsgIcon::Warning},
    {7, "устройство 3 COM1 ошибка обмена 07", kWarn, MsgIcon::Warning},
    {10, "устройство 3 COM1 ошибка обмена 0A", kWarn, MsgIcon::Warning},
    {127, "устройство 3 COM1 ошибка обмена 7F", kWarn, MsgIcon::Warning},
    {136, "устройство 3 COM1 ошибка обмена 88", kWarn, MsgIcon::Warning},
    {255, "устройство 3 COM1 ошибка обмена FF", kWarn, MsgIcon::Warning},
    {1000, "устройство 3 COM1 ошибка обмена 3E8", kWarn, MsgIcon::Warning},
};

class Messages : public EngineTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(Messages, TextCaptionAndIcon) {
    const MessageCase& c = GetParam();
    port.PortName = "COM1";
    ReportError(port, 2, c.code);
    ASSERT_EQ(op.Shown().size(), 1u);
    EXPECT_EQ(op.Shown()[0].text, c.text);
    EXPECT_EQ(op.Shown()[0].caption, c.caption);
    EXPECT_EQ(op.Shown()[0].icon, c.icon);
    EXPECT_EQ(op.Shown()[0].buttons, std::vector<MsgButton>{MsgButton::Ok});
    // The same message is available without showing it.
    const OperatorMessage m = MessageFor(port, 2, c.code);
    EXPECT_EQ(m.text, c.text);
    EXPECT_EQ(m.caption, c.caption);
}

INSTANTIATE_TEST_SUITE_P(Codes, Messages, ::testing::ValuesIn(kMessages));

TEST_F(EngineTest, CodeZeroShowsNothing) {
    ReportError(port, 2, 0);
    EXPECT_TRUE(op.Shown().empty());
    EXPECT_TRUE(MessageFor(port, 2, 0).text.empty());
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(EngineTest, DeviceNumberAndPortNameAsGiven) {
    port.PortName = "/dev/ttyUSB0";
    ReportError(port, 30, ResultCode::NoAnswer);
    ReportError(port, 0, ResultCode::Checksum);
    ASSERT_EQ(op.Shown().size(), 2u);
    EXPECT_EQ(op.Shown()[0].text, "устройство 31 /dev/ttyUSB0 не отвечает на запрос");
    EXPECT_EQ(op.Shown()[1].text, "устройство 1 /dev/ttyUSB0 ошибка контрольной суммы");
}

TEST_F(EngineTest, ReportingPortNotOpenClosesThePortFirst) {
    ASSERT_TRUE(port.IsOpen());
    ReportError(port, 0, ResultCode::PortNotOpen);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(op.LastText(), "Не выбран COM-порт.");
    EXPECT_EQ(Run(0, 17), ResultCode::PortNotOpen);
}

TEST_F(EngineTest, OtherCodesLeaveThePortOpen) {
    for (int code : {1, 6, 128, 129, 130, 131, 132, 133, 134, 135})
        ReportError(port, 0, code);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(op.Shown().size(), 10u);
}

TEST_F(EngineTest, PortNotOpenWithoutOperatorStillClosesThePort) {
    port.SetOperator(nullptr);
    ReportError(port, 0, ResultCode::PortNotOpen);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(op.Shown().empty());
}

// The error says what failed and carries the port's own words; the engine alone says nothing:
// its listeners get the words they are given, none without.
TEST_F(EngineTest, TheErrorIsTypedAndTheEngineWordsNothing) {
    const struct {
        int code;
        LinkFault fault;
    } kinds[] = {
        {0, LinkFault::None},          {2, LinkFault::DeviceException}, {6, LinkFault::Busy},
        {129, LinkFault::Incomplete},  {130, LinkFault::NoAnswer},      {134, LinkFault::PortSetup},
        {257, LinkFault::PortFailure}, {258, LinkFault::Stopped},       {1000, LinkFault::Other}};
    for (const auto& k : kinds)
        EXPECT_EQ(port.ErrorOf(1, k.code).fault, k.fault) << k.code;
    line.FailReadsAfter(0);
    EXPECT_EQ(Run(1, 17), ResultCode::PortFailure);
    const LinkError failed = port.ErrorOf(1, ResultCode::PortFailure);
    EXPECT_EQ(failed.device, 1);
    EXPECT_EQ(failed.port, FakeLine::PortName);
    EXPECT_FALSE(failed.gateway);
    EXPECT_EQ(failed.detail, port.PortFailureText());
    EXPECT_FALSE(failed.detail.empty());
    port.SetErrorWords({});
    EXPECT_EQ(port.ErrorText(1, ResultCode::NoAnswer), "");
    UseLinkWords(port);
    EXPECT_EQ(port.ErrorText(1, ResultCode::NoAnswer),
              std::string("устройство 2 ") + FakeLine::PortName + " не отвечает на запрос");
}

} // namespace
