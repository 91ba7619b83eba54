#pragma once
// What serves the emulated devices on a line the program can open: a pseudo-terminal
// (PtyServer) or a loopback TCP port standing in for a gateway (TcpServer). lum08-emu and the
// tests drive either through this.

#include "emu/device.h"
#include "emu/linepacing.h"

#include <cstdint>
#include <functional>
#include <string>

namespace emu {

class LineServer : public LineTiming {
public:
    // Called when the watched descriptor is readable; return false to stop watching it.
    using InputHandler = std::function<bool()>;

    // Devices sharing the line; add them before serving. The server does not own them.
    // A speed of the device's own (0: any) matters on a serial line only.
    virtual void AddDevice(Device& device, int speed = 0) = 0;
    // The speed of the devices' own line in bit/s (0: not given).
    virtual void SetLineSpeed(int baud) = 0;
    // Makes the line ready for the program to open; on failure the reason goes to `error`.
    virtual bool Open(std::string* error = nullptr) = 0;
    // The name the program opens the line by: the terminal's path, or tcp://127.0.0.1:PORT.
    virtual std::string PortName() const = 0;

    // Serves on a thread of its own until Stop(); opens the line first if need be.
    virtual bool Start(std::string* error = nullptr) = 0;
    virtual void Stop() = 0;
    // Serves on the calling thread until RequestStop() or a hangup fault.
    virtual void Run() = 0;
    // Safe from a signal handler and from any thread.
    virtual void RequestStop() = 0;
    // An extra descriptor that Run also waits on (the emulator's command input); set before Run.
    virtual void WatchInput(int fd, InputHandler handler) = 0;

    virtual uint64_t FramesReceived() const = 0;
    virtual uint64_t RepliesSent() const = 0;
    // A hangup fault took the line away.
    virtual bool HungUp() const = 0;
};

} // namespace emu
