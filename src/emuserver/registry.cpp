#include "emuserver/registry.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace emu {

namespace {

std::atomic<int> registrations{0};

// Our folder must be ours alone: in a shared /tmp someone else could have put it there first.
bool FolderIsSafe(const std::string& folder) {
    struct stat st;
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The start time of a process in clock ticks since boot, so that a recycled process id is not
// taken for the emulator that had it; empty where /proc is not there.
std::string StartTime(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!in || !std::getline(in, stat))
        return {};
    const size_t close = stat.rfind(')'); // the command name may hold blanks and parentheses
    if (close == std::string::npos)
        return {};
    std::string field;
    size_t pos = close + 2;
    // field 3 (state) comes right after the name; the start time is field 22
    for (int index = 3; index <= 22 && pos <= stat.size(); ++index) {
        const size_t end = std::min(stat.find(' ', pos), stat.size());
        field = stat.substr(pos, end - pos);
        pos = end + 1;
    }
    return field;
}

bool ProcessAlive(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool IsCharDevice(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// An emulated gateway's address: on loopback, as the emulator only serves there.
bool IsLoopbackGateway(const std::string& port) {
    return port.rfind("tcp://127.", 0) == 0 || port.rfind("mbtcp://127.", 0) == 0;
}

// The process id an entry name starts with; -1 for a name that is not an entry.
long EntryPid(const std::string& name) {
    const std::string digits = name.substr(0, name.find('.'));
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    if (name.size() > digits.size() &&
        (name.find(".tmp") != std::string::npos || name.size() == digits.size() + 1))
        return -1;
    return std::strtol(digits.c_str(), nullptr, 10);
}

} // namespace

std::string RegistryFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string base = runtime && *runtime ? runtime : "/tmp";
    return base + "/lum08-emu-" + std::to_string(::getuid());
}

bool PortRegistration::Register(const std::string& port, std::string* error) {
    Unregister();
    const std::string folder = RegistryFolder();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = folder + ": " + std::strerror(errno);
        return false;
    }
    if (!FolderIsSafe(folder)) {
        if (error)
            *error = folder + " is not a private folder of this user";
        return false;
    }
    const int n = registrations++;
    const std::string name =
        std::to_string(::getpid()) + (n == 0 ? std::string() : "." + std::to_string(n));
    const std::string entry = folder + "/" + name;
    const std::string temp = entry + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << port << '\n' << StartTime(::getpid()) << '\n';
        if (!out.flush()) {
            if (error)
                *error = temp + ": cannot be written";
            ::unlink(temp.c_str());
            return false;
        }
    }
    if (::rename(temp.c_str(), entry.c_str()) != 0) {
        if (error)
            *error = entry + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    entry_ = entry;
    return true;
}

void PortRegistration::Unregister() {
    if (!entry_.empty())
        ::unlink(entry_.c_str());
    entry_.clear();
}

std::vector<std::string> RunningEmulatorPorts() {
    const std::string folder = RegistryFolder();
    std::vector<std::pair<std::pair<long, std::string>, std::string>> found;
    if (!FolderIsSafe(folder))
        return {};
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return {};
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        const long pid = EntryPid(name);
        if (pid <= 0)
            continue;
        std::ifstream in(folder + "/" + name);
        std::string port, started;
        std::getline(in, port);
        std::getline(in, started);
        const bool alive = ProcessAlive(pid) &&
                           (started.empty() || StartTime(pid).empty() || StartTime(pid) == started);
        if (!alive) {
            ::unlink((folder + "/" + name).c_str());
            continue;
        }
        if (!port.empty() && (IsCharDevice(port) || IsLoopbackGateway(port)))
            found.push_back({{pid, name}, port});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    std::vector<std::string> ports;
    for (const auto& f : found)
        ports.push_back(f.second);
    return ports;
}

} // namespace emu
