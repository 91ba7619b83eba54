#pragma once
// The emulator's command interpreter: a test driving the process switches faults and inspects
// the memory through lines on standard input. Every answer ends with a line "ok" or
// "error: <why>", so that the driver knows when it is complete.

#include "emu/device.h"
#include "emu/linepacing.h"

#include <string>
#include <vector>

namespace emu {

class Console {
public:
    // `line`, when given, takes the line commands (pace, echo, latency, turnaround, line).
    explicit Console(std::vector<Device*> devices, LineTiming* line = nullptr)
        : devices_(std::move(devices)), line_(line) {}

    std::vector<std::string> Execute(const std::string& line);
    bool QuitRequested() const { return quit_; }

private:
    using Words = std::vector<std::string>;
    bool Run(const Words& words, std::vector<std::string>& out, std::string& error);
    bool SetFault(const Words& words, std::string& error);
    bool SetMemory(const Words& words, std::string& error);
    bool SetNumber(const Words& words, std::string& error);
    bool SetLine(const Words& words, std::vector<std::string>& out, std::string& error);
    bool PokeByte(const Words& words, std::string& error);
    Device& Current() { return *devices_[current_]; }

    std::vector<Device*> devices_;
    LineTiming* line_;
    size_t current_ = 0;
    bool quit_ = false;
};

} // namespace emu
