// Construction of a module's scheme from the model: rows, positions, texts, blocks, the
// module-level group, rebuilding and the window's own keys.

#include "helper_scheme.h"

#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "scheme/alarmcell.h"
#include "scheme/cellbutton.h"
#include "scheme/delaycell.h"
#include "scheme/glyphbutton.h"
#include "scheme/inputcell.h"
#include "scheme/relaycell.h"
#include "scheme/schemeline.h"
#include "scheme/schemeshape.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace schemetest;

namespace {
QColor Sign(const AlarmCell* p) {
    return StaticTextColor(p->Text());
}
} // namespace

class TestConstruction : public QObject {
    Q_OBJECT

private slots:
    // Every row of every module: which blocks are drawn, what they show, where the line ends.
    void rows_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("sign"); // caption, empty: no panel
        QTest::addColumn<QColor>("light"); // number text colour
        QTest::addColumn<bool>("sound");
        QTest::addColumn<QString>("delay"); // empty: no panel
        QTest::addColumn<bool>("relay");
        QTest::addColumn<int>("lineWidth");
        const QColor none;
        const QColor red(255, 0, 0), lime(0, 255, 0), yellow(255, 255, 0), white(255, 255, 255);
        QTest::newRow("МЛВ 0 warning yellow, delay 5")
            << 1 << 0 << U("пред") << yellow << false << "5" << false << 372;
        QTest::newRow("МЛВ 1 delay and relay")
            << 1 << 1 << "" << none << false << "15" << true << 512;
        QTest::newRow("МЛВ 2 all three")
            << 1 << 2 << U("авар") << red << true << "15" << true << 512;
        QTest::newRow("МЛВ 3 nothing") << 1 << 3 << "" << none << false << "" << false << 0;
        QTest::newRow("МЛВ 4 colour without alarm")
            << 1 << 4 << "" << none << false << "" << false << 0;
        QTest::newRow("МЛВ 5 unusual colour")
            << 1 << 5 << U("авар") << white << false << "" << false << 202;
        QTest::newRow("МСЮ 0 delay not allowed")
            << 2 << 0 << "" << none << false << "" << false << 0;
        QTest::newRow("МСЮ 1 emergency, sound")
            << 2 << 1 << U("авар") << red << true << "" << false << 202;
        QTest::newRow("МСЮ 3 delay 15") << 2 << 3 << "" << none << false << "15" << false << 372;
        QTest::newRow("МСЮ 4 relay") << 2 << 4 << "" << none << false << "" << true << 512;
        QTest::newRow("МСЮ 5 indication lime")
            << 2 << 5 << U("инд") << lime << false << "" << false << 202;
        for (int k = 0; k < 6; ++k)
            QTest::addRow("empty module row %d", k)
                << 3 << k << "" << none << false << "" << false << 0;
    }
    void rows() {
        QFETCH(int, m);
        QFETCH(int, k);
        QFETCH(QString, sign);
        QFETCH(QColor, light);
        QFETCH(bool, sound);
        QFETCH(QString, delay);
        QFETCH(bool, relay);
        QFETCH(int, lineWidth);
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, m, [&](SchemeEditor& e) {
            const size_t i = size_t(k);
            const int lineTop = 54 * k + 27;
            QCOMPARE(e.rowLines[i]->geometry(), QRect(236, lineTop, lineWidth, 3));
            QVERIFY(Shown(e.rowLines[i]));
            QCOMPARE(bool(e.alarmCells[i]), !sign.isEmpty());
            QCOMPARE(bool(e.alarmArrows[i]), !sign.isEmpty());
            if (!sign.isEmpty()) {
                QCOMPARE(e.alarmCells[i]->geometry(), QRect(438, 54 * k + 6, 60, 42));
                QCOMPARE(e.alarmCells[i]->Caption(), sign);
                QCOMPARE(Sign(e.alarmCells[i]), light);
                QCOMPARE(e.alarmArrows[i]->geometry(), QRect(431, 54 * k + 23, 9, 9));
                QVERIFY(Shown(e.alarmCells[i]));
            }
            QCOMPARE(bool(e.soundMarks[i]), sound);
            if (sound)
                QCOMPARE(e.soundMarks[i]->geometry(), QRect(498, 54 * k + 6, 14, 14));
            QCOMPARE(bool(e.delayCells[i]), !delay.isEmpty());
            QCOMPARE(bool(e.delayArrows[i]), !delay.isEmpty());
            if (!delay.isEmpty()) {
                QCOMPARE(e.delayCells[i]->geometry(), QRect(608, 54 * k + 6, 42, 42));
                QCOMPARE(e.delayCells[i]->Text()->text(), delay);
                QCOMPARE(e.delayArrows[i]->geometry(), QRect(601, 54 * k + 23, 9, 9));
            }
            QCOMPARE(bool(e.relayCells[i]), relay);
            QCOMPARE(bool(e.relayArrows[i]), relay);
            QCOMPARE(bool(e.relayMarks[i]), relay);
            if (relay) {
                QCOMPARE(e.relayCells[i]->geometry(), QRect(748, 54 * k + 6, 28, 42));
                QVERIFY(e.relayCells[i]->Caption().isEmpty());
                QCOMPARE(e.relayMarks[i]->parentWidget(), e.relayCells[i]);
                QCOMPARE(e.relayMarks[i]->geometry(), QRect(4, 6, 16, 24));
                QCOMPARE(e.relayArrows[i]->geometry(), QRect(741, 54 * k + 23, 9, 9));
            }
        });
    }

    // The fixed parts of every row: frame, input panel, title, label and the three buttons.
    void rowFrameAndTexts() {
        GuiHarness h;
        ReadDevice(h);
        h.Main().Modules().PutLabel("Pump 12", 14);
        OpenEditor(h, 3, [&](SchemeEditor& e) {
            QCOMPARE(e.CellCount, 6);
            for (int k = 0; k < 6; ++k) {
                const size_t i = size_t(k);
                const int a = 12 + k;
                QCOMPARE(e.rowFrames[i]->geometry(), QRect(24, 54 * k, 794, 54));
                QCOMPARE(e.inputCells[i]->geometry(), QRect(236, 54 * k + 6, 90, 42));
                QCOMPARE(e.inputCells[i]->GetType(), tpId);
                QCOMPARE(e.inputCells[i]->Caption(), QString("DI_3_%1    ").arg(k + 1));
                QCOMPARE(e.titleLabels[i]->geometry(), QRect(26, 54 * k + 1, 202, 51));
                QCOMPARE(e.titleLabels[i]->text(),
                         U("  № на схеме %1\n\n  № в базе %2").arg(k + 1).arg(a + 1));
                QCOMPARE(e.labelTexts[i]->geometry(), QRect(25, 54 * k + 19, 202, 15));
                QCOMPARE(e.contactButtons[i]->geometry(), QRect(206, 54 * k + 6, 23, 22));
                QCOMPARE(e.archiveButtons[i]->geometry(), QRect(206, 54 * k + 29, 23, 22));
                QCOMPARE(e.inputTypeButtons[i]->parentWidget(), e.inputCells[i]);
                QCOMPARE(e.inputTypeButtons[i]->geometry(), QRect(2, 10, 23, 22));
                QCOMPARE(e.contactButtons[i]->toolTip(), U("Состояние входа - Нажато: НР"));
                QCOMPARE(e.archiveButtons[i]->toolTip(), U("Включение в обработку"));
                QCOMPARE(e.inputTypeButtons[i]->toolTip(), U("Тип входного сигнала"));
                QVERIFY(e.contactButtons[i]->isEnabled() && e.archiveButtons[i]->isEnabled());
                QCOMPARE(e.archiveButtons[i]->GroupIndex(), k + 193); // built by the read command
                QCOMPARE(e.inputTypeButtons[i]->GroupIndex(), k + 97);
                QCOMPARE(e.contactButtons[i]->GroupIndex(), k + 1);
            }
            // Input 12: signal number 13 at address 0x0C.
            QCOMPARE(e.inputCells[0]->Hint(),
                     U("номер входа  на схеме 1\nномер сигнала в базе 13 (адрес 0x0C)\nВход 12"));
            QCOMPARE(e.inputCells[2]->Hint(),
                     U("номер входа  на схеме 3\nномер сигнала в базе 15 (адрес 0x0E)\nPump 12"));
            QCOMPARE(e.labelTexts[2]->text(), QString("  Pump 12"));
            QCOMPARE(e.inputBar->height(), 324);
            QCOMPARE(e.outputBar->height(), 324);
            QVERIFY(e.inputBar->isHidden() && e.outputBar->isHidden());
        });
    }

    void valveModuleTitles() {
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            const char* titles[6] = {
                "  КЛАПАН ОТКРЫТ\n\n  № в базе 7",   "  КЛАПАН ЗАКРЫТ\n\n  № в базе 8",
                "  АУ РАЗРЕШИТЬ \n\n  № в базе 9",   "  КЛАПАН ОТКРЫТЬ\n\n  № в базе 10",
                "  КЛАПАН ЗАКРЫТЬ\n\n  № в базе 11", "  РЕЗЕРВ\n\n  № в базе 12"};
            for (size_t k = 0; k < 6; ++k)
                QCOMPARE(e.titleLabels[k]->text(), U(titles[k]));
        });
    }

    // The row buttons follow the record's bits; rows 2..4 of a valve module are dry contacts.
    void buttonsFromBits_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("k");
        QTest::addColumn<bool>("kont");
        QTest::addColumn<bool>("arhiv");
        QTest::addColumn<bool>("namur");
        QTest::newRow("МЛВ 2 normally open") << 1 << 2 << true << false << false;
        QTest::newRow("МЛВ 3 Namur, archived") << 1 << 3 << false << true << true;
        QTest::newRow("МСЮ 2 Namur forced off") << 2 << 2 << false << false << false;
        QTest::newRow("МСЮ 4 normally open, archived") << 2 << 4 << true << true << false;
    }
    void buttonsFromBits() {
        QFETCH(int, m);
        QFETCH(int, k);
        QFETCH(bool, kont);
        QFETCH(bool, arhiv);
        QFETCH(bool, namur);
        GuiHarness h;
        ReadDevice(h);
        const int a = 6 * (m - 1) + k;
        const int recordNamur = h.Main().Program().GetNamur(a);
        OpenEditor(h, m, [&](SchemeEditor& e) {
            QCOMPARE(e.contactButtons[size_t(k)]->Down(), kont);
            QCOMPARE(e.archiveButtons[size_t(k)]->Down(), arhiv);
            QCOMPARE(e.inputTypeButtons[size_t(k)]->Down(), namur);
            QCOMPARE(h.Main().Program().GetNamur(a), int(namur));
            if (m == 2 && k == 2) {
                // The read took the Namur bit off; the editor's drawing changes nothing.
                QCOMPARE(recordNamur, 0);
                QCOMPARE(int(h.Device().GetModuleRecords(2)[6]) & 1, 1);
                QCOMPARE(int(h.Main().Program().Records[3 * a]), 0x20); // only the Namur bit went
            }
        });
    }

    void moduleGroups() {
        GuiHarness h;
        ReadDevice(h);
        h.ForgetEdits();
        OpenEditor(h, 1, [&](SchemeEditor& e) { // pump blocking on sensor 3
            QVERIFY(Shown(e.pumpGroup) && !Shown(e.relayGroup));
            QCOMPARE(e.pumpGroup->title(), U(" Алгоритм блокировки   насоса "));
            QCOMPARE(e.pumpGroup->geometry(), QRect(392, 344, 313, 57));
            QVERIFY(e.pumpButton->Down());
            QVERIFY(Shown(e.sensorEdit) && Shown(e.sensorLabel));
            QCOMPARE(e.sensorEdit->text(), QString("3"));
        });
        QVERIFY(!h.Changed());

        OpenEditor(h, 3, [&](SchemeEditor& e) { // no blocking
            QVERIFY(!e.pumpButton->Down());
            QVERIFY(!Shown(e.sensorEdit) && !Shown(e.sensorLabel));
            QCOMPARE(e.sensorEdit->text(), QString("0"));
        });

        OpenEditor(h, 2, [&](SchemeEditor& e) { // relay action 1
            QVERIFY(!Shown(e.pumpGroup) && Shown(e.relayGroup));
            QCOMPARE(e.relayGroup->geometry(), QRect(8, 344, 369, 57));
            QVERIFY(!e.relayButtons[0]->isChecked() && e.relayButtons[1]->isChecked());
            QCOMPARE(e.relayButtons[0]->text(),
                     U("кнопка \"ОТКРЫТЬ\"- вкл. реле,   кнопка ЗАКРЫТЬ - выкл. реле"));
            QCOMPARE(e.relayButtons[1]->text(),
                     U("кнопка \"ОТКРЫТЬ\"- выкл. реле, кнопка ЗАКРЫТЬ - вкл. реле"));
            h.ForgetEdits();
        });
    }

    // The editor and the dialogs it opens are made for their opening and go when they close:
    // no window is left behind, and the next opening starts from nothing the last one kept.
    void closedEditorIsGoneAndReopensFresh() {
        GuiHarness h;
        ReadDevice(h);
        h.ForgetEdits();
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            h.OnModal([](QDialog& d) { d.reject(); }); // the signalling dialog
            DoubleClick(e.alarmCells[0]);
            QCOMPARE(h.ModalTitles().last(), U("Программирование сигнализации ЛУМ-08"));
            QCOMPARE(h.Main().findChildren<LumDialog*>().size(), 1); // the editor alone
            e.setProperty("opening", 1);
        });
        QVERIFY(h.Main().findChildren<LumDialog*>().isEmpty());
        OpenEditor(h, 1, [&](SchemeEditor& e) { QVERIFY(!e.property("opening").isValid()); });
        QVERIFY(h.Main().findChildren<LumDialog*>().isEmpty());
    }

    // The window, its headings and its caption after opening from a device and from a file.
    void windowAndCaption() {
        GuiHarness h;
        ReadDevice(h);
        SchemeEditor fresh(h.Main(), &h.Main());
        QCOMPARE(fresh.windowTitle(), U("Программирование обработки дискретных входов"));
        OpenEditor(h, 2, [&](SchemeEditor& ed) {
            QCOMPARE(ed.moduleLabel->text(), U("Модуль"));
            QCOMPARE(ed.moduleTypeLabel->text(), U("МСЮ"));
            QCOMPARE(ed.moduleNumberLabel->text(), QString("2"));
            QCOMPARE(ed.inputsLabel->text(), U("входы DI_2_1 - DI_2_6"));
            QVERIFY(!ed.fileLabel->isVisible());
            QVERIFY(!ed.progressBar->isVisible());
            QVERIFY(!ed.labelEdit->isVisible());
            QCOMPARE(ed.labelEdit->maxLength(), 14);
            QCOMPARE(ed.schemeScroll->geometry().width(), 859);
            QCOMPARE(ed.windowTitle(),
                     U("Программирование обработки дискретных входов ЛУМ-08 устройство 1"));
        });

        // A file's scheme leaves the caption the window starts with.
        h.SetFileMode();
        OpenEditor(h, 1, [&](SchemeEditor& ed) {
            QVERIFY(ed.fileLabel->isVisible());
            QCOMPARE(ed.fileLabel->text(), U("Режим работы с файлом"));
            QCOMPARE(ed.windowTitle(), U("Программирование обработки дискретных входов"));
            QCOMPARE(ed.SchemeShown, 1);
        });
    }

    // F3 builds the drawing again from the model and gives up the selection.
    void f3RebuildsFromTheModel() {
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            InputProgram& inputProgram = h.Main().Program();
            QTest::mouseClick(e.inputCells[3], Qt::LeftButton);
            QCOMPARE(e.SelectedCell, 3);
            inputProgram.PutAlarmType(3, 2);
            inputProgram.PutColor(3, 6);
            InputCell* before = e.inputCells[0];
            QTest::keyClick(&e, Qt::Key_F3);
            QVERIFY(e.inputCells[0] != before);
            QCOMPARE(e.SelectedCell, -1);
            QCOMPARE(e.SelectedInput, -1);
            QVERIFY(e.alarmCells[3]);
            QCOMPARE(e.alarmCells[3]->Caption(), U("авар"));
            QCOMPARE(StaticTextColor(e.alarmCells[3]->Text()), QColor(255, 255, 0));
            QVERIFY(!e.RowSelected(3));
            QCOMPARE(e.archiveButtons[0]->GroupIndex(), 49); // built from the model, not by a read
            QCOMPARE(e.CellCount, 6);
        });
    }

    // The scroll range follows the rows only in a scheme area lower than them; the wheel moves
    // by 10 pixels a notch.
    void scrollRangeAndWheel() {
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            QCOMPARE(e.VertRange(), 54);
            e.resize(e.width(), 300);
            QApplication::processEvents();
            QVERIFY(e.schemeScroll->height() < 324);
            QTest::keyClick(&e, Qt::Key_F3);
            QCOMPARE(e.VertRange(), 324);
            QScrollBar* bar = e.schemeScroll->verticalScrollBar();
            QVERIFY(bar->maximum() > 30);
            bar->setValue(0);
            QWheelEvent down(
                QPointF(100, 100), e.schemeScroll->viewport()->mapToGlobal(QPointF(100, 100)),
                QPoint(), QPoint(0, -240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(e.schemeScroll->viewport(), &down);
            QCOMPARE(bar->value(), 20);
            QWheelEvent up(QPointF(100, 100),
                           e.schemeScroll->viewport()->mapToGlobal(QPointF(100, 100)), QPoint(),
                           QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(e.schemeScroll->viewport(), &up);
            QCOMPARE(bar->value(), 10);
        });
    }

    void altXCloses() {
        GuiHarness h;
        ReadDevice(h);
        bool closed = false;
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            QTest::keyClick(&e, Qt::Key_X, Qt::AltModifier);
            closed = !e.isVisible();
        });
        QVERIFY(closed);
    }
};

QTEST_MAIN(TestConstruction)
#include "tst_construction.moc"
