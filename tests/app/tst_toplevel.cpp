// An error that escapes a command reaches the application object, is shown, and the program
// goes on handling events.

#include "app/startup.h"

#include <QTest>
#include <QTimer>
#include <stdexcept>

class Thrower : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("port component failed");
        return QObject::event(e);
    }
};

class TestTopLevel : public QObject {
    Q_OBJECT
private slots:
    void escapingErrorIsShownAndTheLoopGoesOn() {
        auto* app = static_cast<LumApplication*>(QCoreApplication::instance());
        QStringList shown;
        app->SetErrorDisplay([&shown](const QString& text) { shown << text; });
        Thrower thrower;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        bool later = false;
        QTimer::singleShot(0, [&later] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(shown, QStringList{"port component failed"});
    }
};

int main(int argc, char** argv) {
    LumApplication app(argc, argv);
    TestTopLevel test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_toplevel.moc"
