#include "support/qtcoreapp.h"

#include <QCoreApplication>

QCoreApplication& EnsureCoreApplication() {
    if (QCoreApplication* existing = QCoreApplication::instance())
        return *existing;
    static int argc = 1;
    static char name[] = "lum08-tests";
    static char* argv[] = {name, nullptr};
    // Held by a static pointer until the end of the process, on purpose.
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}
