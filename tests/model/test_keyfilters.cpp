// Key filters of decimal, hexadecimal and password fields, and the range check.

#include "model/inputprogram.h"
#include "model/keyfilters.h"
#include "model/moduleconfig.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct KeyCase {
    const char* name;
    int key; // Windows virtual-key code
    bool ctrl;
    std::string text;
    int dec;
    int hex;
};

class KeyFilters : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyFilters, DecimalAndHex) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(KeyDec(c.key, c.ctrl, c.text), c.dec);
    EXPECT_EQ(KeyHex(c.key, c.ctrl, c.text), c.hex);
    EXPECT_EQ(ModuleConfig::KeyDec(c.key, c.ctrl, c.text), c.dec);
    EXPECT_EQ(ModuleConfig::KeyHex(c.key, c.ctrl, c.text), c.hex);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyFilters,
    ::testing::Values(
        KeyCase{"Digit0", 0x30, false, "", 0, 0}, KeyCase{"Digit9", 0x39, false, "1", 0, 0},
        KeyCase{"Numpad0", 0x60, false, "", 0, 0}, KeyCase{"Numpad9", 0x69, false, "", 0, 0},
        KeyCase{"Backspace", 0x08, false, "", 0, 0}, KeyCase{"Delete", 0x2E, false, "", 0, 0},
        KeyCase{"Shift", 0x10, false, "", 0, 0}, KeyCase{"Ctrl", 0x11, true, "", 0, 0},
        KeyCase{"Left", 0x25, false, "", 0, 0}, KeyCase{"Right", 0x27, false, "", 0, 0},
        KeyCase{"NumLock", 0x90, false, "", 0, 0}, KeyCase{"CapsLock", 0x14, false, "", 0, 0},
        KeyCase{"Escape", 0x1B, false, "", 0, 0}, KeyCase{"LetterA", 0x41, false, "", 1, 0},
        KeyCase{"LetterAWithCtrl", 0x41, true, "", 0, 0}, KeyCase{"LetterF", 0x46, false, "", 1, 0},
        KeyCase{"LetterG", 0x47, false, "", 1, 1}, KeyCase{"LetterGWithCtrl", 0x47, true, "", 0, 0},
        KeyCase{"LetterZWithCtrl", 0x5A, true, "", 0, 0}, KeyCase{"Space", 0x20, false, "", 1, 1},
        KeyCase{"SpaceWithCtrl", 0x20, true, "", 1, 1}, KeyCase{"Up", 0x26, false, "", 1, 1},
        KeyCase{"Tab", 0x09, false, "", 1, 1}, KeyCase{"Minus", 0xBD, false, "", 1, 1},
        KeyCase{"NumpadBeforeDigits", 0x5F, false, "", 1, 1},
        KeyCase{"AfterNumpad", 0x6A, false, "", 1, 1},
        KeyCase{"EnterOnEmpty", 0x0D, false, "", 1, 1},
        KeyCase{"EnterOnBlank", 0x0D, false, " ", 13, 1},
        KeyCase{"EnterOnText", 0x0D, false, "12", 13, 13},
        KeyCase{"EnterWithCtrl", 0x0D, true, "1A", 13, 13}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyFilters, PasswordField) {
    const std::pair<int, int> cases[] = {{0x30, 0},  {0x65, 0}, {0x08, 0}, {0x2E, 0}, {0x10, 0},
                                         {0x11, 0},  {0x25, 0}, {0x27, 0}, {0x90, 0}, {0x14, 0},
                                         {0x0D, 13}, {0x41, 1}, {0x20, 1}, {0x1B, 1}};
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(KeyPassword(key), expected) << key;
}

struct CheckCase {
    std::string text;
    int kind;
    int expected;
};

class Check : public ::testing::TestWithParam<CheckCase> {};

TEST_P(Check, RangeAndEmptiness) {
    const CheckCase& c = GetParam();
    EXPECT_EQ(CheckValue(c.text, c.kind), c.expected) << "'" << c.text << "' kind " << c.kind;
    EXPECT_EQ(InputProgram::CheckValue(c.text, c.kind), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Check,
    ::testing::Values(CheckCase{"", 6, 1}, CheckCase{"0", 6, 0}, CheckCase{"60", 6, 0},
                      CheckCase{"61", 6, 1}, CheckCase{"-1", 6, 1}, CheckCase{"05", 6, 0},
                      CheckCase{"abc", 6, 1}, CheckCase{"5a", 6, 1}, CheckCase{" ", 6, 1},
                      CheckCase{"-", 6, 1}, CheckCase{"99999999999999999999999", 6, 1},
                      CheckCase{"", 0, 1}, CheckCase{"61", 0, 0}, CheckCase{"abc", 0, 0},
                      CheckCase{" ", 0, 0}, CheckCase{"", 3, 1}, CheckCase{"x", 3, 0}));

} // namespace
