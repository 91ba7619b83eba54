#include "emuserver/terminalformat.h"

#include <termios.h>

namespace emu {

namespace {

struct SpeedCode {
    speed_t code;
    int baud;
};

constexpr SpeedCode kSpeeds[] = {
    {B50, 50},         {B75, 75},         {B110, 110},         {B134, 134},       {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},         {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},     {B4800, 4800},     {B9600, 9600},       {B19200, 19200},   {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400},   {B460800, 460800}, {B500000, 500000},
    {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000},
};

} // namespace

bool ReadCharFormat(int fd, CharFormat* format) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    const speed_t code = ::cfgetospeed(&tio);
    int baud = 0;
    for (const SpeedCode& s : kSpeeds)
        if (s.code == code)
            baud = s.baud;
    // Speeds without a code of their own (14400, 56000) are set as a plain number.
    if (baud == 0)
        baud = ReadCustomBaud(fd);
    if (baud <= 0)
        return false;
    int data = 8;
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        data = 5;
        break;
    case CS6:
        data = 6;
        break;
    case CS7:
        data = 7;
        break;
    default:
        break;
    }
    format->baud = baud;
    format->bits = 1 + data + ((tio.c_cflag & PARENB) ? 1 : 0) + ((tio.c_cflag & CSTOPB) ? 2 : 1);
    return true;
}

} // namespace emu
