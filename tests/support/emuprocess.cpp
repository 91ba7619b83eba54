#include "support/emuprocess.h"

#include "support/testline.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int MillisLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

template <size_t N> bool HexInto(std::istringstream& in, std::array<uint8_t, N>& out) {
    for (auto& b : out) {
        std::string w;
        if (!(in >> w) || w.size() != 2)
            return false;
        char* end = nullptr;
        const long v = std::strtol(w.c_str(), &end, 16);
        if (*end != '\0')
            return false;
        b = static_cast<uint8_t>(v);
    }
    std::string extra;
    return !(in >> extra);
}

bool ParseDumpLine(const std::string& line, EmuDump* d) {
    std::istringstream in(line);
    std::string key;
    in >> key;
    if (key == "address")
        return static_cast<bool>(in >> d->address);
    if (key == "config")
        return HexInto(in, d->config);
    if (key == "block") {
        int b = 0;
        return (in >> b) && b >= 1 && b <= 6 && HexInto(in, d->blocks[size_t(b - 1)]);
    }
    if (key == "image")
        return HexInto(in, d->image);
    if (key == "clock")
        return HexInto(in, d->clock);
    if (key == "busy")
        return static_cast<bool>(in >> d->busyLeft >> d->busyAfterWrite);
    if (key == "requests")
        return static_cast<bool>(in >> d->requests);
    return false;
}

} // namespace

EmuProcess::~EmuProcess() {
    if (pid_ > 0 && Terminate(3000) == -1)
        Kill();
    CloseAll();
}

std::string EmuProcess::BinaryPath() {
    const char* dir = std::getenv("LUM_BIN_DIR");
#ifdef LUM_BIN_DIR
    const std::string base = dir && *dir ? dir : LUM_BIN_DIR;
#else
    const std::string base = dir && *dir ? dir : ".";
#endif
    return base + "/lum08-emu";
}

bool EmuProcess::Start(const std::vector<std::string>& args, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    if (pid_ > 0)
        return fail("already started");
    // a command written to an emulator that has just died must fail, not kill the test
    struct sigaction old {};
    if (::sigaction(SIGPIPE, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
        ::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
        return fail(std::string("pipe: ") + std::strerror(errno));
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return fail(std::string("pipe: ") + std::strerror(errno));
    }
    std::vector<std::string> argv{BinaryPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    // The kind of line the tests run on, unless the test chose one itself.
    bool chosen = false;
    for (const std::string& a : args)
        chosen = chosen || a == "--tcp" || a == "--mbtcp";
    if (!chosen)
        for (const std::string& a : EmulatorLineOptions())
            argv.push_back(a);
    argv.push_back("--quit-on-eof");
    std::vector<char*> cargv;
    for (auto& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const int rc = ::posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
    if (rc != 0) {
        pid_ = -1;
        CloseAll();
        return fail(argv[0] + ": " + std::strerror(rc));
    }
    if (!ReadLine(&port_, 5000) || port_.empty()) {
        const int status = Terminate(1000);
        return fail(argv[0] + " printed no port (exit status " + std::to_string(status) + ")");
    }
    return true;
}

bool EmuProcess::Running() {
    if (pid_ <= 0)
        return false;
    return Reap(0) == -2;
}

bool EmuProcess::ReadLine(std::string* line, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const size_t nl = buffered_.find('\n');
        if (nl != std::string::npos) {
            *line = buffered_.substr(0, nl);
            buffered_.erase(0, nl + 1);
            return true;
        }
        if (fromChild_ < 0)
            return false;
        pollfd p{fromChild_, POLLIN, 0};
        const int r = ::poll(&p, 1, MillisLeft(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        char buf[4096];
        const ssize_t n = ::read(fromChild_, buf, sizeof buf);
        if (n <= 0)
            return false;
        buffered_.append(buf, static_cast<size_t>(n));
    }
}

bool EmuProcess::Command(const std::string& line, std::vector<std::string>* output, int timeoutMs) {
    if (output)
        output->clear();
    if (toChild_ < 0)
        return false;
    const std::string text = line + "\n";
    if (::write(toChild_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (std::string reply; ReadLine(&reply, MillisLeft(deadline));) {
        if (reply == "ok")
            return true;
        if (output)
            output->push_back(reply);
        if (reply.rfind("error:", 0) == 0)
            return false;
    }
    return false;
}

std::optional<EmuDump> EmuProcess::Dump() {
    std::vector<std::string> lines;
    EmuDump dump;
    if (!Command("dump", &lines) || !ParseDump(lines, &dump))
        return std::nullopt;
    return dump;
}

bool EmuProcess::ParseDump(const std::vector<std::string>& lines, EmuDump* dump) {
    if (lines.size() != 12)
        return false;
    for (const auto& l : lines)
        if (!ParseDumpLine(l, dump))
            return false;
    return true;
}

int EmuProcess::Reap(int timeoutMs) {
    if (pid_ <= 0)
        return status_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            CloseAll();
            return status_;
        }
        if (r < 0 && errno != EINTR) {
            pid_ = -1;
            return status_ = -1;
        }
        if (Clock::now() >= deadline)
            return -2; // still running
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

int EmuProcess::Terminate(int timeoutMs) {
    if (pid_ <= 0)
        return status_;
    ::kill(pid_, SIGTERM);
    const int status = Reap(timeoutMs);
    if (status != -2)
        return status;
    Kill();
    return -1;
}

void EmuProcess::Kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    Reap(5000);
    status_ = -1;
}

void EmuProcess::CloseAll() {
    if (toChild_ >= 0)
        ::close(toChild_);
    if (fromChild_ >= 0)
        ::close(fromChild_);
    toChild_ = fromChild_ = -1;
}
