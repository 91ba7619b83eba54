#include "platform/qtserialline.h"

#include <QThread>

#include "platform/porterrortext.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

constexpr qint64 kNanosPerMs = 1'000'000;

// Rounded up, so that a wait never ends before the time-out it stands for.
int CeilMs(qint64 nanos) {
    return static_cast<int>((nanos + kNanosPerMs - 1) / kNanosPerMs);
}

} // namespace

QtSerialLine::QtSerialLine(SerialPath path) {
#ifndef _WIN32
    direct_ = path == SerialPath::Direct;
#else
    (void)path; // the descriptor road is POSIX's
#endif
    // The port belongs to no thread until it is opened: the engine's thread opens and uses it.
    port_.moveToThread(nullptr);
}

SerialPath QtSerialLine::DefaultPath() {
#ifndef _WIN32
    const char* chosen = std::getenv("LUM_SERIAL_PATH");
    if (chosen && std::strcmp(chosen, "qserialport") == 0)
        return SerialPath::Portable;
    return SerialPath::Direct;
#else
    return SerialPath::Portable;
#endif
}

std::string SerialPathName(SerialPath path) {
    return path == SerialPath::Direct ? "прямой доступ к порту" : "переносимый драйвер порта";
}

std::string SerialPathInUse() {
    return SerialPathName(QtSerialLine::DefaultPath());
}

std::string QtSerialLine::OpenFailureReason(QSerialPort::SerialPortError error,
                                            const std::string& location) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return "порт не найден";
    case QSerialPort::OpenError:
        return "порт занят другой программой";
    case QSerialPort::PermissionError:
#ifndef _WIN32
        // The toolkit says "permission" both for a port another program holds (its lock) and
        // for one this user may not open; the file's own access tells them apart.
        if (::access(location.c_str(), R_OK | W_OK) != 0 && errno == EACCES)
            return "нет прав доступа к порту (пользователь должен входить в группу dialout)";
#endif
        return "порт занят другой программой";
    default:
        (void)location;
        return "порт не удается открыть";
    }
}

QtSerialLine::~QtSerialLine() {
    close();
}

std::string QtSerialLine::TransferPathName() {
    return SerialPathInUse();
}

bool QtSerialLine::open(const LineSettings& settings) {
    close();
    // Its notifiers and waits work on the thread that opens it, and only there.
    if (port_.thread() == nullptr)
        port_.moveToThread(QThread::currentThread());
#ifndef _WIN32
    // Before the port is opened: opening it sets the line up, which must not happen under
    // another program's exchange.
    if (!HoldDevice(settings.portName))
        return false;
#endif
    port_.setPortName(QString::fromStdString(settings.portName));
    port_.setBaudRate(settings.baudRate);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(settings.parity == 'E'   ? QSerialPort::EvenParity
                    : settings.parity == 'O' ? QSerialPort::OddParity
                                             : QSerialPort::NoParity);
    port_.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        errorText_ = PortErrorText(port_.error());
        openFailureText_ = OpenFailureReason(port_.error(), settings.portName);
#ifndef _WIN32
        ReleaseDevice();
#endif
        return false;
    }
#ifndef _WIN32
    if (!HoldDescriptor())
        return false;
#endif
    openFailureText_.clear();
    // The converter switches direction by itself. A pseudo-terminal has no modem lines and
    // refuses both calls without an error, which is no reason to give up the port.
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(false);
    // Switching the driver by the program is asked for: a port that cannot is not used, rather
    // than sending into a line it never gets hold of.
    if (!transmit_.Start(*this, settings.transmit)) {
        errorText_ = openFailureText_ = transmit_.Refusal();
        close();
        return false;
    }
    // On the direct road bytes are read from the descriptor; QSerialPort must not pick up what
    // arrives between commands while the event loop runs, beyond one byte that nobody reads.
    port_.setReadBufferSize(direct_ ? 1 : 0);
    port_.clearError();
    errorText_.clear();
    return true;
}

bool QtSerialLine::close() {
    if (port_.isOpen())
        transmit_.Stop(*this);
#ifndef _WIN32
    aheadBegin_ = aheadEnd_ = 0;
    // The exclusive mode stays with the terminal while anyone has it open (an emulator keeps
    // its side open): given back, so that the next program can open the port.
    if (port_.isOpen())
        ::ioctl(static_cast<int>(port_.handle()), TIOCNXCL);
    ReleaseDevice();
#endif
    if (!port_.isOpen())
        return true;
    port_.clearError();
    port_.close();
    const bool closed = port_.error() == QSerialPort::NoError;
    if (!closed)
        errorText_ = PortErrorText(port_.error());
    // Free again for whichever thread opens it next.
    if (port_.thread() == QThread::currentThread())
        port_.moveToThread(nullptr);
    return closed;
}

bool QtSerialLine::isOpen() const {
    return port_.isOpen();
}

bool QtSerialLine::purge() {
    if (!port_.isOpen())
        return false;
#ifndef _WIN32
    // The direct transfers bypass QSerialPort's buffers: the port's own queues and the bytes
    // read ahead are all there is.
    if (direct_) {
        aheadBegin_ = aheadEnd_ = 0;
        if (::tcflush(static_cast<int>(port_.handle()), TCIOFLUSH) != 0)
            return FailErrno(errno) == 0;
        return true;
    }
#endif
    port_.clearError();
    if (!port_.clear(QSerialPort::AllDirections)) {
        errorText_ = PortErrorText(port_.error());
        return false;
    }
    return true;
}

qint64 QtSerialLine::ReadWait(qint64 now, qint64 total, qint64 lastByte, qint64& nextTurn) {
    const qint64 firstByte = firstByteMs_ > 0 ? firstByteMs_ * kNanosPerMs : total;
    const qint64 limit =
        std::min(total, lastByte >= 0 ? lastByte + ByteGapMs * kNanosPerMs : firstByte);
    const qint64 left = limit - now;
    if (left <= 0)
        return -1;
    if (lastByte >= 0 || !HasStopCheck())
        return left;
    if (now < nextTurn)
        return std::min(left, nextTurn - now);
    // Nothing came yet and the operator stopped: the read gives up, the engine says why.
    if (StopDue())
        return -1;
    nextTurn = now + StopCheckMs * kNanosPerMs;
    return 0;
}

bool QtSerialLine::IsPortFailure() const {
    const QSerialPort::SerialPortError e = port_.error();
    return e != QSerialPort::NoError && e != QSerialPort::TimeoutError;
}

int QtSerialLine::Fail() {
    errorText_ = PortErrorText(port_.error());
    if (errorText_.empty())
        errorText_ = PortErrorText(QSerialPort::UnknownError);
    return -1;
}

int QtSerialLine::write(const uint8_t* bytes, int count) {
    if (!port_.isOpen())
        return -1;
    return transmit_.Write(*this, [&] { return WriteBytes(bytes, count); });
}

int QtSerialLine::WriteBytes(const uint8_t* bytes, int count) {
    if (count <= 0)
        return 0;
#ifndef _WIN32
    // The direct road keeps its own error text; clearing QSerialPort's error state looks up a
    // translated "No error" every time, a third of the engine's own work per transaction.
    if (direct_)
        return WriteDirect(bytes, count);
#endif
    return WritePortable(bytes, count);
}

int QtSerialLine::WritePortable(const uint8_t* bytes, int count) {
    port_.clearError();
    if (port_.write(reinterpret_cast<const char*>(bytes), count) < 0)
        return Fail();
    QElapsedTimer timer;
    timer.start();
    const qint64 limit = (TotalBaseMs + static_cast<qint64>(TotalPerByteMs) * count) * kNanosPerMs;
    while (port_.bytesToWrite() > 0) {
        const qint64 left = limit - timer.nsecsElapsed();
        if (left <= 0)
            break;
        if (!port_.waitForBytesWritten(CeilMs(left)) && IsPortFailure())
            return Fail();
    }
    if (IsPortFailure())
        return Fail();
    return count - static_cast<int>(std::min<qint64>(port_.bytesToWrite(), count));
}

int QtSerialLine::read(uint8_t* buffer, int count) {
    if (!port_.isOpen())
        return -1;
#ifndef _WIN32
    if (direct_)
        return ReadDirect(buffer, count);
#endif
    return ReadPortable(buffer, count);
}

int QtSerialLine::ReadPortable(uint8_t* buffer, int count) {
    port_.clearError();
    QElapsedTimer timer;
    timer.start();
    const qint64 total = (TotalBaseMs + static_cast<qint64>(TotalPerByteMs) * count) * kNanosPerMs;
    qint64 lastByte = -1;
    qint64 nextTurn = StopCheckMs * kNanosPerMs;
    int got = 0;
    while (got < count) {
        const qint64 n = port_.read(reinterpret_cast<char*>(buffer) + got, count - got);
        if (n < 0)
            return Fail();
        if (n > 0) {
            got += static_cast<int>(n);
            lastByte = timer.nsecsElapsed();
            if (got >= count)
                break;
        }
        const qint64 left = ReadWait(timer.nsecsElapsed(), total, lastByte, nextTurn);
        if (left < 0)
            break;
        if (left == 0)
            continue;
        // Wakes as soon as bytes come in; no fixed sleeps, so a reply is taken without delay.
        if (!port_.waitForReadyRead(CeilMs(left)) && IsPortFailure())
            return Fail();
    }
    return got;
}

#ifndef _WIN32

namespace {

// Waits for the descriptor to become ready for events, at most nanos; the poll result.
int WaitFor(int fd, short events, qint64 nanos, short* revents) {
    pollfd p{fd, events, 0};
    const timespec limit{static_cast<time_t>(nanos / 1'000'000'000),
                         static_cast<long>(nanos % 1'000'000'000)};
    const int r = ::ppoll(&p, 1, &limit, nullptr);
    *revents = p.revents;
    return r;
}

bool Hangup(short revents, short wanted) {
    return (revents & (POLLERR | POLLHUP | POLLNVAL)) && !(revents & wanted);
}

} // namespace

std::string QtSerialLine::DeviceLockFolder() {
    struct stat info {};
    if (::stat("/run/lock", &info) == 0 && S_ISDIR(info.st_mode) &&
        ::access("/run/lock", W_OK | X_OK) == 0)
        return "/run/lock";
    return "/tmp";
}

bool QtSerialLine::HoldDevice(const std::string& location) {
    ReleaseDevice();
    struct stat info {};
    if (::stat(location.c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return true; // no device to key a lock by: the opening itself will say what is wrong
    const std::string name = DeviceLockFolder() + "/lum08-tty-" +
                             std::to_string(major(info.st_rdev)) + "-" +
                             std::to_string(minor(info.st_rdev)) + ".lock";
    // Read access is enough for a lock, so a file another user made serves as well.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return true; // no lock file to be had: the lock on the descriptor still holds
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        errorText_ = openFailureText_ = PortErrorText(EBUSY);
        return false;
    }
    deviceLock_ = fd;
    return true;
}

bool QtSerialLine::HoldDescriptor() {
    const int fd = static_cast<int>(port_.handle());
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        // Keeps off the programs that know no locks; refused by some pseudo-terminals, where
        // the locks still hold.
        ::ioctl(fd, TIOCEXCL);
        return true;
    }
    port_.close();
    ReleaseDevice();
    errorText_ = openFailureText_ = PortErrorText(EBUSY);
    return false;
}

void QtSerialLine::ReleaseDevice() {
    if (deviceLock_ >= 0)
        ::close(deviceLock_);
    deviceLock_ = -1;
}

int QtSerialLine::FailErrno(int error) {
    errorText_ = PortErrorText(error);
    return -1;
}

int QtSerialLine::WriteDirect(const uint8_t* bytes, int count) {
    const int fd = static_cast<int>(port_.handle());
    // A request goes into the port's queue whole as a rule: the time limit starts only when the
    // queue is full, and a write on time reads no clock.
    QElapsedTimer timer;
    const qint64 limit = (TotalBaseMs + static_cast<qint64>(TotalPerByteMs) * count) * kNanosPerMs;
    int written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd, bytes + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return FailErrno(errno);
        if (!timer.isValid())
            timer.start();
        const qint64 left = limit - timer.nsecsElapsed();
        if (left <= 0)
            break;
        short revents = 0;
        const int r = WaitFor(fd, POLLOUT, left, &revents);
        if (r < 0 && errno != EINTR)
            return FailErrno(errno);
        if (r > 0 && Hangup(revents, POLLOUT))
            return FailErrno(0);
    }
    return written;
}

int QtSerialLine::ReadDirect(uint8_t* buffer, int count) {
    const int got = TakeAhead(buffer, count);
    // The rest of a reply read ahead with its header: no wait, no clock.
    return got >= count ? got : ReadDirectWaiting(buffer, count, got);
}

int QtSerialLine::ReadDirectWaiting(uint8_t* buffer, int count, int got) {
    const int fd = static_cast<int>(port_.handle());
    QElapsedTimer timer;
    timer.start();
    const qint64 total = (TotalBaseMs + static_cast<qint64>(TotalPerByteMs) * count) * kNanosPerMs;
    qint64 lastByte = got > 0 ? 0 : -1;
    // A reply is never in yet when it is asked for: wait first and read once the port says
    // there is something, which saves two system calls per transaction.
    bool readable = false;
    qint64 nextTurn = StopCheckMs * kNanosPerMs;
    bool justStarted = true; // the first wait reads no clock of its own
    while (got < count) {
        short revents = 0;
        if (!readable) {
            const qint64 now = justStarted ? 0 : timer.nsecsElapsed();
            justStarted = false;
            const qint64 left = ReadWait(now, total, lastByte, nextTurn);
            if (left < 0)
                break;
            if (left == 0)
                continue;
            const int r = WaitFor(fd, POLLIN, left, &revents);
            if (r < 0 && errno != EINTR)
                return FailErrno(errno);
            if (r > 0 && Hangup(revents, POLLIN))
                return FailErrno(0);
            readable = r > 0;
            continue;
        }
        const ssize_t n = ::read(fd, ahead_, sizeof ahead_);
        readable = n < 0 && errno == EINTR;
        if (n > 0) {
            aheadBegin_ = 0;
            aheadEnd_ = static_cast<int>(n);
            got += TakeAhead(buffer + got, count - got);
            if (got < count)
                lastByte = timer.nsecsElapsed();
            continue;
        }
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return FailErrno(errno); // EIO: the adapter or the other end of the line is gone
        // End of file on a terminal is a hangup: the other end of the line has gone.
        if (n == 0 && WaitFor(fd, POLLIN, 0, &revents) > 0 &&
            (revents & (POLLERR | POLLHUP | POLLNVAL)))
            return FailErrno(0);
    }
    return got;
}

#endif
