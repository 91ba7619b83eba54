#pragma once
// Windows virtual-key codes that the field key filters understand. The windows map their
// toolkit's key events onto these, so the filters stay plain functions of a number.

namespace vk {
constexpr int Unknown = 0x00; // no virtual key has this code
constexpr int Back = 0x08;
constexpr int Tab = 0x09;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Capital = 0x14; // Caps Lock
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Delete = 0x2E;
constexpr int Digit0 = 0x30; // main keyboard 0..9 are 0x30..0x39
constexpr int Digit9 = 0x39;
constexpr int LetterA = 0x41; // letters A..Z are 0x41..0x5A
constexpr int LetterF = 0x46;
constexpr int LetterZ = 0x5A;
constexpr int Numpad0 = 0x60; // numeric pad 0..9 are 0x60..0x69
constexpr int Numpad9 = 0x69;
constexpr int NumLock = 0x90;
} // namespace vk
