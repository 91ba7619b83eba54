#include "support/ptyrelay.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Writes everything, waiting while the other side's input queue is full.
bool WriteAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n > 0) {
            data += n;
            size -= n;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 10);
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

PtyRelay::PtyRelay() {
    if (::pipe(wake_) != 0) {
        error_ = std::strerror(errno);
        return;
    }
    if (!OpenSide(0) || !OpenSide(1))
        return;
    ok_ = true;
    thread_ = std::thread([this] { Run(); });
}

PtyRelay::~PtyRelay() {
    if (thread_.joinable()) {
        const char stop = 's';
        (void)!::write(wake_[1], &stop, 1);
        thread_.join();
    }
    for (int side = 0; side < 2; ++side) {
        CloseFd(master_[side]);
        CloseFd(slave_[side]);
    }
    CloseFd(wake_[0]);
    CloseFd(wake_[1]);
}

bool PtyRelay::OpenSide(int side) {
    int& m = master_[side];
    m = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0 || ::grantpt(m) != 0 || ::unlockpt(m) != 0) {
        error_ = std::string("pty: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (::ptsname_r(m, name, sizeof name) != 0) {
        error_ = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    path_[side] = name;
    ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);
    slave_[side] = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_[side] < 0) {
        error_ = std::string("slave: ") + std::strerror(errno);
        return false;
    }
    // Raw from the start: no echo and no line editing even before a program sets the port up.
    termios t{};
    ::tcgetattr(slave_[side], &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_[side], TCSANOW, &t);
    return true;
}

void PtyRelay::Unplug(int side) {
    if (!thread_.joinable())
        return;
    const char command = side == 0 ? '0' : '1';
    (void)!::write(wake_[1], &command, 1);
    while (!unplugged_[side])
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool PtyRelay::Forward(int from, int to) {
    char buffer[4096];
    const ssize_t n = ::read(master_[from], buffer, sizeof buffer);
    if (n <= 0)
        return n < 0 && (errno == EAGAIN || errno == EINTR);
    if (master_[to] < 0)
        return true; // the other end is unplugged: the bytes are lost on the line
    WriteAll(master_[to], buffer, n);
    return true;
}

void PtyRelay::Run() {
    for (;;) {
        pollfd fds[3] = {{wake_[0], POLLIN, 0}, {master_[0], POLLIN, 0}, {master_[1], POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents & POLLIN) {
            char command = 0;
            if (::read(wake_[0], &command, 1) != 1 || command == 's')
                return;
            const int side = command - '0';
            CloseFd(master_[side]);
            CloseFd(slave_[side]);
            unplugged_[side] = true;
        }
        for (int side = 0; side < 2; ++side) {
            if (master_[side] >= 0 && (fds[side + 1].revents & (POLLIN | POLLHUP | POLLERR)) &&
                !Forward(side, 1 - side))
                CloseFd(master_[side]);
        }
    }
}
