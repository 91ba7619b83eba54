#pragma once
// A device emulated inside the program, offered last in the port list so that every command
// can be tried without hardware. It serves on a pseudo-terminal from a thread of its own.

#include <memory>
#include <string>
#include <vector>

namespace emu {
class Device;
class PtyServer;
} // namespace emu

class BuiltInEmulator {
public:
    BuiltInEmulator();
    ~BuiltInEmulator();

    // Starts the emulated device (once) and returns its port; empty when that failed.
    std::string Start();

    // The ports of lum08-emu emulators running on this machine.
    static std::vector<std::string> RunningEmulatorPorts();

    // False where the platform has no pseudo-terminals (Windows): the port list then does not
    // offer the built-in device.
    static bool Available();

private:
#ifndef _WIN32
    std::unique_ptr<emu::Device> device_;
    std::unique_ptr<emu::PtyServer> server_;
#endif
};
