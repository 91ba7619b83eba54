#pragma once
// What the program set on the pseudo-terminal's port: the speed and the framing of a character,
// for a line paced like a real one.

#include "emu/linepacing.h"

namespace emu {

// The format the program set on the terminal (its speed, parity and stop bits); false when the
// settings cannot be read or name no speed.
bool ReadCharFormat(int fd, CharFormat* format);
// Speed in baud of a speed set through the terminal's arbitrary-rate interface, 0 when unknown.
int ReadCustomBaud(int fd);

} // namespace emu
