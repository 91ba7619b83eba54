#pragma once
// A bare client of the emulator's port for the tests: opens the slave side without touching its
// settings (so the emulator's raw mode is what counts), writes a request, reads an answer.

#include "emutestbytes.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

class PortClient {
public:
    explicit PortClient(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~PortClient() { Close(); }
    PortClient(const PortClient&) = delete;
    PortClient& operator=(const PortClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    void Close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    bool Send(const Bytes& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads until `expected` bytes are in or nothing more came for `quietMs`.
    Bytes Receive(size_t expected, int quietMs = 300) {
        Bytes got;
        while (got.size() < expected) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN))
                break;
            uint8_t buf[512];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0)
                break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

    Bytes Transact(const Bytes& request, size_t expected, int quietMs = 300) {
        return Send(request) ? Receive(expected, quietMs) : Bytes{};
    }

private:
    int fd_;
};
