#include "emuserver/lineserver.h"

#include "emu/framer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <unistd.h>

namespace emu {

namespace {

timespec ToTimespec(std::chrono::nanoseconds d) {
    if (d.count() < 0)
        d = std::chrono::nanoseconds(0);
    timespec ts;
    ts.tv_sec = static_cast<time_t>(d.count() / 1000000000);
    ts.tv_nsec = static_cast<long>(d.count() % 1000000000);
    return ts;
}

} // namespace

LineServer::~LineServer() {
    // the thread runs the server's own code: its destructor has stopped it already
    CloseFd(stopPipe_[0]);
    CloseFd(stopPipe_[1]);
}

bool LineServer::Fail(std::string* error, const std::string& what) {
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

void LineServer::CloseFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool LineServer::SetFlags(int fd, int statusFlags) {
    const int fl = ::fcntl(fd, F_GETFL);
    return fl >= 0 && ::fcntl(fd, F_SETFL, fl | statusFlags) == 0 &&
           ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

bool LineServer::OpenStopPipe(std::string* error) {
    if (stopPipe_[0] >= 0)
        return true;
    if (::pipe(stopPipe_) != 0)
        return Fail(error, "pipe");
    return SetFlags(stopPipe_[0], O_NONBLOCK) && SetFlags(stopPipe_[1], O_NONBLOCK);
}

bool LineServer::Start(std::string* error) {
    if (thread_.joinable())
        return true;
    if (!Open(error))
        return false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void LineServer::Stop() {
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

void LineServer::RequestStop() {
    stopRequested_ = true;
    if (stopPipe_[1] >= 0) {
        const char c = 'x';
        [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], &c, 1);
    }
}

void LineServer::WatchInput(int fd, InputHandler handler) {
    inputFd_ = fd;
    inputHandler_ = std::move(handler);
}

void LineServer::SetPacing(const Pacing& pacing) {
    latencyMs_ = pacing.latencyMs;
    turnaroundMs_ = pacing.turnaroundMs;
    pace_ = pacing.pace;
    echo_ = pacing.echo;
}

Pacing LineServer::GetPacing() const {
    return {pace_.load(), latencyMs_.load(), turnaroundMs_.load(), echo_.load()};
}

void LineServer::ClearQueues() {
    incoming_.clear();
    outgoing_.clear();
    timer_.Reset();
}

std::optional<LineServer::TimePoint> LineServer::NextDue() const {
    std::optional<TimePoint> due;
    if (!incoming_.empty())
        due = incoming_.front().due;
    if (!outgoing_.empty() && (!due || outgoing_.front().due < *due))
        due = outgoing_.front().due;
    return due;
}

void LineServer::DeliverDue(Framer& framer) {
    const auto now = std::chrono::steady_clock::now();
    while (!incoming_.empty() && incoming_.front().due <= now && Connected()) {
        const Incoming in = std::move(incoming_.front());
        incoming_.pop_front();
        Deliver(in, framer);
    }
    while (!outgoing_.empty() && outgoing_.front().due <= now && Connected()) {
        const LineTimer::Chunk chunk = std::move(outgoing_.front());
        outgoing_.pop_front();
        Send(chunk.bytes, chunk.last);
    }
}

void LineServer::Run() {
    std::lock_guard running(runMutex_);
#ifdef __linux__
    // A paced line wakes every character time (87 µs at 115200 baud): the kernel's default
    // timer slack of 50 µs would smear the bytes.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    Framer framer;
    bool idle = false;
    while (!stopRequested_ && LineOpen()) {
        pollfd fds[4] = {
            {stopPipe_[0], POLLIN, 0}, {inputFd_, POLLIN, 0}, {-1, POLLIN, 0}, {-1, POLLIN, 0}};
        pollfd* line = fds + 2;
        LineDescriptors(line);
        auto deadline = framer.Deadline();
        if (const auto due = NextDue(); due && (!deadline || *due < *deadline))
            deadline = due;
        timespec ts{};
        const timespec* timeout = nullptr;
        if (idle) {
            ts = ToTimespec(std::chrono::milliseconds(10));
            timeout = &ts;
        } else if (deadline) {
            ts = ToTimespec(*deadline - std::chrono::steady_clock::now());
            timeout = &ts;
        }
        if (::ppoll(fds, 4, timeout, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents != 0 || stopRequested_)
            break;
        const LineEvents events = TakeLineEvents(line, framer);
        if (events == LineEvents::Closed || !LineOpen())
            break; // the line failed, or a hangup fault closed it
        idle = events == LineEvents::Idle;
        DeliverDue(framer);
        if (!LineOpen())
            break;
        const auto now = std::chrono::steady_clock::now();
        if (framer.Deadline() && now >= *framer.Deadline())
            Answer(framer.Expire(now), now);
        if (!LineOpen())
            break;
        if (fds[1].fd >= 0 && fds[1].revents != 0 && !inputHandler_())
            inputFd_ = -1;
    }
}

} // namespace emu
