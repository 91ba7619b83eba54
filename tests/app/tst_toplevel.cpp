// An error that escapes a command reaches the application object, is shown, and the program
// goes on handling events.

#include "app/configurationdialog.h"
#include "app/mainwindow.h"
#include "app/passworddialog.h"
#include "app/startup.h"
#include "clock/clockwindow.h"
#include "dialogs/delaydialog.h"
#include "dialogs/labeldialog.h"
#include "dialogs/lumdialog.h"
#include "dialogs/qtoperator.h"
#include "dialogs/signallingdialog.h"
#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"
#include "network/f15blockeditor.h"
#include "network/networkwindow.h"
#include "port/portdialog.h"
#include "port/timingdialog.h"
#include "report/inputstable.h"
#include "scheme/schemeeditor.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

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

    // The toolkit's own dialogs speak Russian: their buttons, labels and messages.
    void toolkitTranslationsLoaded() {
        QVERIFY2(LoadToolkitTranslations(*QCoreApplication::instance()),
                 "qtbase_ru.qm not found: install qt6-translations-l10n");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), U("Отмена"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"), U("&Имя файла:"));
        QCOMPARE(QCoreApplication::translate("QPrintDialog", "&Print"), U("&Печать"));
        QCOMPARE(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), U("Папка"));
        QVERIFY(QCoreApplication::translate("QFileDialog", "%1\nFile not found.\nPlease verify the "
                                                           "correct file name was given.")
                    .contains(U("Файл не найден")));
    }

    // Every window carries its own caption and nothing else (the window system adds the
    // application's name to a title when one is set): the main window and the password prompt
    // as the program starts, every other window as its command makes it.
    void startUpCaptionsAsGiven() {
        const std::map<QString, QString> captions = {
            {"MainWindow", U("Программатор ЛУМ - 08")},
            {"PasswordDialog", U("Введите пароль и нажмите  <ENTER>")},
            {"ConfigurationDialog", U("Задание конфигурации")},
            {"SchemeEditor", U("Программирование обработки дискретных входов")},
            {"ExchangeTimingDialog", U("Настройка параметров обмена")},
            {"PortDialog", U("Настройка СОМ-порта")},
            {"SignallingDialog", U("Программирование сигнализации ЛУМ-08")},
            {"LabelDialog", U("Задание текстового реквизита входа")},
            {"DelayDialog", U("Программ. задерж. выходов ЛУМ-08")},
            {"NetworkWindow", U("Локальная сеть RS-485")},
            {"InputsTableWindow", U("Информация о входах")},
            {"ClockWindow", U("Задание времени и даты")},
            {"F15BlockEditor", U("Программирование функционального блока MBM")},
        };
        std::map<QString, QString> seen;
        bool answered = false;
        QTimer operatorHand;
        operatorHand.setInterval(10);
        connect(&operatorHand, &QTimer::timeout, [&] {
            if (auto* prompt = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget())) {
                seen["PasswordDialog"] = prompt->windowTitle();
                Part<QLineEdit>(*prompt, "passwordEdit")->clear();
                QTest::keyClick(Part<QLineEdit>(*prompt, "passwordEdit"),
                                Qt::Key_Return); // basic access
                answered = true;
                return;
            }
            if (!answered)
                return;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<MainWindow*>(w)) {
                    seen["MainWindow"] = w->windowTitle();
                    w->close();
                }
        });
        operatorHand.start();
        auto* app = static_cast<QApplication*>(QCoreApplication::instance());
        QCOMPARE(RunProgram(*app), 0);
        QVERIFY(answered);

        GuiHarness h;
        MainWindow& main = h.Main();
        PortChoices choices;
        std::vector<std::unique_ptr<QWidget>> windows;
        windows.push_back(std::make_unique<ConfigurationDialog>(main, &main));
        windows.push_back(std::make_unique<SchemeEditor>(main, &main));
        windows.push_back(
            std::make_unique<ExchangeTimingDialog>(main.Engine(), main.Settings(), &main));
        windows.push_back(std::make_unique<PortDialog>(main, choices, &main));
        windows.push_back(std::make_unique<SignallingDialog>(main, &main));
        windows.push_back(std::make_unique<LabelDialog>(main, &main));
        windows.push_back(std::make_unique<DelayDialog>(main, &main));
        windows.push_back(std::make_unique<NetworkWindow>(main, &main));
        windows.push_back(std::make_unique<InputsTableWindow>(main, &main));
        windows.push_back(std::make_unique<ClockWindow>(main, &main));
        windows.push_back(std::make_unique<F15BlockEditor>(main, nullptr, &main));
        for (const auto& w : windows)
            seen[w->metaObject()->className()] = w->windowTitle();
        for (const auto& [window, caption] : captions)
            QCOMPARE(seen[window], caption);
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    }

    // A box with a short text is still as wide as its caption, and its buttons are Russian.
    void narrowBoxShowsItsCaptionWhole() {
        QtOperator op;
        QString title;
        int width = 0;
        int titleWidth = 0;
        QStringList buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            width = box->width();
            titleWidth =
                QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(title);
            for (QAbstractButton* b : box->buttons())
                buttons << b->text();
            box->button(QMessageBox::No)->click();
        });
        op.Ask({"Закончить?",
                "Подтвердите окончание ",
                MsgIcon::Question,
                {MsgButton::Yes, MsgButton::No},
                MsgButton::No});
        QCOMPARE(title, U("Подтвердите окончание "));
        QVERIFY2(width >= titleWidth, qPrintable(QString("%1 <= %2").arg(width).arg(titleWidth)));
        QCOMPARE(buttons.size(), 2);
        for (const QString& b : buttons)
            QVERIFY2(!b.contains(QRegularExpression("[A-Za-z]")), qPrintable(b));
    }
};

int main(int argc, char** argv) {
    LumApplication app(argc, argv);
    TestTopLevel test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_toplevel.moc"
