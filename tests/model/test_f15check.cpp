// The F15 editor's close checks on field texts, including what pasting can put into a field.

#include "model/f15check.h"
#include "model/networkblocks.h"

#include <gtest/gtest.h>

namespace {

F15Fields Example() {
    F15Fields f;
    f.functionCode = "15";
    f.slaveIndex = 4;
    f.inputCount = "8";
    f.startAddress = "1A0";
    f.dataCount = "8";
    for (int k = 0; k < 8; ++k)
        f.signalNumbers[size_t(k)] = std::to_string(k + 1);
    f.acknowledge = true;
    return f;
}

} // namespace

TEST(F15Check, TheExampleBlockIsStoredByteForByte) {
    NetworkBlocks f15;
    for (int i = 1 + 40 + 8; i < 81; ++i)
        f15.Image[i] = 0x77; // block 2's signals 1..32: those past 8 must stay
    const F15Check check = CheckAndStoreF15(Example(), f15, 1);
    EXPECT_FALSE(check.failed);
    const uint8_t expected[] = {15, 8, 5, 0xA0, 0x01, 8, 0, 0x10, 1, 2, 3, 4, 5, 6, 7, 8};
    for (size_t i = 0; i < sizeof expected; ++i)
        EXPECT_EQ(f15.Image[41 + i], expected[i]) << i;
    EXPECT_EQ(f15.Image[41 + 16], 0x77);
    EXPECT_EQ(f15.Image[80], 0x77);
    EXPECT_EQ(f15.Image[1], 0); // block 1 untouched
}

struct Case {
    const char* name;
    void (*spoil)(F15Fields&);
    F15Check::Marker marker;
    const char* message;
};

class F15Failures : public ::testing::TestWithParam<Case> {};

TEST_P(F15Failures, EndWithTheirMarkOrMessage) {
    F15Fields fields = Example();
    GetParam().spoil(fields);
    NetworkBlocks f15;
    const F15Check check = CheckAndStoreF15(fields, f15, 0);
    EXPECT_TRUE(check.failed);
    EXPECT_EQ(check.marker, GetParam().marker);
    EXPECT_EQ(check.message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, F15Failures,
    ::testing::Values(
        Case{"kodF3", [](F15Fields& f) { f.functionCode = "3"; }, F15Check::Marker::FunctionCode,
             ""},
        Case{"kodFPasted", [](F15Fields& f) { f.functionCode = "1 5"; },
             F15Check::Marker::FunctionCode, ""},
        Case{"noSlave", [](F15Fields& f) { f.slaveIndex = -1; }, F15Check::Marker::None,
             "адрес Slave в локальной сети не задан"},
        Case{"kolVhEmpty", [](F15Fields& f) { f.inputCount = ""; }, F15Check::Marker::InputCount,
             ""},
        Case{"kolVhZero", [](F15Fields& f) { f.inputCount = "0"; }, F15Check::Marker::InputCount,
             ""},
        Case{"kolVh33", [](F15Fields& f) { f.inputCount = "33"; }, F15Check::Marker::None,
             "ошибка в количестве входов блока"},
        Case{"addressPasted", [](F15Fields& f) { f.startAddress = "1G"; },
             F15Check::Marker::StartAddress, ""},
        Case{"addressTooLong", [](F15Fields& f) { f.startAddress = "10000"; },
             F15Check::Marker::StartAddress, ""},
        Case{"count16", [](F15Fields& f) { f.dataCount = "16"; }, F15Check::Marker::None,
             "ошибка в количестве данных в запросе"},
        Case{"signal37", [](F15Fields& f) { f.signalNumbers[2] = "37"; }, F15Check::Marker::None,
             "ошибка в адресе дискретного сигнала 3"},
        Case{"signalPasted", [](F15Fields& f) { f.signalNumbers[0] = "x"; }, F15Check::Marker::None,
             "ошибка в адресе дискретного сигнала 1"},
        // A wrong function code stays marked while a later check fails with a message.
        Case{"kodFThenCount",
             [](F15Fields& f) {
                 f.functionCode = "3";
                 f.dataCount = "7";
             },
             F15Check::Marker::FunctionCode, "ошибка в количестве данных в запросе"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(F15Check, ValuesBeforeTheFailingSignalAreStored) {
    F15Fields fields = Example();
    fields.signalNumbers[2] = "37";
    NetworkBlocks f15;
    CheckAndStoreF15(fields, f15, 0);
    EXPECT_EQ(f15.GetSignal(0, 0), 1);
    EXPECT_EQ(f15.GetSignal(0, 1), 2);
    EXPECT_EQ(f15.GetSignal(0, 2), 0);
    EXPECT_EQ(f15.GetAcknowledge(0), 0); // the switches come after the signals
}

TEST(F15Check, HexAddressReading) {
    int v = -1;
    EXPECT_TRUE(F15Hex("", v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(F15Hex(" ffFF ", v));
    EXPECT_EQ(v, 0xFFFF);
    EXPECT_FALSE(F15Hex("-1", v));
    EXPECT_EQ(F15Decimal("+7"), 7);
    EXPECT_EQ(F15Decimal(""), -1);
    EXPECT_EQ(F15Decimal("99999999999999999999999"), -1);
}
