#include "emuserver/ptyserver.h"

#include "emu/framer.h"
#include "emuserver/terminalformat.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace emu {

PtyServer::~PtyServer() {
    Stop();
    CloseTerminal();
}

void PtyServer::AddDevice(Device& device, int speed) {
    devices_.push_back(&device);
    deviceSpeeds_.push_back(speed);
}

bool PtyServer::Open(std::string* error) {
    if (master_ >= 0)
        return true;
    if (!OpenStopPipe(error))
        return false;
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return Fail(error, "posix_openpt");
    char name[256];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0 || !SetFlags(master_, O_NONBLOCK)) {
        Fail(error, "pseudo-terminal set-up");
        CloseFd(master_);
        return false;
    }
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
        Fail(error, std::string("opening ") + name);
        CloseTerminal();
        return false;
    }
    // raw: no echo, no newline or flow-control translation, every byte as it is
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD | CSTOPB;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
        Fail(error, "tcsetattr");
        CloseTerminal();
        return false;
    }
    slavePath_ = name;
    hungUp_ = false;
    return true;
}

void PtyServer::Close() {
    Stop();
    CloseTerminal();
}

void PtyServer::CloseTerminal() {
    CloseFd(slave_);
    CloseFd(master_);
    ClearQueues();
}

void PtyServer::LineDescriptors(pollfd* line) const {
    line[0].fd = master_;
}

LineServer::LineEvents PtyServer::TakeLineEvents(const pollfd* line, Framer& framer) {
    if (line[0].revents & (POLLERR | POLLNVAL))
        return LineEvents::Closed;
    if ((line[0].revents & POLLIN) && !ReadLine(framer))
        return LineEvents::Closed;
    // nobody holds the port (should not happen while we keep the slave open): do not spin
    return (line[0].revents & POLLHUP) != 0 ? LineEvents::Idle : LineEvents::Served;
}

void PtyServer::Deliver(const Incoming& in, Framer& framer) {
    // The adapter hears the bytes as they are on the line, before any reply to them.
    if (GetPacing().echo)
        Send(in.bytes, false);
    Answer(framer.Push(in.bytes.data(), in.bytes.size(), in.due), in.due);
}

bool PtyServer::ReadLine(Framer& framer) {
    uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            const auto now = std::chrono::steady_clock::now();
            const Pacing pacing = GetPacing();
            if (!pacing.Active() && incoming_.empty()) {
                if (pacing.echo)
                    Send(std::vector<uint8_t>(buf, buf + n), false);
                Answer(framer.Push(buf, static_cast<size_t>(n), now), now);
                if (master_ < 0)
                    return true;
                continue;
            }
            // The bytes are on the line for as long as the program's speed says; the speed is
            // looked up each time, since the program may set another one at any moment.
            if (pacing.pace && !ReadCharFormat(slave_, &format_))
                format_ = CharFormat{};
            const TimePoint due = timer_.RequestIn(static_cast<size_t>(n), now, pacing, format_);
            incoming_.push_back({due, std::vector<uint8_t>(buf, buf + n), 0});
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN: all read; EIO: no client at the moment, which is not the end of the line
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EIO);
    }
}

bool PtyServer::AtSpeed(int speed) const {
    if (speed <= 0)
        return true;
    // The client sets the speed on its side of the terminal; the settings are the terminal's.
    CharFormat format;
    return slave_ >= 0 && ReadCharFormat(slave_, &format) && format.baud == speed;
}

void PtyServer::Answer(const Frames& frames, TimePoint requestEnd) {
    const Pacing pacing = GetPacing();
    for (const auto& frame : frames) {
        ++framesReceived_;
        if (!AtSpeed(lineSpeed_))
            continue;
        bool hangup = false;
        for (size_t i = 0; i < devices_.size(); ++i) {
            // At another speed the request is noise to this device.
            if (deviceSpeeds_[i] > 0 && !AtSpeed(deviceSpeeds_[i]))
                continue;
            Device* device = devices_[i];
            const std::vector<uint8_t> reply = device->Handle(frame);
            if (!pacing.Active() && outgoing_.empty()) {
                if (!reply.empty())
                    Send(reply, true);
            } else {
                for (auto& chunk : timer_.Reply(reply, requestEnd, pacing, format_))
                    outgoing_.push_back(std::move(chunk));
            }
            // A terminal has no connection to drop: a drop takes the whole line, as a hangup.
            hangup = device->TakeHangup() || hangup;
            hangup = device->TakeDrop() || hangup;
        }
        if (hangup) {
            hungUp_ = true;
            CloseTerminal();
            return;
        }
    }
}

void PtyServer::Send(const std::vector<uint8_t>& bytes, bool wholeReply) {
    size_t done = 0;
    bool flushed = false;
    while (done < bytes.size() && master_ >= 0) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && !flushed) {
            // the port's input is full of answers nobody read (a client that went away without
            // reading); they are stale anyway once a new request has come
            ::tcflush(slave_, TCIFLUSH);
            flushed = true;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd out{master_, POLLOUT, 0};
            if (::poll(&out, 1, 100) > 0)
                continue;
        }
        return; // the answer is lost, as on a line nobody listens to
    }
    if (wholeReply)
        ++repliesSent_;
}

} // namespace emu
