// Editing on the scheme: selection with the mouse, the block commands and their refusals, the
// row buttons, the module-level groups and the text labels.

#include "helper_scheme.h"

#include "dialogs/cp1251.h"
#include "dialogs/delaydialog.h"
#include "dialogs/labeldialog.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "scheme/alarmcell.h"
#include "scheme/cellbutton.h"
#include "scheme/delaycell.h"
#include "scheme/glyphbutton.h"
#include "scheme/inputcell.h"
#include "scheme/relaycell.h"
#include "scheme/schemecolors.h"
#include "scheme/schemeline.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QTest>

using namespace schemetest;

namespace {
using Command = void (SchemeEditor::*)();

std::vector<std::string> Texts(GuiHarness& h) {
    std::vector<std::string> texts;
    for (const auto& m : h.Op().Shown())
        texts.push_back(m.text);
    return texts;
}

void CtrlClick(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, Qt::ControlModifier);
}

QByteArray Label(GuiHarness& h, int input) {
    return QByteArray(reinterpret_cast<const char*>(h.Main().Modules().Label[input]), 14);
}
} // namespace

class TestEditing : public QObject {
    Q_OBJECT

private slots:
    // Two marked rows leave no current input: every block command refuses and changes nothing.
    void multipleSelectionRefusesEveryCommand() {
        GuiHarness h;
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        h.ForgetEdits();
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            QTest::mouseClick(e.inputCells[1], Qt::LeftButton);
            QCOMPARE(e.SelectedInput, 1);
            CtrlClick(e.titleLabels[3]);
            QCOMPARE(e.SelectedCount, 2);
            QCOMPARE(e.MarkedRows[1], 1);
            QCOMPARE(e.MarkedRows[3], 1);
            QVERIFY(e.RowSelected(1) && e.RowSelected(3) && !e.RowSelected(0));
            QCOMPARE(e.SelectedCell, -1);
            QCOMPARE(e.SelectedInput, -1);
            const std::pair<Command, const char*> commands[] = {
                {&SchemeEditor::CreateAlarmClick, "Не выбран № входа"},
                {&SchemeEditor::EditAlarmClick, "Не выбран № входа или № ФБ"},
                {&SchemeEditor::DeleteAlarmClick, "Не выбран № входа"},
                {&SchemeEditor::CreateDelayClick, "Не выбран № входа"},
                {&SchemeEditor::EditDelayClick, "Не выбран № входа или № ФБ"},
                {&SchemeEditor::DeleteDelayClick, "Не выбран № входа"},
                {&SchemeEditor::CreateRelayClick, "Не выбран № входа"},
                {&SchemeEditor::DeleteRelayClick, "Не выбран № входа"},
            };
            const QByteArray before(reinterpret_cast<const char*>(inputProgram.Records), 108);
            for (const auto& [command, text] : commands) {
                h.Op().Clear();
                (e.*command)();
                QCOMPARE(Texts(h), std::vector<std::string>{text});
                QCOMPARE(h.Op().Shown()[0].caption, std::string("Предупреждение"));
                QCOMPARE(h.Op().Shown()[0].icon, MsgIcon::Warning);
            }
            h.Op().Clear();
            e.EditLabelClick();
            QCOMPARE(Texts(h), std::vector<std::string>{"Не выбран № входа"});
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(inputProgram.Records), 108), before);
            QVERIFY(!h.Changed());
            // the menu of a marked row offers nothing to add, edit or delete
            QTest::mousePress(e.rowFrames[3], Qt::RightButton);
            QVERIFY(e.ContextMenuAssigned());
            for (QAction* a : e.contextMenu->actions())
                QVERIFY2(a->isSeparator() || !a->isEnabled(), qPrintable(a->text()));
        });
    }

    void ctrlClickOnOneOfTwoLeavesTheOther() {
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            QTest::mouseClick(e.rowFrames[2], Qt::LeftButton);
            CtrlClick(e.rowLines[4]);
            QCOMPARE(e.SelectedCount, 2);
            CtrlClick(e.labelTexts[2]);
            QCOMPARE(e.SelectedCount, 0);
            QCOMPARE(e.SelectedCell, 4);
            QCOMPARE(e.SelectedInput, 4);
            QVERIFY(!e.RowSelected(2) && e.RowSelected(4));
            // Ctrl+A marks all, the click on the empty scheme gives everything up
            QTest::keyClick(&e, Qt::Key_A, Qt::ControlModifier);
            QCOMPARE(e.SelectedCount, 6);
            QCOMPARE(e.SelectedCell, -1);
            for (int k = 0; k < 6; ++k)
                QVERIFY(e.MarkedRows[k] == 1 && e.RowSelected(k));
            // on an empty place of the scheme the right button keeps the selection; the left
            // one's click gives everything up
            QPoint empty(-1, -1);
            for (int y = 2; y < e.Area()->height() && empty.x() < 0; y += 8)
                for (int x = 2; x < e.Area()->width() && empty.x() < 0; x += 8)
                    if (!e.Area()->childAt(x, y))
                        empty = QPoint(x, y);
            QVERIFY(empty.x() >= 0);
            QTest::mouseClick(e.Area(), Qt::RightButton, {}, empty);
            QCOMPARE(e.SelectedCount, 6);
            for (int k = 0; k < 6; ++k)
                QVERIFY(e.MarkedRows[k] == 1 && e.RowSelected(k));
            QTest::mouseClick(e.Area(), Qt::LeftButton, {}, empty);
            QCOMPARE(e.SelectedCount, 0);
            for (int k = 0; k < 6; ++k)
                QVERIFY(e.MarkedRows[k] == 0 && !e.RowSelected(k));
            // a plain click moves the single selection
            QTest::mouseClick(e.alarmCells[2], Qt::LeftButton);
            QTest::mouseClick(e.delayCells[1], Qt::LeftButton);
            QCOMPARE(e.SelectedCell, 1);
            QVERIFY(e.RowSelected(1) && !e.RowSelected(2));
        });
    }

    // The context menu offers what the current row lacks or has; relay items on "МЛВ" only.
    // A greyed command says why in its tooltip (the menu shows tooltips); an enabled one says
    // what it does. On an "МСЮ" module only inputs 4 and 5 have output delays.
    void greyedCommandsSayWhy() {
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            QVERIFY(e.contextMenu->toolTipsVisible());
            QTest::mouseClick(e.titleLabels[1], Qt::LeftButton);
            QTest::mousePress(e.titleLabels[1], Qt::RightButton);
            QVERIFY(e.ContextMenuAssigned());
            QVERIFY(!e.createDelayAction->isEnabled());
            QCOMPARE(e.createDelayAction->toolTip(),
                     e.delayCells[1] ? U("У входа уже есть блок задержки")
                                     : U("У модуля МСЮ задержка выхода есть только у входов 4 и 5 "
                                         "модуля"));
            for (QAction* a : e.contextMenu->actions())
                if (!a->isSeparator() && a->isVisible() && a != e.labelAction &&
                    a != e.archiveAction)
                    QVERIFY2(a->isEnabled() ? a->toolTip() == a->text().remove('&')
                                            : a->toolTip().startsWith(U("У ")),
                             qPrintable(a->text() + ": " + a->toolTip()));
            // Several rows: every block command says it is for one input.
            CtrlClick(e.titleLabels[2]);
            QTest::mousePress(e.titleLabels[2], Qt::RightButton);
            QVERIFY(!e.createAlarmAction->isEnabled());
            QCOMPARE(e.createAlarmAction->toolTip(),
                     U("Выбрано несколько входов: команда относится к одному входу"));
        });
    }

    void contextMenuFollowsTheRow_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("enabled"); // the visible items enabled
        QTest::newRow("МЛВ signalling, delay") << 1 << 0 << "eS dS eZ dZ cR";
        QTest::newRow("МЛВ all three") << 1 << 2 << "eS dS eZ dZ dR";
        QTest::newRow("МЛВ nothing") << 1 << 3 << "cS cZ cR";
        QTest::newRow("МСЮ relay") << 2 << 4 << "cS cZ";
    }
    void contextMenuFollowsTheRow() {
        QFETCH(int, m);
        QFETCH(int, k);
        QFETCH(QString, enabled);
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, m, [&](SchemeEditor& e) {
            QTest::mousePress(e.titleLabels[size_t(k)], Qt::RightButton);
            QVERIFY(!e.ContextMenuAssigned()); // the row is not selected yet
            QTest::mouseClick(e.titleLabels[size_t(k)], Qt::LeftButton);
            QTest::mousePress(e.titleLabels[size_t(k)], Qt::RightButton);
            QVERIFY(e.ContextMenuAssigned());
            const std::pair<QAction*, const char*> items[] = {
                {e.createAlarmAction, "cS"}, {e.editAlarmAction, "eS"},
                {e.deleteAlarmAction, "dS"}, {e.createDelayAction, "cZ"},
                {e.editDelayAction, "eZ"},   {e.deleteDelayAction, "dZ"},
                {e.createRelayAction, "cR"}, {e.deleteRelayAction, "dR"}};
            QStringList shown;
            for (const auto& [a, code] : items)
                if (a->isEnabled() && a->isVisible())
                    shown << code;
            QCOMPARE(shown.join(' '), enabled);
            QVERIFY(!e.labelAction->isVisible() && !e.archiveAction->isVisible());
            QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5),
                                   e.titleLabels[size_t(k)]->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(e.titleLabels[size_t(k)], &menu);
            QVERIFY(e.contextMenu->isVisible());
            e.contextMenu->hide();
            // hovering another, unselected row takes the menu away
            QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(e.rowFrames[size_t((k + 1) % 6)], &move);
            QVERIFY(!e.ContextMenuAssigned());
        });
    }

    void hoverHighlightsThePanelUnderThePointer() {
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            auto moveOver = [](QWidget* w) {
                QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton,
                                 Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(w, &move);
            };
            moveOver(e.alarmCells[2]);
            QCOMPARE(e.alarmCells[2]->Color(), scheme::TooltipBackground());
            QCOMPARE(e.delayCells[2]->Color(), scheme::ButtonFace());
            moveOver(e.delayCells[1]);
            QCOMPARE(e.alarmCells[2]->Color(), scheme::ButtonFace());
            QCOMPARE(e.delayCells[1]->Color(), scheme::TooltipBackground());
            moveOver(e.labelTexts[0]);
            QCOMPARE(e.labelTexts[0]->palette().color(QPalette::Window),
                     scheme::TooltipBackground());
            QCOMPARE(e.delayCells[1]->Color(), scheme::ButtonFace());
        });
    }

    void addDelayOnAValveModule() {
        GuiHarness h;
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        h.Main().Program().PutDelay(9, 0); // row 3 without its delay
        h.ForgetEdits();
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            QTest::mouseClick(e.inputCells[1], Qt::LeftButton);
            e.CreateDelayClick();
            QCOMPARE(Texts(h), std::vector<std::string>{"Недоступная функция"});
            QVERIFY(!e.delayCells[1]);
            QVERIFY(!h.Changed());
            QTest::mouseClick(e.inputCells[3], Qt::LeftButton);
            QVERIFY(!e.delayCells[3]);
            h.OnModal([](QDialog& d) {
                auto& za = static_cast<DelayDialog&>(d);
                QCOMPARE(za.delayEdit->text(), QString("0"));
                za.delayEdit->setText("30");
            });
            e.CreateDelayClick();
            QVERIFY(e.delayCells[3] && Shown(e.delayCells[3]));
            QCOMPARE(e.delayCells[3]->geometry(), QRect(608, 54 * 3 + 6, 42, 42));
            QCOMPARE(e.delayCells[3]->Text()->text(), QString("30"));
            QCOMPARE(e.delayArrows[3]->geometry(), QRect(601, 54 * 3 + 23, 9, 9));
            QCOMPARE(e.rowLines[3]->width(), 372);
            h.ForgetEdits();
        });
        QCOMPARE(h.ModalTitles().last(), U("Программ. задерж. выходов ЛУМ-08"));
        QCOMPARE(inputProgram.GetDelay(9), 30);
    }

    // Deleting a block lets the line end at the rightmost block left.
    void deletingBlocksShortensTheLine_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("width");
        QTest::newRow("signalling before a delay") << 0 << "sign" << 372;
        QTest::newRow("signalling before a relay") << 2 << "sign" << 512;
        QTest::newRow("delay after a signalling") << 0 << "delay" << 202;
        QTest::newRow("delay before a relay") << 1 << "delay" << 512;
        QTest::newRow("relay after a delay") << 1 << "relay" << 372;
        QTest::newRow("the only signalling") << 5 << "sign" << 0;
    }
    void deletingBlocksShortensTheLine() {
        QFETCH(int, k);
        QFETCH(QString, command);
        QFETCH(int, width);
        GuiHarness h;
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        const QByteArray before(reinterpret_cast<const char*>(inputProgram.Records), 108);
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            QTest::mouseClick(e.inputCells[size_t(k)], Qt::LeftButton);
            if (command == "sign")
                e.DeleteAlarmClick();
            else if (command == "delay")
                e.DeleteDelayClick();
            else
                e.DeleteRelayClick();
            QCOMPARE(e.rowLines[size_t(k)]->width(), width);
            QVERIFY(h.Changed());
            QCOMPARE(bool(e.alarmCells[size_t(k)]), command != "sign" && k != 1 && k != 5);
            QVERIFY(command != "sign" || (!e.alarmArrows[size_t(k)] && !e.soundMarks[size_t(k)]));
            h.ForgetEdits();
        });
        QByteArray expected = before;
        const int b0 = 3 * k, b1 = b0 + 1;
        if (command == "sign") {
            expected[b0] = char(expected[b0] & 0x07);  // type and colour gone
            expected[b1] = char(expected[b1] & ~0x40); // and the sound
        } else if (command == "delay") {
            expected[b1] = char(expected[b1] & ~0x3F);
        } else {
            expected[b0] = char(expected[b0] & ~0x04);
        }
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(inputProgram.Records), 108), expected);
    }

    void addingRelays() {
        GuiHarness h;
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            QTest::mouseClick(e.inputCells[1], Qt::LeftButton);
            RelayCell* panel = e.relayCells[1];
            inputProgram.PutRelay(1, 0);
            e.CreateRelayClick();
            QCOMPARE(e.relayCells[1], panel); // only the bit
            QCOMPARE(inputProgram.GetRelay(1), 1);
            QTest::mouseClick(e.inputCells[0], Qt::LeftButton);
            e.CreateRelayClick();
            QVERIFY(Shown(e.relayCells[0]) && Shown(e.relayMarks[0]) && Shown(e.relayArrows[0]));
            QCOMPARE(e.relayCells[0]->geometry(), QRect(748, 6, 28, 42));
            QCOMPARE(e.rowLines[0]->width(), 512);
            QCOMPARE(inputProgram.GetRelay(0), 1);
            h.ForgetEdits();
        });
        // a valve module takes relays on rows 3 and 4 only
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            QTest::mouseClick(e.inputCells[0], Qt::LeftButton);
            e.CreateRelayClick();
            QCOMPARE(h.Op().LastText(), std::string("Недоступная функция"));
            QVERIFY(!e.relayCells[0]);
            QTest::mouseClick(e.inputCells[3], Qt::LeftButton);
            e.CreateRelayClick();
            QVERIFY(e.relayCells[3]);
            QCOMPARE(inputProgram.GetRelay(9), 1);
            h.ForgetEdits();
        });
    }

    void addSignallingOpensItsDialog() {
        GuiHarness h;
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            QTest::mouseClick(e.inputCells[1], Qt::LeftButton);
            h.OnModal([](QDialog& d) { d.findChildren<QRadioButton*>()[1]->click(); });
            e.CreateAlarmClick();
            QVERIFY(Shown(e.alarmCells[1]));
            QCOMPARE(e.alarmCells[1]->Caption(), U("пред"));
            QCOMPARE(StaticTextColor(e.alarmCells[1]->Text()), QColor(255, 255, 0));
            QCOMPARE(e.rowLines[1]->width(), 512); // the relay stays the line's end
            QVERIFY(Shown(e.alarmArrows[1]));
            h.ForgetEdits();
        });
        QCOMPARE(inputProgram.GetAlarmType(1), 1);
        QCOMPARE(inputProgram.GetColor(1), 6);
    }

    // Each row button writes its own bit of its own row; a valve module's rows 2..4 stay dry.
    void rowButtons_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("mask");
        QTest::addColumn<bool>("set");
        QTest::newRow("contact down") << 1 << 0 << "kont" << 0 << 0x02 << true;
        QTest::newRow("contact up") << 1 << 2 << "kont" << 6 << 0x02 << false;
        QTest::newRow("processing up") << 1 << 3 << "arhiv" << 10 << 0x80 << false;
        QTest::newRow("processing down") << 2 << 5 << "arhiv" << 18 + 16 << 0x80 << true;
        QTest::newRow("type up") << 1 << 3 << "type" << 9 << 0x01 << false;
        QTest::newRow("type down") << 1 << 5 << "type" << 15 << 0x01 << true;
        QTest::newRow("valve row 3 stays dry") << 2 << 3 << "type" << 18 + 9 << 0x01 << false;
        QTest::newRow("valve row 5 Namur") << 2 << 5 << "type" << 18 + 15 << 0x01 << true;
    }
    void rowButtons() {
        QFETCH(int, m);
        QFETCH(int, k);
        QFETCH(QString, button);
        QFETCH(int, byte);
        QFETCH(int, mask);
        QFETCH(bool, set);
        GuiHarness h;
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        QByteArray expected;
        bool downAfter = false;
        bool changed = false;
        OpenEditor(h, m, [&](SchemeEditor& e) {
            h.ForgetEdits();
            expected = QByteArray(reinterpret_cast<const char*>(inputProgram.Records), 108);
            CellButton* b = button == "kont"    ? e.contactButtons[size_t(k)]
                            : button == "arhiv" ? e.archiveButtons[size_t(k)]
                                                : e.inputTypeButtons[size_t(k)];
            QTest::mouseClick(b, Qt::LeftButton);
            downAfter = b->Down();
            changed = h.Changed();
            h.ForgetEdits();
        });
        const char before = expected[byte];
        expected[byte] = char(set ? (expected[byte] | mask) : (expected[byte] & ~mask));
        QCOMPARE(changed, expected[byte] != before); // a dry valve row stays as it was
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(inputProgram.Records), 108), expected);
        QCOMPARE(downAfter, set);
        if (button == "type")
            QCOMPARE(Texts(h),
                     std::vector<std::string>{m == 1 ? "N_Mod=1 i_beg=0" : "N_Mod=2 i_beg=6"});
        else
            QVERIFY(h.Op().Shown().empty());
    }

    void pumpBlockingAndSensor() {
        GuiHarness h;
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        OpenEditor(h, 3, [&](SchemeEditor& e) {
            e.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&e));
            QVERIFY(!e.sensorEdit->isVisible());
            QTest::mouseClick(e.pumpButton, Qt::LeftButton);
            QCOMPARE(inputProgram.GetModuleParameter(2), 1);
            QVERIFY(e.sensorEdit->isVisible() && e.sensorLabel->isVisible());
            QCOMPARE(e.sensorEdit->text(), QString("1"));
            e.sensorEdit->setFocus();
            e.sensorEdit->selectAll();
            QTest::keyClick(e.sensorEdit, Qt::Key_7);
            QCOMPARE(e.sensorEdit->selectedText(), QString("1")); // 7 is not typed
            QTest::keyClick(e.sensorEdit, Qt::Key_4);
            QCOMPARE(e.sensorEdit->text(), QString("4"));
            e.schemeScroll->setFocus();
            QCOMPARE(inputProgram.GetModuleParameter(2), 4);
            // an emptied edit keeps the sensor
            e.sensorEdit->setFocus();
            QTest::keyClick(e.sensorEdit, Qt::Key_Backspace);
            QVERIFY(e.sensorEdit->text().isEmpty());
            e.schemeScroll->setFocus();
            QCOMPARE(inputProgram.GetModuleParameter(2), 4);
            // switching off clears the parameter, even with the edit focused
            e.sensorEdit->setFocus();
            QTest::mouseClick(e.pumpButton, Qt::LeftButton);
            QCOMPARE(inputProgram.GetModuleParameter(2), 0);
            QVERIFY(!e.sensorEdit->isVisible());
            QCOMPARE(e.sensorEdit->text(), QString("1"));
            h.ForgetEdits();
        });
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            h.ForgetEdits();
            QTest::mouseClick(e.relayButtons[0], Qt::LeftButton);
            QCOMPARE(inputProgram.GetModuleParameter(1), 0);
            QVERIFY(h.Changed());
            QTest::mouseClick(e.relayButtons[1], Qt::LeftButton);
            QCOMPARE(inputProgram.GetModuleParameter(1), 1);
            h.ForgetEdits();
        });
        QCOMPARE(int(inputProgram.Records[18 + 2] & 0x07), 1);
    }

    // A double click on the row's label types it in place; Enter stores it padded.
    void labelInPlace() {
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            e.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&e));
            DoubleClick(e.labelTexts[2]);
            QVERIFY(e.labelEdit->isVisible());
            QCOMPARE(e.labelEdit->pos(), QPoint(25, 54 * 2 + 19 - 4));
            QCOMPARE(e.labelEdit->text(), U("Вход 2"));
            QVERIFY(e.selectAllAction->shortcut().isEmpty() &&
                    e.deleteAction->shortcut().isEmpty());
            QTest::keyClick(e.labelEdit, Qt::Key_A, Qt::ControlModifier); // the editor's own
            QCOMPARE(e.labelEdit->selectedText(), U("Вход 2"));
            QTest::keyClicks(e.labelEdit, "Pump 7");
            QTest::keyClick(e.labelEdit, Qt::Key_Return);
            QVERIFY(!e.labelEdit->isVisible());
            QCOMPARE(e.selectAllAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
            QCOMPARE(e.deleteAction->shortcut(), QKeySequence(Qt::Key_Delete));
            QCOMPARE(e.labelTexts[2]->text(), QString("  Pump 7"));
            QCOMPARE(e.inputCells[2]->Hint(),
                     U("номер входа  на схеме 3\nадрес сигнала в базе 3\nPump 7"));
            QCOMPARE(e.titleLabels[2]->text(), U("  № на схеме 3\n\n  № в базе 3"));
            // an edit ended by a click that gives up the selection still goes to its own row
            DoubleClick(e.labelTexts[4]);
            QTest::keyClicks(e.labelEdit, "X");
            e.SchemeAreaClick(); // the empty scheme's click, the selection given up first
            QVERIFY(!e.labelEdit->isVisible());
            QCOMPARE(e.SelectedCell, -1);
        });
        QCOMPARE(Label(h, 2), QByteArray("Pump 7        "));
        QCOMPARE(Label(h, 4), QByteArray(ToCp1251(U("Вход 4X")).c_str()) + QByteArray(7, ' '));
        QCOMPARE(Label(h, 0), QByteArray(ToCp1251(U("Вход 0")).c_str()) + QByteArray(8, ' '));
    }

    // The label dialog from the menu; in file mode an edited label marks the file changed.
    void labelDialogFromTheMenu() {
        GuiHarness h;
        ReadDevice(h);
        h.SetFileMode();
        h.ForgetEdits();
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            QTest::mouseClick(e.titleLabels[1], Qt::LeftButton);
            h.OnModal([](QDialog& d) {
                auto& t = static_cast<LabelDialog&>(d);
                QCOMPARE(Part<QLabel>(t, "inputCaption")->text(), QString("8      DI_2_2    "));
                Part<QLineEdit>(t, "labelEdit")->clear();
                QTest::keyClicks(Part<QLineEdit>(t, "labelEdit"), "Valve B");
            });
            e.labelAction->trigger();
            QCOMPARE(e.labelTexts[1]->text(), QString("  Valve B"));
            QCOMPARE(e.titleLabels[1]->text(), U("  КЛАПАН ЗАКРЫТ\n\n  № в базе 8"));
            QVERIFY(!e.progressBar->isVisible());
        });
        QCOMPARE(Label(h, 7), QByteArray("Valve B       "));
        QCOMPARE(int(h.Main().Document().IsFileMode() && h.Changed()), 1);
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
