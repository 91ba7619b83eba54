#include "platform/portline.h"

#include <algorithm>
#include <cctype>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
const char* const kGatewayBusy = "шлюз занят другой программой";
} // namespace

PortLine::~PortLine() {
    close();
}

std::string PortLine::GatewayLockName(const GatewayAddress& address) {
    std::string host = address.host;
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) {
        // IPv6 colons are no letters for a file name.
        return std::isalnum(c) != 0 || c == '.' || c == '-' ? static_cast<char>(std::tolower(c))
                                                            : '_';
    });
    return "lum08-gateway-" + host + "-" + std::to_string(address.port);
}

bool PortLine::HoldGateway(const std::string& portName) {
    ReleaseGateway();
    const auto address = ParseGatewayAddress(portName);
    if (!address)
        return true; // the gateway's own opening says how to write the address
    const std::string name = GatewayLockName(*address);
#ifdef _WIN32
    HANDLE hold = ::CreateMutexA(nullptr, FALSE, ("Local\\" + name).c_str());
    if (hold == nullptr)
        return true; // nothing to hold by: the gateway itself still takes one connection
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(hold);
        return false;
    }
    gatewayHold_ = hold;
#else
    // One file per gateway address would pile up over the years: the holder removes it when
    // it lets go, so a lock taken on a file removed meanwhile is taken again on the new one.
    const std::string path = QtSerialLine::DeviceLockFolder() + "/" + name + ".lock";
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Read access is enough for a lock, so a file another user made serves as well.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            return true; // nothing to hold by: the gateway itself still takes one connection
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            gatewayHold_ = fd;
            gatewayHoldPath_ = path;
            return true;
        }
        ::close(fd);
    }
#endif
    return true;
}

void PortLine::ReleaseGateway() {
#ifdef _WIN32
    if (gatewayHold_ != nullptr)
        ::CloseHandle(static_cast<HANDLE>(gatewayHold_));
    gatewayHold_ = nullptr;
#else
    if (gatewayHold_ >= 0) {
        ::unlink(gatewayHoldPath_.c_str()); // under the lock: nobody holds it meanwhile
        ::close(gatewayHold_);
    }
    gatewayHold_ = -1;
#endif
}

bool PortLine::open(const LineSettings& settings) {
    close();
    holdFailure_.clear();
    active_ = IsGatewayName(settings.portName) ? static_cast<SerialLine*>(&gateway_) : &serial_;
    if (active_ == &gateway_ && !HoldGateway(settings.portName)) {
        holdFailure_ = kGatewayBusy;
        return false;
    }
    if (active_->open(settings))
        return true;
    ReleaseGateway();
    return false;
}

bool PortLine::close() {
    const bool closed = active_->close();
    ReleaseGateway();
    return closed;
}

bool PortLine::isOpen() const {
    return active_->isOpen();
}

bool PortLine::purge() {
    return active_->purge();
}

int PortLine::write(const uint8_t* bytes, int count) {
    return active_->write(bytes, count);
}

int PortLine::read(uint8_t* buffer, int count) {
    return active_->read(buffer, count);
}

std::string PortLine::errorText() const {
    return holdFailure_.empty() ? active_->errorText() : holdFailure_;
}

std::string PortLine::openFailureText() const {
    return holdFailure_.empty() ? active_->openFailureText() : holdFailure_;
}

bool PortLine::acceptsPortName(const std::string& name, std::string* location) const {
    return IsGatewayName(name) ? gateway_.acceptsPortName(name, location)
                               : serial_.acceptsPortName(name, location);
}

void PortLine::SetFirstByteTimeoutMs(int ms) {
    serial_.SetFirstByteTimeoutMs(ms);
    gateway_.SetFirstByteTimeoutMs(ms);
}
