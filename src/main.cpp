#include "app/startup.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

namespace {

// An error that escapes a command is shown, and the program goes on with the next event.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(nullptr, QString::fromUtf8("Ошибка"),
                                  QString::fromLocal8Bit(e.what()));
        } catch (...) {
            QMessageBox::critical(nullptr, QString::fromUtf8("Ошибка"),
                                  QString::fromUtf8("Непредвиденная ошибка"));
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    return RunProgram(app);
}
