#include "model/passwordfile.h"

#include "model/keyfilters.h"

namespace {
const char* const NotReplaced = "Пароль не заменен";
}

std::string ExpectedPassword(const std::optional<std::vector<uint8_t>>& fileBytes) {
    if (!fileBytes || fileBytes->size() < 2)
        return Password::BuiltIn;
    const unsigned value = (*fileBytes)[0] | ((*fileBytes)[1] << 8);
    return std::to_string(value);
}

PasswordCheck CheckPassword(const std::string& entry, const std::string& expected) {
    if (entry.empty())
        return {Password::Accepted, 0};
    if (entry == expected)
        return {Password::Accepted, 1};
    return {Password::Refused, 0};
}

NewPassword ParseNewPassword(const std::string& text) {
    NewPassword p;
    if (text.empty()) {
        p.messages = {"Будьте внимательнее при вводе", NotReplaced};
        return p;
    }
    long long v = 0;
    // Only digits reach the field; a sign is refused like any other text that is no number.
    const bool digitsOnly = text.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || !ParseDecimal(text, v) || v > 65535) {
        p.messages = {"Введите число не более 65535", NotReplaced};
        p.clearField = true;
        return p;
    }
    p.ok = true;
    p.value = static_cast<uint16_t>(v);
    return p;
}

std::array<uint8_t, 2> PasswordBytes(uint16_t value) {
    return {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
}
