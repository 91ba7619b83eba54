// Double clicks on a row's signalling and delay panels: the dialog is filled from the input's
// record, and what the operator chose goes back into the record and the panel.

#include "helper_scheme.h"

#include "dialogs/delaydialog.h"
#include "dialogs/signallingdialog.h"
#include "model/inputprogram.h"
#include "scheme/alarmcell.h"
#include "scheme/delaycell.h"
#include "scheme/inputcell.h"
#include "scheme/schemecolors.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace schemetest;

class TestPanelDialogs : public QObject {
    Q_OBJECT

private slots:
    void signallingByDoubleClick_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QColor>("light");
        QTest::addColumn<int>("color");
        QTest::addColumn<bool>("sound");
        QTest::newRow("indication") << 3 << U("инд") << QColor(0, 255, 0) << 2 << true;
        QTest::newRow("warning") << 1 << U("пред") << QColor(255, 255, 0) << 6 << true;
        QTest::newRow("none") << 0 << U("т сиг") << QColor(255, 255, 255) << 0 << false;
    }
    void signallingByDoubleClick() {
        QFETCH(int, type);
        QFETCH(QString, caption);
        QFETCH(QColor, light);
        QFETCH(int, color);
        QFETCH(bool, sound);
        GuiHarness h;
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        h.ForgetEdits();
        int flagWhileShown = -1;
        QString heading;
        bool filledRed = false;
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            h.OnModal([&](QDialog& d) {
                auto& sig = static_cast<SignallingDialog&>(d);
                heading = Part<QLabel>(sig, "inputCaption")->text();
                filledRed = sig.ColorIndex() == 0 && sig.AlarmType() == 2 && sig.Sound() == 1;
                flagWhileShown = h.Changed() ? 1 : 0;
                ClickMark(Part<QRadioButton>(sig, QString("alarmType%1").arg(type)));
                Click(Part<QPushButton>(sig, "OK"));
            });
            DoubleClick(e.alarmCells[1]);
            QCOMPARE(e.SelectedInput, 7);
            QCOMPARE(e.MarkedRows[1], 1);
            QVERIFY(e.RowSelected(1));
            QCOMPARE(e.alarmCells[1]->Caption(), caption);
            QCOMPARE(StaticTextColor(e.alarmCells[1]->Text()), light);
            QCOMPARE(bool(e.soundMarks[1]), sound);
            if (sound) {
                QCOMPARE(e.soundMarks[1]->geometry(), QRect(498, 54 + 6, 14, 14));
                QVERIFY(Shown(e.soundMarks[1]));
            }
            QVERIFY(e.alarmCells[1] != nullptr); // the panel stays until rebuilt
            h.ForgetEdits();                     // close without the question
        });
        QCOMPARE(heading, QString("8      DI_2_2    "));
        QVERIFY(filledRed);
        QCOMPARE(flagWhileShown, 0); // filling is no change
        QCOMPARE(inputProgram.GetAlarmType(7), type);
        QCOMPARE(inputProgram.GetColor(7), color);
        QCOMPARE(inputProgram.GetSound(7), int(sound));
    }

    void delayByDoubleClick_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("warnings");
        QTest::newRow("60") << "60" << 60 << 0;
        QTest::newRow("75") << "75" << 0 << 2;
        QTest::newRow("0") << "0" << 0 << 1;
    }
    void delayByDoubleClick() {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(int, warnings);
        GuiHarness h;
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        h.ForgetEdits();
        QString filled;
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            e.show();
            h.OnModal([&](QDialog& d) {
                auto& za = static_cast<DelayDialog&>(d);
                filled = za.delayEdit->text();
                QVERIFY(!h.Changed());
                za.delayEdit->selectAll();
                QTest::keyClicks(za.delayEdit, typed);
                QVERIFY(!h.Changed()); // the record changes on OK only
                Click(za.OK);
            });
            DoubleClick(e.delayCells[3]);
            QCOMPARE(e.delayCells[3]->Text()->text(), QString::number(stored));
            h.ForgetEdits();
        });
        QCOMPARE(filled, QString("15"));
        QCOMPARE(inputProgram.GetDelay(9), stored);
        QCOMPARE(int(h.Op().Shown().size()), warnings);
        QCOMPARE(h.ModalTitles().last(), U("Программ. задерж. выходов ЛУМ-08"));
    }
};

QTEST_MAIN(TestPanelDialogs)
#include "tst_paneldialogs.moc"
