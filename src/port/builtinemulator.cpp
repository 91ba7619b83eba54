#include "port/builtinemulator.h"

#ifndef _WIN32
#include "emu/device.h"
#include "emu/options.h"
#include "emuserver/ptyserver.h"
#include "emuserver/registry.h"
#endif

BuiltInEmulator::BuiltInEmulator() = default;

#ifndef _WIN32

BuiltInEmulator::~BuiltInEmulator() {
    if (server_)
        server_->Stop();
}

std::string BuiltInEmulator::Start() {
    if (!server_) {
        device_ = std::make_unique<emu::Device>();
        // The emulated clock starts from the PC's time, as a real device's would show it.
        device_->SetClock(emu::LocalClock());
        server_ = std::make_unique<emu::PtyServer>(*device_);
        if (!server_->Start()) {
            server_.reset();
            device_.reset();
            return {};
        }
    }
    return server_->SlavePath();
}

std::vector<std::string> BuiltInEmulator::RunningEmulatorPorts() {
    return emu::RunningEmulatorPorts();
}

bool BuiltInEmulator::Available() {
    return true;
}

#else

BuiltInEmulator::~BuiltInEmulator() = default;

std::string BuiltInEmulator::Start() {
    return {};
}

std::vector<std::string> BuiltInEmulator::RunningEmulatorPorts() {
    return {};
}

bool BuiltInEmulator::Available() {
    return false;
}

#endif
