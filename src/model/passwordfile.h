#pragma once
// The password file "FParol.dat": the password 0..65535 as two bytes, least significant first.
// These functions decide from the file's bytes; reading and replacing the file is done outside.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Password {
constexpr const char* FileName = "FParol.dat";
constexpr const char* BuiltIn = "9461";
constexpr int Accepted = 6; // dialog results
constexpr int Refused = 2;
} // namespace Password

// The text the entry must equal: the stored number in decimal without leading zeros, or the
// built-in "9461" when the file is absent, unreadable or holds fewer than 2 bytes.
std::string ExpectedPassword(const std::optional<std::vector<uint8_t>>& fileBytes);

struct PasswordCheck {
    int result = Password::Refused; // Password::Accepted or Password::Refused
    int level = 0;                  // access level granted (AccessLevel)
};

// Start-up check: the expected text gives level 1, an empty entry level 0, anything else is
// refused.
PasswordCheck CheckPassword(const std::string& entry, const std::string& expected);

struct NewPassword {
    bool ok = false;
    uint16_t value = 0;
    // Messages to show in order when refused.
    std::vector<std::string> messages;
    // Whether the field is emptied after the messages.
    bool clearField = false;
};

// A new password typed in the dialog: a whole number 0..65535.
NewPassword ParseNewPassword(const std::string& text);

// The two bytes stored for a password, least significant first.
std::array<uint8_t, 2> PasswordBytes(uint16_t value);
