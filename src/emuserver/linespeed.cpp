// Kept apart from the other terminal code: the kernel's arbitrary-rate settings clash with the
// C library's <termios.h>.

#include "emuserver/terminalformat.h"

#ifdef __linux__
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

namespace emu {

int ReadCustomBaud(int fd) {
#if defined(__linux__) && defined(TCGETS2)
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return 0;
    return static_cast<int>(tio.c_ospeed);
#else
    (void)fd;
    return 0;
#endif
}

} // namespace emu
