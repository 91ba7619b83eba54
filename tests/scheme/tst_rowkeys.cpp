// The scheme's rows from the keyboard: the arrows select the row above or below, Enter opens
// the row's menu with the block commands; the delay dialog that a double click opens takes the
// digits typed at once.

#include "helper_scheme.h"

#include "dialogs/delaydialog.h"
#include "model/inputprogram.h"
#include "scheme/delaycell.h"

#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
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
