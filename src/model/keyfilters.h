#pragma once
// Key filters and range checks of the dialogs' edit fields, as plain functions: the windows
// turn a rejection into the error box and the red field.

#include <string>

// Results of a key filter.
namespace KeyResult {
constexpr int Accepted = 0;
constexpr int Rejected = 1;
constexpr int Enter = 13; // an accepted Enter: the dialog moves the focus on
} // namespace KeyResult

// Decimal field: key is a virtual-key code (model/vkeys.h), ctrl whether Ctrl is held, text the
// field's text before the key (UTF-8).
int KeyDec(int key, bool ctrl, const std::string& text);
// Hexadecimal field: as KeyDec, and the letters A..F are accepted without Ctrl as well.
int KeyHex(int key, bool ctrl, const std::string& text);
// Password field: digits and editing keys pass, Enter closes the dialog (13), anything else is
// rejected ("Пароль - цифровой").
int KeyPassword(int key);

// Kinds of CheckValue.
namespace CheckKind {
constexpr int NotEmpty = 0;
constexpr int Delay = 6; // delay time in seconds, 0..60
} // namespace CheckKind

// 0 when the field's text passes the check of its kind, 1 otherwise. Every kind refuses an empty
// field; the delay kind also refuses text that is not a whole number in 0..60. Unknown kinds
// only check for emptiness.
int CheckValue(const std::string& text, int kind);

// The whole decimal number in text (an optional sign, then digits only), or false when the text
// is not one or does not fit in a long long.
bool ParseDecimal(const std::string& text, long long& value);
