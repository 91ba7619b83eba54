// The password file's two bytes and the rules of the password dialog.

#include "model/passwordfile.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::optional<std::vector<uint8_t>>;

TEST(PasswordFile, ExpectedText) {
    const std::pair<Bytes, std::string> cases[] = {
        {std::nullopt, "9461"},
        {std::vector<uint8_t>{}, "9461"},
        {std::vector<uint8_t>{0x39}, "9461"},
        {std::vector<uint8_t>{0x39, 0x30}, "12345"},
        {std::vector<uint8_t>{0x00, 0x00}, "0"},
        {std::vector<uint8_t>{0x07, 0x00}, "7"},
        {std::vector<uint8_t>{0x00, 0x01}, "256"},
        {std::vector<uint8_t>{0xFF, 0xFF, 0x12, 0x34}, "65535"},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(ExpectedPassword(bytes), expected);
}

struct CheckCase {
    std::string entry;
    std::string expected;
    int result;
    int level;
};

TEST(PasswordFile, StartUpCheck) {
    const CheckCase cases[] = {
        {"9461", "9461", 6, 1},   // no file: built-in password
        {"", "9461", 6, 0},       // empty entry: basic level
        {"1234", "9461", 2, 0},   // anything else refused
        {"12345", "12345", 6, 1}, // the stored number
        {"9461", "12345", 2, 0},  // built-in refused while the file is there
        {"", "12345", 6, 0},      {"012345", "12345", 2, 0}, // leading zero refused
        {"0", "0", 6, 1},         {"00", "0", 2, 0},
    };
    for (const CheckCase& c : cases) {
        const PasswordCheck r = CheckPassword(c.entry, c.expected);
        EXPECT_EQ(r.result, c.result) << "'" << c.entry << "' vs " << c.expected;
        EXPECT_EQ(r.level, c.level) << "'" << c.entry << "' vs " << c.expected;
    }
}

TEST(PasswordFile, NewPasswordAccepted) {
    const std::pair<std::string, std::array<uint8_t, 2>> cases[] = {
        {"0", {0x00, 0x00}},     {"1", {0x01, 0x00}},     {"258", {0x02, 0x01}},
        {"12345", {0x39, 0x30}}, {"65535", {0xFF, 0xFF}}, {"00042", {0x2A, 0x00}},
    };
    for (const auto& [text, bytes] : cases) {
        const NewPassword p = ParseNewPassword(text);
        ASSERT_TRUE(p.ok) << text;
        EXPECT_TRUE(p.messages.empty());
        EXPECT_EQ(PasswordBytes(p.value), bytes) << text;
        // and read back as the text the dialog will compare
        const std::vector<uint8_t> stored(bytes.begin(), bytes.end());
        EXPECT_EQ(ExpectedPassword(stored), std::to_string(std::stoi(text)));
    }
}

TEST(PasswordFile, NewPasswordRefused) {
    const std::vector<std::string> tooBig = {"Введите число не более 65535", "Пароль не заменен"};
    const std::vector<std::string> careful = {"Будьте внимательнее при вводе", "Пароль не заменен"};
    const std::pair<std::string, const std::vector<std::string>*> cases[] = {
        {"", &careful},
        {"65536", &tooBig},
        {"99999", &tooBig},
        {"12a", &tooBig},
        {"-1", &tooBig},
        {"+5", &tooBig},
        {"123456789012345678901234567890", &tooBig},
    };
    for (const auto& [text, messages] : cases) {
        const NewPassword p = ParseNewPassword(text);
        EXPECT_FALSE(p.ok) << text;
        EXPECT_EQ(p.messages, *messages) << text;
        EXPECT_EQ(p.clearField, messages == &tooBig) << text;
    }
}

} // namespace
