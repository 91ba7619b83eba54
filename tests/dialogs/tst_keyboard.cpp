// The keyboard and the wheel in the real windows: accelerators that keep the texts' letters,
// "Устр. №" that changes only by an explicit choice, Esc that closes the windows with a close,
// Enter that closes "Различия", and the first field focused when a window opens.

#include "dialogs/accelerators.h"
#include "dialogs/delaydialog.h"
#include "dialogs/differencesdialog.h"
#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"
#include "network/f15blockeditor.h"
#include "network/networkwindow.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QWheelEvent>

#include <functional>

namespace {

// The letter after the accelerator's '&', lower case.
QChar Marked(const QString& text) {
    const qsizetype at = text.indexOf('&');
    return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
}

// Opens a window with open and presses Esc in it; whether it closed.
bool EscCloses(GuiHarness& h, const std::function<void()>& open) {
    bool closed = false;
    h.OnModal([&](QDialog& d) {
        QWidget* target = d.focusWidget() ? d.focusWidget() : &d;
        QTest::keyClick(target, Qt::Key_Escape);
        closed = !d.isVisible();
    });
    open();
    return closed;
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void acceleratorsKeepTheLetters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("taken");
        QTest::addColumn<QString>("marked");
        QTest::newRow("first letter") << U("Ввод с СОМ-порта") << "" << U("&Ввод с СОМ-порта");
        QTest::newRow("next word") << U("Вывод на СОМ-порт") << U("в") << U("Вывод &на СОМ-порт");
        QTest::newRow("inside a word") << U("Вывод") << U("в") << U("В&ывод");
        QTest::newRow("spaces kept") << U("   Файл   ") << "" << U("   &Файл   ");
        QTest::newRow("has one") << U("О &программе") << "" << U("О &программе");
        QTest::newRow("none free") << U("Да") << U("да") << U("Да");
        // A Latin T typed in a Russian word is passed over; a Latin letter that looks like a
        // taken Cyrillic one counts as taken.
        QTest::newRow("latin in russian word") << U("Tип входного") << "" << U("Tип &входного");
        QTest::newRow("looks like с") << U("Com") << U("с") << U("C&om");
        QTest::newRow("looks like н") << U("Hold") << U("н") << U("H&old");
    }
    void acceleratorsKeepTheLetters() {
        QFETCH(QString, text);
        QFETCH(QString, taken);
        QFETCH(QString, marked);
        QCOMPARE(WithAccelerator(text, taken), marked);
    }

    // Every title of the main window's menu bar, every item of its menus and of the test
    // button's menu has one of its own in its menu.
    void mainMenusHaveDistinctAccelerators() {
        GuiHarness h;
        QList<QList<QAction*>> menus{h.Main().menuBar()->actions(), h.Main().testMenu->actions()};
        for (QAction* title : h.Main().menuBar()->actions() + h.Main().testMenu->actions())
            if (title->menu())
                menus << title->menu()->actions();
        for (const QList<QAction*>& menu : menus) {
            QSet<QChar> letters;
            for (QAction* a : menu) {
                // Unused places of the last files' list are hidden.
                if (a->isSeparator() || !a->isVisible())
                    continue;
                const QChar c = Marked(a->text());
                QVERIFY2(!c.isNull(), qPrintable(a->text()));
                QVERIFY2(!letters.contains(c), qPrintable(a->text()));
                letters << c;
            }
        }
        QCOMPARE(h.Main().readAction->text().remove('&'), U("Ввод с СОМ-порта"));
    }

    // The wheel and the arrows over the closed "Устр. №" choose nothing.
    void deviceNumberChangesOnlyByAChoice() {
        GuiHarness h;
        QComboBox* box = h.Main().deviceNumberBox;
        box->setFocus();
        QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_End, Qt::Key_2})
            QTest::keyClick(box, key);
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(h.Main().Modules().BusNumber, 0);
    }

    void escClosesTheWindowsWithAClose() {
        GuiHarness h;
        h.GrantAccess();
        h.ReadDevice();
        QVERIFY(EscCloses(h, [&] { h.Main().PortSettingsClick(); }));
        QVERIFY(EscCloses(h, [&] { h.Main().InputsTableClick(); }));
        QVERIFY(EscCloses(h, [&] { h.Main().ClockClick(); }));
        QVERIFY(EscCloses(h, [&] { h.Main().F15BlocksClick(); }));
        // The F15 block editor, opened from the block list.
        bool editorClosed = false;
        h.OnModal([&](QDialog& d) {
            Click(static_cast<NetworkWindow&>(d).BlockButtons[0]);
            h.Op().Answer(MsgButton::No);
        });
        h.OnModal([&](QDialog& d) {
            QTest::keyClick(d.focusWidget() ? d.focusWidget() : &d, Qt::Key_Escape);
            editorClosed = !d.isVisible();
        });
        h.Main().F15BlocksClick();
        QVERIFY(editorClosed);
    }

    void enterClosesTheDifferencesAndCopiesNothing() {
        GuiHarness h;
        QGuiApplication::clipboard()->setText("before");
        int result = -1;
        h.OnModal([&](QDialog& d) {
            auto& list = static_cast<DifferencesDialog&>(d);
            QCOMPARE(d.focusWidget(), static_cast<QWidget*>(list.List));
            QTest::keyClick(list.List, Qt::Key_Return);
            result = d.isVisible() ? -1 : d.result();
        });
        ShowDifferences(h.Main(), U("Различия:"), {"a → b"});
        QCOMPARE(result, int(mr::Ok));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
    }

    // A window reused from its last showing, where the focus was left on a button, opens with
    // its field focused: digits typed at once land in it.
    void firstFieldIsFocusedWhenAWindowOpens() {
        GuiHarness h;
        DelayDialog delay(h.Main(), &h.Main());
        for (int round = 0; round < 2; ++round) {
            QString typed;
            h.OnModal([&](QDialog& d) {
                QCOMPARE(d.focusWidget(), static_cast<QWidget*>(delay.delayEdit));
                QTest::keyClicks(d.focusWidget(), "42");
                typed = delay.delayEdit->text();
                delay.OK->setFocus(); // the operator moved on to the button
            });
            h.Main().showModal(delay);
            QCOMPARE(typed, QString("42"));
        }
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
