#include "app/commandline.h"

#include "version/version.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "Использование: lum08 [ФАЙЛ.lum | --version | --help | --self-test]\n"
    "Программатор ЛУМ-08: чтение, правка, хранение и запись конфигурации "
    "прибора по линии RS-485.\n"
    "\n"
    "  ФАЙЛ.lum     открыть файл конфигурации, как команда «Открыть файл конфигурации»\n"
    "               (после пароля, который спрашивается при каждом запуске)\n"
    "  --version    показать версию программы и выйти\n"
    "  --self-test  самопроверка: открыть главное окно на встроенном "
    "эмуляторе прибора,\n"
    "               прочитать его и выйти (код 0 — успешно); без экрана: "
    "QT_QPA_PLATFORM=offscreen\n"
    "  --help       этот текст\n";

// The toolkit's own options, which it also takes with two dashes (--platform offscreen).
bool IsToolkitOption(const char* arg) {
    static const char* const names[] = {"platform",        "platformpluginpath",
                                        "platformtheme",   "plugin",
                                        "qwindowgeometry", "qwindowicon",
                                        "qwindowtitle",    "reverse",
                                        "session",         "style",
                                        "stylesheet",      "widgetcount",
                                        "display",         "geometry",
                                        "title",           "name",
                                        "visual",          "sync",
                                        "nograb",          "dograb",
                                        "qmljsdebugger",   "testability"};
    std::string name = arg + 2;
    name = name.substr(0, name.find('='));
    for (const char* known : names)
        if (name == known)
            return true;
    return false;
}

} // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        const bool ours = std::strcmp(argv[i], "--version") == 0 ||
                          std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
                          std::strcmp(argv[i], "--self-test") == 0;
        if (!ours && std::strncmp(argv[i], "--", 2) == 0 && !IsToolkitOption(argv[i])) {
            std::fprintf(stderr, "lum08: неизвестный параметр %s\n", argv[i]);
            std::fputs(kUsage, stderr);
            return {CommandLine::Action::Exit, 2};
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", LumVersionLine("lum08").c_str());
            return {CommandLine::Action::Exit, 0};
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return {CommandLine::Action::Exit, 0};
        }
        if (std::strcmp(argv[i], "--self-test") == 0)
            result.action = CommandLine::Action::SelfTest;
    }
    return result;
}

QString StartFile(const QStringList& arguments) {
    // The toolkit has taken its own options (-platform offscreen, -style ...) out already.
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (!arguments[i].startsWith('-'))
            return arguments[i];
    return QString();
}
