// The scheme's rows from the keyboard: the arrows select the row above or below, Enter opens
// the row's menu with the block commands, each with its own underlined letter; the delay dialog
// that a double click opens takes the digits typed at once.

#include "helper_scheme.h"

#include "dialogs/delaydialog.h"
#include "model/inputprogram.h"
#include "scheme/delaycell.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QSet>
#include <QTest>

using namespace schemetest;

class TestRowKeys : public QObject {
    Q_OBJECT

private slots:
    void arrowsSelectRowsAndEnterOpensTheRowMenu() {
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            QWidget* scheme = e.schemeScroll;
            const int rows[] = {0, 1, 2, 1, 0, 0};
            const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down,
                                    Qt::Key_Up,   Qt::Key_Up,   Qt::Key_Up};
            for (int i = 0; i < 6; ++i) {
                QTest::keyClick(scheme, keys[i]);
                for (int k = 0; k < SchemeEditor::RowCount; ++k)
                    QCOMPARE(e.RowSelected(k), k == rows[i]);
                QCOMPARE(e.SelectedCell, rows[i]);
            }
            QTest::keyClick(scheme, Qt::Key_Return);
            QTRY_VERIFY(e.contextMenu->isVisible());
            e.contextMenu->close();
            // Its items (and the menu bar's) each underline a letter no other item shows.
            for (const QList<QAction*>& menu : {e.contextMenu->actions(), e.menuBar_->actions(),
                                                e.menuBar_->actions().front()->menu()->actions()}) {
                QSet<QChar> letters;
                for (QAction* a : menu) {
                    const qsizetype at = a->text().indexOf('&');
                    if (a->isSeparator() || !a->isVisible())
                        continue;
                    QVERIFY2(at >= 0 && !letters.contains(a->text()[at + 1].toLower()),
                             qPrintable(a->text()));
                    letters << a->text()[at + 1].toLower();
                }
            }
        });
    }

    void delayDialogOpenedByDoubleClickTakesTypedDigits() {
        GuiHarness h;
        ReadDevice(h);
        QString typed;
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            h.OnModal([&](QDialog& d) {
                auto& delay = static_cast<DelayDialog&>(d);
                QTest::keyClicks(d.focusWidget(), "17");
                typed = delay.delayEdit->text();
            });
            for (QWidget* w : e.findChildren<DelayCell*>())
                if (Shown(w)) {
                    DoubleClick(w);
                    break;
                }
        });
        QCOMPARE(typed, QString("17"));
    }
};

QTEST_MAIN(TestRowKeys)
#include "tst_rowkeys.moc"
