// The port's own means of switching an RS-485 driver with RTS (link/transmitswitch.h): the
// kernel's RS-485 mode on Linux, the RTS line itself, and the wait for the last byte to leave.

#include "platform/qtserialline.h"

#include <cstring>

#ifndef _WIN32
#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>
#endif
#ifdef __linux__
#include <linux/serial.h>
#endif

bool QtSerialLine::setKernelRs485(bool on) {
#ifdef __linux__
    if (!port_.isOpen())
        return false;
    const int fd = static_cast<int>(port_.handle());
    if (!on) {
        if (savedRs485_.size() != sizeof(serial_rs485))
            return true;
        serial_rs485 saved{};
        std::memcpy(&saved, savedRs485_.data(), sizeof saved);
        savedRs485_.clear();
        return ::ioctl(fd, TIOCSRS485, &saved) == 0;
    }
    serial_rs485 conf{};
    // A port without the mode (most USB adapters, a pseudo-terminal) refuses to even tell it.
    if (::ioctl(fd, TIOCGRS485, &conf) != 0)
        return false;
    savedRs485_.assign(reinterpret_cast<const uint8_t*>(&conf),
                       reinterpret_cast<const uint8_t*>(&conf) + sizeof conf);
    // RTS high while sending, low at once after the last stop bit; the engine's own pause
    // before each request gives the converter its time.
    conf.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    conf.flags &= ~static_cast<__u32>(SER_RS485_RTS_AFTER_SEND | SER_RS485_RX_DURING_TX);
    conf.delay_rts_before_send = 0;
    conf.delay_rts_after_send = 0;
    if (::ioctl(fd, TIOCSRS485, &conf) != 0) {
        savedRs485_.clear();
        return false;
    }
    return true;
#else
    (void)on;
    return false;
#endif
}

bool QtSerialLine::setRts(bool high) {
    if (!port_.isOpen())
        return false;
#ifndef _WIN32
    // Straight to the port: QSerialPort takes a refusal of a pseudo-terminal without a word.
    const int bit = TIOCM_RTS;
    return ::ioctl(static_cast<int>(port_.handle()), high ? TIOCMBIS : TIOCMBIC, &bit) == 0;
#else
    return port_.setRequestToSend(high);
#endif
}

bool QtSerialLine::drain() {
    if (!port_.isOpen())
        return false;
#ifndef _WIN32
    while (::tcdrain(static_cast<int>(port_.handle())) != 0)
        if (errno != EINTR)
            return false;
    return true;
#else
    // The driver's queue handed over; Windows tells no more (docs/windows.md).
    return port_.flush() || port_.bytesToWrite() == 0;
#endif
}
