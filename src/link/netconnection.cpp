#include "link/netconnection.h"

#include "link/boundedcall.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

int64_t MicrosLeft(Clock::time_point deadline) {
    return std::max<int64_t>(
        0, std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count());
}

#ifdef _WIN32

using Handle = SOCKET;
using Length = int; // send and recv take an int count on Windows

// Winsock is started once for the process and stays up until it ends.
bool StartSockets() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

int LastError() {
    return ::WSAGetLastError();
}

void CloseHandle(Handle h) {
    ::closesocket(h);
}

bool SetNonBlocking(Handle h) {
    u_long on = 1;
    return ::ioctlsocket(h, FIONBIO, &on) == 0;
}

timeval ToTimeval(int64_t micros) {
    timeval tv;
    tv.tv_sec = static_cast<long>(micros / 1'000'000);
    tv.tv_usec = static_cast<long>(micros % 1'000'000);
    return tv;
}

// select rather than WSAPoll: older Windows' WSAPoll does not report a refused connect.
// 1 ready, 0 time out, -1 failure; *failed when the socket is in the exception set (a connect
// that failed).
int Wait(Handle h, bool write, int64_t micros, bool* failed) {
    fd_set ready;
    fd_set broken;
    FD_ZERO(&ready);
    FD_ZERO(&broken);
    FD_SET(h, &ready);
    FD_SET(h, &broken);
    timeval tv = ToTimeval(micros);
    const int r = ::select(0, write ? nullptr : &ready, write ? &ready : nullptr, &broken, &tv);
    *failed = r > 0 && FD_ISSET(h, &broken);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

#else

using Handle = int;
using Length = size_t;

bool StartSockets() {
    return true;
}

int LastError() {
    return errno;
}

void CloseHandle(Handle h) {
    ::close(h);
}

bool SetNonBlocking(Handle h) {
    const int flags = ::fcntl(h, F_GETFL);
    return flags >= 0 && ::fcntl(h, F_SETFL, flags | O_NONBLOCK) == 0 &&
           ::fcntl(h, F_SETFD, FD_CLOEXEC) == 0;
}

int Wait(Handle h, bool write, int64_t micros, bool* failed) {
    pollfd p{h, static_cast<short>(write ? POLLOUT : POLLIN), 0};
    // Rounded up: a wait never ends before the time it stands for.
    const int ms = static_cast<int>(std::min<int64_t>((micros + 999) / 1000, 1'000'000'000));
    int r;
    do {
        r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    *failed = r > 0 && (p.revents & (POLLERR | POLLNVAL)) != 0;
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

#endif

bool WouldBlock(int error) {
#ifdef _WIN32
    return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS;
#else
    return error == EWOULDBLOCK || error == EAGAIN || error == EINPROGRESS;
#endif
}

int SocketError(Handle h) {
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(h, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
        return LastError();
    return error;
}

Handle ToHandle(intptr_t socket) {
    return static_cast<Handle>(socket);
}

} // namespace

NetConnection::~NetConnection() {
    Close();
}

bool NetConnection::IsOpen() const {
    return socket_ != -1;
}

void NetConnection::Close() {
    if (socket_ != -1)
        CloseHandle(ToHandle(socket_));
    socket_ = -1;
}

bool NetConnection::Fail(Failure failure, int systemError) {
    failure_ = failure;
    systemError_ = systemError;
    return false;
}

NetConnection::Failure NetConnection::Classify(int error) const {
    switch (error) {
#ifdef _WIN32
    case WSAECONNREFUSED:
        return Failure::Refused;
    case WSAETIMEDOUT:
        return Failure::NoAnswer;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
        return Failure::Unreachable;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENOTCONN:
    case WSAESHUTDOWN:
        return Failure::Closed;
#else
    case ECONNREFUSED:
        return Failure::Refused;
    case ETIMEDOUT:
        return Failure::NoAnswer;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
        return Failure::Unreachable;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ENOTCONN:
        return Failure::Closed;
#endif
    default:
        return Failure::Other;
    }
}

bool NetConnection::Connect(const std::string& host, int port, int timeoutMs,
                            const std::function<bool()>& stop) {
    Close();
    failure_ = Failure::None;
    systemError_ = 0;
    if (!StartSockets())
        return Fail(Failure::Other, LastError());
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV;
    const std::string service = std::to_string(port);
    struct Lookup {
        int status = 0;
        addrinfo* found = nullptr;
    };
    // The lookup shares the connection's time: a name server that does not answer must not hold
    // the program longer than a gateway that does not answer.
    const std::optional<Lookup> lookup = CallWithin<Lookup>(
        timeoutMs,
        [host, service, hints] {
            Lookup l;
            l.status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &l.found);
            return l;
        },
        [](Lookup& late) {
            if (late.status == 0 && late.found != nullptr)
                ::freeaddrinfo(late.found);
        },
        stop);
    if (!lookup)
        return Fail(stop && stop() ? Failure::Stopped : Failure::LookupTimedOut, 0);
    addrinfo* found = lookup->found;
    if (lookup->status != 0 || found == nullptr)
        return Fail(Failure::HostUnknown, 0);
    // The last address's failure is the one told; a refusal outranks nothing at all.
    Failure failure = Failure::Other;
    int error = 0;
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
        const Handle h = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (static_cast<intptr_t>(h) == -1) {
            error = LastError();
            continue;
        }
        if (!SetNonBlocking(h)) {
            error = LastError();
            CloseHandle(h);
            continue;
        }
        int r = ::connect(h, a->ai_addr, static_cast<socklen_t>(a->ai_addrlen));
        error = r == 0 ? 0 : LastError();
        if (r != 0 && WouldBlock(error)) {
            bool failed = false;
            bool stopped = false;
            // In short waits, so that a stop is heard while the gateway keeps silent.
            do {
                stopped = stop && stop();
                const int64_t slice =
                    stop ? std::min<int64_t>(MicrosLeft(deadline), 20'000) : MicrosLeft(deadline);
                r = stopped ? 0 : Wait(h, true, slice, &failed);
            } while (r == 0 && !stopped && MicrosLeft(deadline) > 0);
            error = r > 0 ? SocketError(h) : r == 0 ? 0 : LastError();
            if (r == 0) {
                CloseHandle(h);
                failure = stopped ? Failure::Stopped : Failure::NoAnswer;
                break; // the time is up for every address
            }
            if (r > 0 && failed && error == 0)
                error = -1;
        }
        if (error == 0) {
            // A request is a few bytes that must go at once, not wait for the next ones.
            int on = 1;
            ::setsockopt(h, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                         sizeof on);
            ::freeaddrinfo(found);
            socket_ = static_cast<intptr_t>(h);
            return true;
        }
        failure = Classify(error);
        CloseHandle(h);
    }
    ::freeaddrinfo(found);
    return Fail(failure, error);
}

int NetConnection::Send(const uint8_t* bytes, int count, int timeoutMs) {
    if (socket_ == -1)
        return -1;
    const Handle h = ToHandle(socket_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
#ifdef _WIN32
    const int flags = 0;
#else
    const int flags = MSG_NOSIGNAL; // a closed connection is an error, not the end of the program
#endif
    int sent = 0;
    while (sent < count) {
        const auto n = ::send(h, reinterpret_cast<const char*>(bytes) + sent,
                              static_cast<Length>(count - sent), flags);
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        const int error = LastError();
#ifndef _WIN32
        if (n < 0 && error == EINTR)
            continue;
#endif
        if (!WouldBlock(error)) {
            Fail(Classify(error), error);
            return -1;
        }
        const int64_t left = MicrosLeft(deadline);
        if (left <= 0)
            break;
        bool failed = false;
        if (Wait(h, true, left, &failed) < 0 || failed) {
            const int why = failed ? SocketError(h) : LastError();
            Fail(Classify(why), why);
            return -1;
        }
    }
    return sent;
}

int NetConnection::WaitReadable(int64_t timeoutMicros) {
    if (socket_ == -1)
        return -1;
    bool failed = false;
    const int r = Wait(ToHandle(socket_), false, timeoutMicros, &failed);
    if (r < 0) {
        const int error = LastError();
#ifndef _WIN32
        if (error == EINTR)
            return 0;
#endif
        Fail(Classify(error), error);
        return -1;
    }
    // A failed socket is readable as well: the read that follows tells what happened.
    return r;
}

int NetConnection::Receive(uint8_t* buffer, int size) {
    if (socket_ == -1)
        return -1;
    for (;;) {
        const auto n = ::recv(ToHandle(socket_), reinterpret_cast<char*>(buffer),
                              static_cast<Length>(size), 0);
        if (n > 0)
            return static_cast<int>(n);
        if (n == 0) {
            Fail(Failure::Closed, 0);
            return -1;
        }
        const int error = LastError();
#ifndef _WIN32
        if (error == EINTR)
            continue;
#endif
        if (WouldBlock(error))
            return 0;
        Fail(Classify(error), error);
        return -1;
    }
}
