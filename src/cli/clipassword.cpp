// Where the password comes from, so that no other user of the machine sees it: a file, the
// environment, or a prompt on the terminal without echo; the argument still works for scripts
// on a machine of one's own.

#include "cli/clicommands.h"
#include "cli/clifileread.h"
#include "cli/clisession.h"
#include "cli/clistop.h"

#include <cstdlib>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#else
#include <cerrno>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

const char* const kVariable = "LUM08_PASSWORD";
// A password file holds a line of a few digits; anything much longer is no password file.
constexpr size_t kPasswordFileMax = 1024;

// The first line, without its line end.
std::string FirstLine(const std::vector<uint8_t>& bytes) {
    std::string line(bytes.begin(), bytes.end());
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

bool InputIsTerminal() {
#ifdef _WIN32
    return _isatty(0) != 0;
#else
    return ::isatty(0) != 0;
#endif
}

#ifndef _WIN32
// A line from standard input, waited for in short turns so that a stop (Ctrl+C, SIGTERM, the
// deadline) ends the wait; false at its end or at the stop.
bool ReadLine(std::string& line) {
    for (;;) {
        if (CliStop::Due())
            return false;
        pollfd p{0, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t n = ::read(0, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return !line.empty();
        if (c == '\n')
            return true;
        line += c;
    }
}
#endif

// Reads a line from the terminal without showing it.
std::optional<std::string> Prompt(std::ostream& err) {
    err << "Пароль: ";
    err.flush();
    std::string line;
#ifdef _WIN32
    for (int c = _getch(); c != '\r' && c != '\n' && c != EOF; c = _getch())
        line += char(c);
#else
    termios saved{};
    const bool quiet = ::tcgetattr(0, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(0, TCSAFLUSH, &silent);
    }
    const bool got = ReadLine(line);
    if (quiet)
        ::tcsetattr(0, TCSAFLUSH, &saved);
    if (!got) {
        err << '\n';
        return std::nullopt;
    }
#endif
    err << '\n';
    return line;
}

} // namespace

bool FindPassword(CliArgs& args, CliConsole& console) {
    if (args.password)
        return true;
    if (args.passwordFile) {
        bool othersMayRead = false;
        const auto bytes =
            ReadForCommand(*args.passwordFile, kPasswordFileMax, false,
                           "Файл пароля не удается открыть", console, &othersMayRead);
        if (!bytes)
            return false;
        // As ssh says of a key: the password is only as safe as its file.
        if (othersMayRead)
            console.Warn("password-file", "Файл пароля " + *args.passwordFile +
                                              " доступен для чтения другим пользователям: "
                                              "закройте его (chmod 600 " +
                                              *args.passwordFile + ")");
        args.password = FirstLine(*bytes);
        return true;
    }
    if (const char* value = std::getenv(kVariable)) {
        args.password = value;
        return true;
    }
    if (InputIsTerminal())
        args.password = Prompt(console.err);
    return true; // without one the access check tells what to do
}
