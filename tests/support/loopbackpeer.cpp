#include "support/loopbackpeer.h"

#include <algorithm>
#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using Handle = SOCKET;
using Length = int;
void CloseHandle(intptr_t h) {
    ::closesocket(static_cast<Handle>(h));
}
bool Readable(intptr_t h, int timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<Handle>(h), &set);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return ::select(0, &set, nullptr, nullptr, &tv) > 0;
}
void Start() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}
#else
using Handle = int;
using Length = size_t;
void CloseHandle(intptr_t h) {
    ::close(static_cast<Handle>(h));
}
bool Readable(intptr_t h, int timeoutMs) {
    pollfd p{static_cast<Handle>(h), POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}
void Start() {}
#endif

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

LoopbackPeer::LoopbackPeer(int backlog) {
    Start();
    const Handle h = ::socket(AF_INET, SOCK_STREAM, 0);
    if (static_cast<intptr_t>(h) == -1)
        return;
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (::bind(h, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(h, backlog) != 0 ||
        ::getsockname(h, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        CloseHandle(static_cast<intptr_t>(h));
        return;
    }
    port_ = ntohs(address.sin_port);
    listen_ = static_cast<intptr_t>(h);
}

LoopbackPeer::~LoopbackPeer() {
    Drop();
    for (intptr_t h : waiting_)
        CloseHandle(h);
    StopListening();
}

std::string LoopbackPeer::Name(const char* scheme) const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_);
}

bool LoopbackPeer::Accept(int timeoutMs) {
    if (listen_ == -1 || !Readable(listen_, timeoutMs))
        return false;
    Drop();
    const Handle h = ::accept(static_cast<Handle>(listen_), nullptr, nullptr);
    if (static_cast<intptr_t>(h) == -1)
        return false;
    client_ = static_cast<intptr_t>(h);
    return true;
}

bool LoopbackPeer::Send(const Bytes& bytes) {
    if (client_ == -1)
        return false;
    const long long n =
        ::send(static_cast<Handle>(client_), reinterpret_cast<const char*>(bytes.data()),
               static_cast<Length>(bytes.size()), 0);
    return n == static_cast<long long>(bytes.size());
}

LoopbackPeer::Bytes LoopbackPeer::Receive(size_t n, int timeoutMs) {
    Bytes out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (client_ != -1 && out.size() < n && std::chrono::steady_clock::now() < end) {
        if (!Readable(client_, 20))
            continue;
        char buffer[512];
        const size_t want = std::min(sizeof buffer, n - out.size());
        const auto got = ::recv(static_cast<Handle>(client_), buffer, static_cast<Length>(want), 0);
        if (got <= 0)
            break;
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

void LoopbackPeer::Drop(bool abort) {
    if (client_ == -1)
        return;
    if (abort) {
        // A zero linger time turns the close into a reset.
        linger l{1, 0};
        ::setsockopt(static_cast<Handle>(client_), SOL_SOCKET, SO_LINGER,
                     reinterpret_cast<const char*>(&l), sizeof l);
    }
    CloseHandle(client_);
    client_ = -1;
}

void LoopbackPeer::StopListening() {
    if (listen_ != -1)
        CloseHandle(listen_);
    listen_ = -1;
}

bool LoopbackPeer::ConnectOnly() {
    const Handle h = ::socket(AF_INET, SOCK_STREAM, 0);
    if (static_cast<intptr_t>(h) == -1)
        return false;
    const sockaddr_in address = Loopback(port_);
    if (::connect(h, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        CloseHandle(static_cast<intptr_t>(h));
        return false;
    }
    waiting_.push_back(static_cast<intptr_t>(h));
    return true;
}
