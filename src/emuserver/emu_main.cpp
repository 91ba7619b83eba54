// lum08-emu: ЛУМ-08 devices on a pseudo-terminal, or behind an emulated Ethernet gateway on a
// loopback port, for trying and testing the programmer without hardware. Prints the port's name
// first (the terminal's path, or tcp://127.0.0.1:PORT), then serves until SIGTERM or SIGINT.

#include "emu/console.h"
#include "emu/device.h"
#include "emu/options.h"
#include "emuserver/ptyserver.h"
#include "emuserver/registry.h"
#include "emuserver/tcpserver.h"
#include "version/version.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::atomic<emu::LineServer*> gServer{nullptr};
volatile std::sig_atomic_t gStopSignal = 0;

extern "C" void OnSignal(int) {
    gStopSignal = 1;
    if (emu::LineServer* server = gServer.load())
        server->RequestStop();
}

void InstallSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN); // a reader that went away must not kill the line
}

// Replaces an existing symbolic link (never a real file) by one to the port.
bool MakeLink(const std::string& link, const std::string& target) {
    struct stat st;
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(
                stderr,
                "lum08-emu: --link %s: файл существует и не является символической ссылкой\n",
                link.c_str());
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "lum08-emu: --link %s: %s\n", link.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

// Removes the link only while it still points to our port (another emulator may have taken it).
void RemoveLink(const std::string& link, const std::string& target) {
    char buf[4096];
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<size_t>(n)) == target)
        ::unlink(link.c_str());
}

// Reads what standard input has, runs each complete line; false once it is closed.
class CommandInput {
public:
    CommandInput(emu::Console& console, emu::LineServer& server, bool quitOnEof)
        : console_(console), server_(server), quitOnEof_(quitOnEof) {}

    bool OnReadable() {
        char buf[4096];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return true;
        if (n <= 0) {
            if (quitOnEof_)
                server_.RequestStop();
            return false;
        }
        pending_.append(buf, static_cast<size_t>(n));
        for (size_t nl; (nl = pending_.find('\n')) != std::string::npos;) {
            std::string line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            for (const auto& out : console_.Execute(line))
                std::cout << out << '\n';
            std::cout.flush();
            if (console_.QuitRequested())
                server_.RequestStop();
        }
        return true;
    }

private:
    emu::Console& console_;
    emu::LineServer& server_;
    bool quitOnEof_;
    std::string pending_;
};

std::unique_ptr<emu::LineServer> MakeServer(const emu::EmuOptions& options) {
    if (options.line == emu::EmuLine::Pty)
        return std::make_unique<emu::PtyServer>();
    return std::make_unique<emu::TcpServer>(options.line == emu::EmuLine::ModbusTcp
                                                ? emu::TcpServer::Framing::ModbusTcp
                                                : emu::TcpServer::Framing::RtuOverTcp,
                                            options.listenHost, options.listenPort);
}

int Serve(const emu::EmuOptions& options) {
    std::vector<std::unique_ptr<emu::Device>> devices;
    std::vector<emu::Device*> raw;
    const std::unique_ptr<emu::LineServer> line = MakeServer(options);
    emu::LineServer& server = *line;
    server.SetLineSpeed(options.speed);
    for (int address : options.addresses) {
        auto d = std::make_unique<emu::Device>();
        d->SetAddress(address);
        d->SetModules(options.modules);
        d->SetBusyAfterWrite(options.busy);
        d->SetClock(options.clock ? *options.clock : emu::LocalClock());
        d->SetClockFrozen(options.clockFrozen);
        d->SetFaults(options.faults);
        d->SeedFaults(options.seed + devices.size());
        server.AddDevice(*d, options.speeds.empty() ? 0 : options.speeds[devices.size()]);
        raw.push_back(d.get());
        devices.push_back(std::move(d));
    }
    server.SetPacing(options.pacing);
    std::string error;
    if (!server.Open(&error)) {
        if (options.line == emu::EmuLine::Pty)
            std::fprintf(stderr, "lum08-emu: не удается открыть псевдотерминал: %s\n",
                         error.c_str());
        else
            std::fprintf(stderr, "lum08-emu: не удается открыть порт TCP: %s\n", error.c_str());
        return 1;
    }
    const std::string port = server.PortName();
    if (!options.link.empty() && !MakeLink(options.link, port))
        return 1;
    emu::PortRegistration registration;
    if (options.registerPort && !registration.Register(port, &error))
        std::fprintf(stderr, "lum08-emu: порт не внесен в список для программы: %s\n",
                     error.c_str());
    // a signal that came before the server could take it still ends the run
    gServer = &server;
    if (gStopSignal)
        server.RequestStop();
    std::cout << port << std::endl;

    emu::Console console(raw, &server);
    CommandInput input(console, server, options.quitOnEof);
    server.WatchInput(STDIN_FILENO, [&input] { return input.OnReadable(); });
    server.Run();
    gServer = nullptr;
    if (!options.link.empty())
        RemoveLink(options.link, port);
    return server.HungUp() ? 3 : 0; // 3: a hangup fault took the line away
}

} // namespace

int main(int argc, char** argv) {
    emu::EmuOptions options;
    std::string error;
    if (!emu::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        std::fprintf(stderr, "lum08-emu: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::cout << emu::UsageText();
        return 0;
    }
    if (options.version) {
        std::cout << LumVersionLine("lum08-emu") << '\n';
        return 0;
    }
    InstallSignals();
    return Serve(options);
}
