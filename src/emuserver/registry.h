#pragma once
// Running emulators leave the path of their port (or their gateway's address) in a per-user
// folder, so that the program's port list can offer them after the platform's own ports.

#include <string>
#include <vector>

namespace emu {

// ${XDG_RUNTIME_DIR:-/tmp}/lum08-emu-<uid>
std::string RegistryFolder();

// One entry, named after this process (<pid>, or <pid>.<n> for a further port of the same
// process) and holding the port's path; removed again on destruction.
class PortRegistration {
public:
    PortRegistration() = default;
    ~PortRegistration() { Unregister(); }
    PortRegistration(const PortRegistration&) = delete;
    PortRegistration& operator=(const PortRegistration&) = delete;

    bool Register(const std::string& port, std::string* error = nullptr);
    void Unregister();
    const std::string& EntryPath() const { return entry_; }

private:
    std::string entry_;
};

// The ports of the emulators that are still alive, in the order of their process ids; entries
// left behind by processes that are gone are skipped (and cleared away).
std::vector<std::string> RunningEmulatorPorts();

} // namespace emu
