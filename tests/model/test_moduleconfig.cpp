// Module configuration, identifiers, labels and the display strings of the main window.

#include "model/moduleconfig.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Config = std::array<uint8_t, 17>;

struct ModuleListCase {
    const char* name;
    Config config;
    int moduleCount;
    std::array<int, 6> moduleType;
    std::array<int, 6> moduleAddress;
};

class ModuleList : public ::testing::TestWithParam<ModuleListCase> {};

TEST_P(ModuleList, DerivedFromTheConfiguration) {
    const ModuleListCase& c = GetParam();
    ModuleConfig moduleConfig;
    // a previous configuration with six modules must leave nothing behind
    const Config six = {6, 1, 1, 1, 1, 1, 1};
    moduleConfig.PutConfig(six);
    moduleConfig.PutConfig(c.config);
    EXPECT_EQ(moduleConfig.ModuleCount, c.moduleCount);
    EXPECT_EQ(std::memcmp(moduleConfig.Config, c.config.data(), 17), 0);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(moduleConfig.ModuleType[k], c.moduleType[k]) << c.name << " module " << k;
        EXPECT_EQ(moduleConfig.ModuleAddress[k], c.moduleAddress[k]) << c.name << " module " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, ModuleList,
    ::testing::Values(
        ModuleListCase{"TwoModules", {2, 1, 0, 2}, 2, {1, 2, 0, 0, 0, 0}, {0, 2, 0, 0, 0, 0}},
        ModuleListCase{"Empty", {}, 0, {}, {}},
        ModuleListCase{"LastSlot",
                       {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2},
                       1,
                       {2, 0, 0, 0, 0, 0},
                       {15, 0, 0, 0, 0, 0}},
        // more than six modules claimed and coded: the first six in slot order
        ModuleListCase{"NineModules",
                       {9, 1, 2, 1, 2, 1, 2, 1, 2, 1},
                       6,
                       {1, 2, 1, 2, 1, 2},
                       {0, 1, 2, 3, 4, 5}},
        ModuleListCase{
            "CountOf255", {255, 0, 1, 0, 0, 0, 0, 0, 2}, 6, {1, 2, 0, 0, 0, 0}, {1, 7, 0, 0, 0, 0}},
        // the count says three, the codes name one: no stale type for the other two
        ModuleListCase{
            "CountAboveCodes", {3, 0, 0, 0, 0, 0, 2}, 3, {2, 0, 0, 0, 0, 0}, {5, 0, 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(moduleConfig_, CountBelowCodesKeepsTheCount) {
    ModuleConfig moduleConfig;
    const Config config = {1, 2, 0, 1, 0, 1};
    moduleConfig.PutConfig(config);
    EXPECT_EQ(moduleConfig.ModuleCount, 1);
    EXPECT_EQ(moduleConfig.GetInputCount(), 6);
    EXPECT_EQ(moduleConfig.ModuleType[0], 2);
    EXPECT_EQ(moduleConfig.ModuleAddress[0], 0);
    EXPECT_EQ(moduleConfig.GetModuleRow(1).name, "");
}

TEST(moduleConfig_, ConfigReplyTakenOnlyWhenComplete) {
    // address, function 17, byte count 17, the configuration, CRC
    std::vector<uint8_t> reply = {0x05, 0x11, 17, 2, 1, 0, 2};
    reply.resize(3 + 17 + 2, 0);
    ModuleConfig moduleConfig;
    EXPECT_FALSE(moduleConfig.PutConfigReply(68, reply.data(), static_cast<int>(reply.size())));
    EXPECT_EQ(moduleConfig.ModuleCount, 0);
    EXPECT_FALSE(
        moduleConfig.PutConfigReply(17, reply.data(), 19)); // one configuration byte missing
    EXPECT_EQ(moduleConfig.ModuleCount, 0);
    ASSERT_TRUE(moduleConfig.PutConfigReply(17, reply.data(), static_cast<int>(reply.size())));
    EXPECT_EQ(moduleConfig.ModuleCount, 2);
    EXPECT_EQ(moduleConfig.ModuleAddress[1], 2);
    for (int count : {0, 16, 18, 255}) {
        std::vector<uint8_t> other = {0x05, 0x11, static_cast<uint8_t>(count), 6, 1, 1, 1, 1, 1};
        other.resize(3 + 255 + 2, 1);
        EXPECT_FALSE(moduleConfig.PutConfigReply(17, other.data(), static_cast<int>(other.size())));
        EXPECT_EQ(moduleConfig.ModuleCount, 2) << count;
        EXPECT_EQ(moduleConfig.Config[1], 1);
        EXPECT_EQ(moduleConfig.Config[2], 0);
    }
}

TEST(moduleConfig_, DisplayStrings) {
    ModuleConfig moduleConfig;
    const Config config = {2, 1, 0, 2};
    moduleConfig.PutConfig(config);
    moduleConfig.MakeInputIds();
    EXPECT_EQ(moduleConfig.GetModificationCode(), "1020000000000000");
    EXPECT_EQ(moduleConfig.GetDesignation(), "ЛУМ-08-1020000000000000");
    EXPECT_EQ(moduleConfig.GetInputCountText(), "12");
    const ModuleRowText r0 = moduleConfig.GetModuleRow(0);
    EXPECT_EQ(r0.address, "0");
    EXPECT_EQ(r0.code, "1");
    EXPECT_EQ(r0.name, "МЛВ");
    EXPECT_EQ(r0.range, "DI_1_1 - DI_1_6");
    const ModuleRowText r1 = moduleConfig.GetModuleRow(1);
    EXPECT_EQ(r1.address, "2");
    EXPECT_EQ(r1.code, "2");
    EXPECT_EQ(r1.name, "МСЮ");
    EXPECT_EQ(r1.range, "DI_2_1 - DI_2_6");
    EXPECT_EQ(moduleConfig.GetModuleRow(2).address, "");
    EXPECT_EQ(moduleConfig.GetModuleRow(-1).range, "");
}

TEST(moduleConfig_, UnusualCodesInTheDisplayStrings) {
    ModuleConfig moduleConfig;
    const Config config = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12};
    moduleConfig.PutConfig(config);
    // fourteen empty slots, code 12 in slot 14, slot 15 empty
    EXPECT_EQ(moduleConfig.GetModificationCode(), "00000000000000120");
    EXPECT_EQ(moduleConfig.GetModuleRow(0).code, "C");
    EXPECT_EQ(moduleConfig.GetModuleRow(0).address, "14");
    EXPECT_EQ(moduleConfig.GetModuleRow(0).name, "");
}

TEST(moduleConfig_, IdentifiersOfFittedInputs) {
    ModuleConfig moduleConfig;
    const Config config = {3, 1, 1, 1};
    moduleConfig.PutConfig(config);
    moduleConfig.MakeInputIds();
    EXPECT_EQ(moduleConfig.GetInputId(2), "DI_1_3    ");
    EXPECT_EQ(moduleConfig.GetInputId(13), "DI_3_2    ");
    EXPECT_EQ(moduleConfig.GetInputId(17), "DI_3_6    ");
    EXPECT_EQ(moduleConfig.GetInputId(18), "");
    EXPECT_EQ(moduleConfig.InputId[13][10], "");
    EXPECT_EQ(moduleConfig.GetInputId(-1), "");
    EXPECT_EQ(moduleConfig.GetInputId(36), "");
    moduleConfig.ClearInputIds();
    EXPECT_EQ(moduleConfig.GetInputId(2), "");
}

TEST(moduleConfig_, MakeIdVhStopsAtSixModules) {
    ModuleConfig moduleConfig;
    moduleConfig.ModuleCount = 9; // stored directly
    moduleConfig.MakeInputIds();
    EXPECT_EQ(moduleConfig.GetInputId(35), "DI_6_6    ");
}

struct LabelCase {
    const char* name;
    std::string text;
    std::string stored; // the 14 bytes
    std::string read;
};

class Labels : public ::testing::TestWithParam<LabelCase> {};

TEST_P(Labels, PaddedAndTrimmed) {
    const LabelCase& c = GetParam();
    ModuleConfig moduleConfig;
    moduleConfig.PutLabel(c.text, 35);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(moduleConfig.Label[35]), 14), c.stored);
    EXPECT_EQ(moduleConfig.GetLabel(35), c.read);
    EXPECT_EQ(moduleConfig.Label[34][13], 0); // the neighbour is untouched
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Labels,
    ::testing::Values(LabelCase{"FiveLetters", "Pump1", "Pump1         ", "Pump1"},
                      LabelCase{"Cut", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMN", "ABCDEFGHIJKLMN"},
                      LabelCase{"AllBlanks", std::string(14, ' '), std::string(14, ' '), ""},
                      LabelCase{"Empty", "", std::string(14, ' '), ""},
                      LabelCase{"InnerBlanks", " a b  ", " a b          ", " a b"},
                      LabelCase{"Cyrillic1251", "\xCD\xE0\xF1\xEE\xF1",
                                "\xCD\xE0\xF1\xEE\xF1         ", "\xCD\xE0\xF1\xEE\xF1"},
                      LabelCase{"ZeroByteEnds", std::string("ab\0cd", 5),
                                std::string("ab\0cd         ", 14), "ab"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(moduleConfig_, UnloadedLabelsReadEmpty) {
    ModuleConfig moduleConfig;
    EXPECT_EQ(moduleConfig.GetLabel(0), "");
    moduleConfig.PutLabel("x", 36);
    moduleConfig.PutLabel("x", -1);
    EXPECT_EQ(moduleConfig.GetLabel(36), "");
}

// "Дискр.сигн." in Windows-1251
const std::string kDefaultPrefix = "\xC4\xE8\xF1\xEA\xF0.\xF1\xE8\xE3\xED.";

TEST(moduleConfig_, DefaultLabelsAreNumberedFromOne) {
    ModuleConfig moduleConfig;
    for (int input = 0; input < 36; ++input)
        moduleConfig.PutDefaultLabel(input);
    const std::pair<int, const char*> expected[] = {
        {0, "001"}, {8, "009"}, {9, "010"}, {10, "011"}, {35, "036"}};
    for (const auto& [input, digits] : expected)
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(moduleConfig.Label[input]), 14),
                  kDefaultPrefix + digits)
            << input;
    moduleConfig.PutDefaultLabel(36); // ignored
}

TEST(moduleConfig_, LabelBlocksMoveHalves) {
    ModuleConfig moduleConfig;
    for (int input = 0; input < 36; ++input)
        moduleConfig.PutLabel(std::string(14, static_cast<char>('A' + input)), input);
    moduleConfig.InputsToLabelBlock(1);
    for (int i = 0; i < 252; ++i)
        ASSERT_EQ(moduleConfig.LabelBlock[i], 'A' + 18 + i / 14) << i;
    moduleConfig.LabelBlockToInputs(0);
    for (int input = 0; input < 36; ++input)
        EXPECT_EQ(moduleConfig.Label[input][0], 'A' + (input < 18 ? input + 18 : input)) << input;
    std::array<uint8_t, 252> block;
    block.fill('z');
    moduleConfig.PutLabelBlock(block);
    moduleConfig.LabelBlockToInputs(2); // no such half
    moduleConfig.LabelBlockToInputs(-1);
    EXPECT_EQ(moduleConfig.Label[35][13], 'A' + 35);
    moduleConfig.InputsToLabelBlock(2);
    for (uint8_t b : moduleConfig.LabelBlock)
        ASSERT_EQ(b, 0);
}

TEST(moduleConfig_, ConstructionState) {
    ModuleConfig moduleConfig;
    EXPECT_EQ(moduleConfig.NewBusNumber, 0);
    EXPECT_EQ(moduleConfig.ModuleCount, 0);
    for (int input = 0; input < 36; ++input) {
        EXPECT_EQ(moduleConfig.GetInputId(input), "");
        for (uint8_t b : moduleConfig.Label[input])
            ASSERT_EQ(b, 0);
    }
}

TEST(moduleConfig_, ModuleCountAccessorsStayWithinSix) {
    ModuleConfig moduleConfig;
    moduleConfig.PutModuleCount(7);
    EXPECT_EQ(moduleConfig.ModuleCount, 6);
    moduleConfig.PutModuleCount(-2);
    EXPECT_EQ(moduleConfig.GetInputCount(), 0);
    moduleConfig.ModuleCount = 100;
    EXPECT_EQ(moduleConfig.GetModuleCount(), 6);
    EXPECT_EQ(moduleConfig.GetInputCount(), 36);
}

} // namespace
