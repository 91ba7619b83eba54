#include "model/keyfilters.h"

#include "model/vkeys.h"

namespace {

bool IsDigitKey(int key) {
    return (key >= vk::Digit0 && key <= vk::Digit9) || (key >= vk::Numpad0 && key <= vk::Numpad9);
}

bool IsLetterKey(int key) {
    return key >= vk::LetterA && key <= vk::LetterZ;
}

// Keys that edit or move inside the field and never make it invalid.
bool IsEditingKey(int key) {
    switch (key) {
    case vk::Back:
    case vk::Delete:
    case vk::Shift:
    case vk::Control:
    case vk::Left:
    case vk::Right:
    case vk::NumLock:
    case vk::Capital:
        return true;
    default:
        return false;
    }
}

// The part both field filters share; hexLetters adds A..F without Ctrl.
int FilterKey(int key, bool ctrl, const std::string& text, bool hexLetters) {
    if (IsDigitKey(key) || IsEditingKey(key) || key == vk::Escape)
        return KeyResult::Accepted;
    if (IsLetterKey(key) && (ctrl || (hexLetters && key <= vk::LetterF)))
        return KeyResult::Accepted;
    if (key == vk::Return) {
        const bool empty = text.empty() || (hexLetters && text == " ");
        return empty ? KeyResult::Rejected : KeyResult::Enter;
    }
    return KeyResult::Rejected;
}

} // namespace

int KeyDec(int key, bool ctrl, const std::string& text) {
    return FilterKey(key, ctrl, text, false);
}

int KeyHex(int key, bool ctrl, const std::string& text) {
    return FilterKey(key, ctrl, text, true);
}

int KeyPassword(int key) {
    if (IsDigitKey(key) || IsEditingKey(key))
        return KeyResult::Accepted;
    if (key == vk::Return)
        return KeyResult::Enter;
    return KeyResult::Rejected;
}

bool ParseDecimal(const std::string& text, long long& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        if (v > (9'000'000'000'000'000'000LL - (c - '0')) / 10)
            return false; // far beyond anything a field can hold
        v = v * 10 + (c - '0');
    }
    value = negative ? -v : v;
    return true;
}

int CheckValue(const std::string& text, int kind) {
    if (text.empty())
        return 1;
    if (kind == CheckKind::Delay) {
        long long v = 0;
        if (!ParseDecimal(text, v) || v < 0 || v > 60)
            return 1;
    }
    return 0;
}
