#pragma once
// Start-up: the application object and the main window; every other window is made when its
// command opens it.

#include <QApplication>
#include <functional>

class MainWindow;

// The application object: an error that escapes a command ends that command only; it is shown
// (in an error box unless another display is set) and the program goes on with the next event.
class LumApplication : public QApplication {
public:
    LumApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    void SetErrorDisplay(std::function<void(const QString&)> display) {
        display_ = std::move(display);
    }

private:
    std::function<void(const QString&)> display_;
};

// Installs the toolkit's Russian translations and the Russian locale; false when the
// translations were not found (the toolkit's dialogs then stay in English).
bool LoadToolkitTranslations(QCoreApplication& app);

// Runs the program: shows the main window and runs the message loop until it closes. A file
// named opens once the password is given.
int RunProgram(QApplication& app, const QString& file = QString());
