#include "emuserver/ptyserver.h"

#include "emu/framer.h"
#include "emuserver/terminalformat.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <termios.h>
#include <unistd.h>

namespace emu {

namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

void CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool SetFlags(int fd, int statusFlags) {
    const int fl = ::fcntl(fd, F_GETFL);
    return fl >= 0 && ::fcntl(fd, F_SETFL, fl | statusFlags) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

timespec ToTimespec(std::chrono::nanoseconds d) {
    if (d.count() < 0)
        d = std::chrono::nanoseconds(0);
    timespec ts;
    ts.tv_sec = static_cast<time_t>(d.count() / 1000000000);
    ts.tv_nsec = static_cast<long>(d.count() % 1000000000);
    return ts;
}

} // namespace

PtyServer::~PtyServer() {
    Stop();
    CloseTerminal();
    CloseFd(stopPipe_[0]);
    CloseFd(stopPipe_[1]);
}

void PtyServer::AddDevice(Device& device, int speed) {
    devices_.push_back(&device);
    deviceSpeeds_.push_back(speed);
}

bool PtyServer::OpenStopPipe(std::string* error) {
    if (stopPipe_[0] >= 0)
        return true;
    if (::pipe(stopPipe_) != 0)
        return Fail(error, "pipe");
    return SetFlags(stopPipe_[0], O_NONBLOCK) && SetFlags(stopPipe_[1], O_NONBLOCK);
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

bool PtyServer::Start(std::string* error) {
    if (thread_.joinable())
        return true;
    if (!Open(error))
        return false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void PtyServer::Stop() {
    if (thread_.joinable()) {
        RequestStop();
        if (thread_.get_id() != std::this_thread::get_id())
            thread_.join();
        else
            thread_.detach();
    }
    // forget the request so that serving can start again
    stopRequested_ = false;
    char sink[64];
    if (stopPipe_[0] >= 0)
        while (::read(stopPipe_[0], sink, sizeof sink) > 0) {
        }
}

void PtyServer::RequestStop() {
    stopRequested_ = true;
    if (stopPipe_[1] >= 0) {
        const char c = 'x';
        [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], &c, 1);
    }
}

void PtyServer::WatchInput(int fd, InputHandler handler) {
    inputFd_ = fd;
    inputHandler_ = std::move(handler);
}

void PtyServer::Close() {
    Stop();
    CloseTerminal();
}

void PtyServer::CloseTerminal() {
    CloseFd(slave_);
    CloseFd(master_);
    incoming_.clear();
    outgoing_.clear();
    timer_.Reset();
}

void PtyServer::SetPacing(const Pacing& pacing) {
    latencyMs_ = pacing.latencyMs;
    turnaroundMs_ = pacing.turnaroundMs;
    pace_ = pacing.pace;
}

Pacing PtyServer::GetPacing() const {
    return {pace_.load(), latencyMs_.load(), turnaroundMs_.load()};
}

std::optional<PtyServer::TimePoint> PtyServer::NextDue() const {
    std::optional<TimePoint> due;
    if (!incoming_.empty())
        due = incoming_.front().due;
    if (!outgoing_.empty() && (!due || outgoing_.front().due < *due))
        due = outgoing_.front().due;
    return due;
}

void PtyServer::DeliverDue(Framer& framer) {
    const auto now = std::chrono::steady_clock::now();
    while (!incoming_.empty() && incoming_.front().due <= now && master_ >= 0) {
        const Incoming in = std::move(incoming_.front());
        incoming_.pop_front();
        Dispatch(framer.Push(in.bytes.data(), in.bytes.size(), in.due), in.due);
    }
    while (!outgoing_.empty() && outgoing_.front().due <= now && master_ >= 0) {
        const LineTimer::Chunk chunk = std::move(outgoing_.front());
        outgoing_.pop_front();
        Send(chunk.bytes, chunk.last);
    }
}

void PtyServer::Run() {
    std::lock_guard running(runMutex_);
#ifdef __linux__
    // A paced line wakes every character time (87 µs at 115200 baud): the kernel's default
    // timer slack of 50 µs would smear the bytes.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    Framer framer;
    bool idleHangup = false;
    while (!stopRequested_ && master_ >= 0) {
        pollfd fds[3] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}, {inputFd_, POLLIN, 0}};
        const nfds_t count = inputFd_ >= 0 ? 3 : 2;
        auto deadline = framer.Deadline();
        if (const auto due = NextDue(); due && (!deadline || *due < *deadline))
            deadline = due;
        timespec ts{};
        const timespec* timeout = nullptr;
        if (idleHangup) {
            // nobody holds the port (should not happen while we keep the slave open): do not spin
            ts = ToTimespec(std::chrono::milliseconds(10));
            timeout = &ts;
        } else if (deadline) {
            ts = ToTimespec(*deadline - std::chrono::steady_clock::now());
            timeout = &ts;
        }
        if (::ppoll(fds, count, timeout, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0 || stopRequested_)
            break;
        if (fds[0].revents & (POLLERR | POLLNVAL))
            break;
        if (fds[0].revents & POLLIN) {
            if (!ReadLine(framer))
                break;
            if (master_ < 0)
                break; // a hangup fault closed the line
        }
        idleHangup = (fds[0].revents & POLLHUP) != 0;
        DeliverDue(framer);
        if (master_ < 0)
            break;
        const auto now = std::chrono::steady_clock::now();
        if (framer.Deadline() && now >= *framer.Deadline())
            Dispatch(framer.Expire(now), now);
        if (master_ < 0)
            break;
        if (count == 3 && fds[2].revents != 0 && !inputHandler_())
            inputFd_ = -1;
    }
}

bool PtyServer::ReadLine(Framer& framer) {
    uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            const auto now = std::chrono::steady_clock::now();
            const Pacing pacing = GetPacing();
            if (!pacing.Active() && incoming_.empty()) {
                Dispatch(framer.Push(buf, static_cast<size_t>(n), now), now);
                if (master_ < 0)
                    return true;
                continue;
            }
            // The bytes are on the line for as long as the program's speed says; the speed is
            // looked up each time, since the program may set another one at any moment.
            if (pacing.pace && !ReadCharFormat(slave_, &format_))
                format_ = CharFormat{};
            const TimePoint due = timer_.RequestIn(static_cast<size_t>(n), now, pacing, format_);
            incoming_.push_back({due, std::vector<uint8_t>(buf, buf + n)});
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

void PtyServer::Dispatch(const std::vector<std::vector<uint8_t>>& frames, TimePoint requestEnd) {
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
                    Send(reply);
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
