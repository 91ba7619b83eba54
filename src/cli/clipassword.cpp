// Where the password comes from, so that no other user of the machine sees it: a file, the
// environment, or a prompt on the terminal without echo; the argument still works for scripts
// on a machine of one's own.

#include "cli/clicommands.h"
#include "cli/clifileread.h"
#include "cli/clisession.h"

#include <cstdlib>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#else
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
    const bool got = bool(std::getline(std::cin, line));
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
