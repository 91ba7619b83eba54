// The inputs table: filling, label editing through the text dialog, copying and replacing a
// group of labels through the group-number dialog, and the reference showing.

#include "dialogs/cp1251.h"
#include "dialogs/inputgroupdialog.h"
#include "dialogs/labeldialog.h"
#include "helper_inputstablesetup.h"
#include "model/labelclipboard.h"
#include "report/inputstable.h"

#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

namespace {

QString Label(GuiHarness& h, int input) {
    return FromCp1251(h.Main().Modules().GetLabel(input));
}

// The group-number dialog's next showing: fields as given, then OK (or Cancel when cancel).
void AnswerInputGroup(GuiHarness& h, QString first, QString second = QString(),
                      bool cancel = false) {
    h.OnModal([first, second, cancel](QDialog& d) {
        auto& input = static_cast<InputGroupDialog&>(d);
        if (input.rangeGroup->isVisible()) {
            input.firstInputEdit->setText(first);
            input.lastInputEdit->setText(second);
        } else {
            input.groupNumberEdit->setText(first);
        }
        Click(cancel ? input.Cancel : input.OK);
    });
}

// Copies inputs first..last through the pop-up menu, with the text label column current.
void CopyGroup(GuiHarness& h, InputsTableWindow& t, int first, int last) {
    RightClickCell(t.inputsGrid, 1, InputsTableWindow::ColText);
    t.contextMenu->hide();
    AnswerInputGroup(h, QString::number(first), QString::number(last));
    t.copyLabelsAction->trigger();
}

void ReplaceFrom(GuiHarness& h, InputsTableWindow& t, const QString& start) {
    AnswerInputGroup(h, start);
    t.insertLabelsAction->trigger();
}

} // namespace

class TestInform : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    // Runs the main window's "Входные сигналы" with the table shown while work runs.
    static void WithTable(GuiHarness& h, const std::function<void(InputsTableWindow&)>& work) {
        bool ran = false;
        h.OnModal([&](QDialog& d) {
            work(static_cast<InputsTableWindow&>(d));
            ran = true;
        });
        h.Main().InputsTableClick();
        QVERIFY(ran);
    }

private slots:
    void windowLayout() {
        GuiHarness h;
        InputsTableWindow t(h.Main(), &h.Main());
        QCOMPARE(t.windowTitle(), U8("Информация о входах"));
        QCOMPARE(t.inputsCaption->text(), U8("Дискретные сигналы"));
        QCOMPARE(t.reportButton->text(), U8("Создание и печать файла .rtf"));
        QCOMPARE(t.inputsGrid->rowCount(), 192);
        QCOMPARE(t.inputsGrid->columnCount(), 5);
        const QStringList headers{U8("  № "), U8("Идентификатор "), U8("   Адрес"),
                                  U8("Текст.реквизит"), U8("вых на МР")};
        const int widths[] = {43, 137, 71, 132, 84};
        for (int c = 0; c < 5; ++c) {
            QCOMPARE(t.inputsGrid->horizontalHeaderItem(c)->text(), headers[c]);
            QCOMPARE(t.inputsGrid->columnWidth(c), widths[c]);
        }
        QCOMPARE(t.copyLabelsAction->text().remove('&'), U8("Копировать группу текст. реквизитов"));
        QCOMPARE(t.insertLabelsAction->text().remove('&'), U8("Заменить группу текст. реквизитов"));
        QVERIFY(!t.insertLabelsAction->isEnabled());
        QCOMPARE(t.inputsGrid->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void fillShowsTheFittedInputs_data() {
        QTest::addColumn<int>("modules");
        QTest::addColumn<QString>("lastAddress");
        QTest::newRow("1 module") << 1 << " 0x05";
        QTest::newRow("2 modules") << 2 << " 0x0B";
        QTest::newRow("6 modules") << 6 << " 0x23";
    }
    void fillShowsTheFittedInputs() {
        QFETCH(int, modules);
        QFETCH(QString, lastAddress);
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 6); // a bigger table first: its rows must go
        WithTable(h, [](InputsTableWindow&) {});
        OpenCreatedFile(h, dir_.path(), modules);
        WithTable(h, [&](InputsTableWindow& t) {
            const int n = 6 * modules;
            QCOMPARE(t.Cell(0, 1), QString("1"));
            QCOMPARE(t.Cell(1, 1), QString("DI_1_1    "));
            QCOMPARE(t.Cell(2, 1), QString(" 0x00"));
            QCOMPARE(t.Cell(3, 1), U8("Дискр.сигн.001"));
            QCOMPARE(t.Cell(4, 1), QString());
            QCOMPARE(t.Cell(0, n), QString::number(n));
            QCOMPARE(t.Cell(1, n), QString("DI_%1_6    ").arg(modules));
            QCOMPARE(t.Cell(2, n), lastAddress);
            QCOMPARE(t.Cell(3, n), U8("Дискр.сигн.0%1").arg(n, 2, 10, QChar('0')));
            for (int c = 0; c < 5; ++c)
                QVERIFY2(t.Cell(c, n + 1).isEmpty(), qPrintable(QString::number(c)));
            QCOMPARE(QApplication::focusWidget(), t.inputsGrid);
            QVERIFY(t.reportButton->isVisible());
        });
    }

    void doubleClickOutsideTheLabelsDoesNothing_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("row 13 of 12") << 13 << 3;
        QTest::newRow("identifier column") << 5 << 1;
        QTest::newRow("number column") << 2 << 0;
    }
    void doubleClickOutsideTheLabelsDoesNothing() {
        QFETCH(int, row);
        QFETCH(int, column);
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 2);
        WithTable(h, [&](InputsTableWindow& t) {
            DoubleClickCell(t.inputsGrid, row, column);
            QCOMPARE(t.lastColumn, column);
            QCOMPARE(h.ModalTitles().size(), 1); // the table only, no label dialog
            QVERIFY(t.Cell(3, 13).isEmpty());
            // With a column other than the labels', copying does nothing at all.
            if (column != InputsTableWindow::ColText) {
                t.CopyLabelsClick();
                QCOMPARE(h.ModalTitles().size(), 1);
            }
        });
        QVERIFY(!h.Changed());
    }

    void labelEditThroughTheDialog_data() {
        QTest::addColumn<bool>("fileMode");
        QTest::addColumn<QString>("typed"); // empty: the field is left as it is
        QTest::addColumn<bool>("clear");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("flagChange");
        const QByteArray unchanged("\xc4\xe8\xf1\xea\xf0.\xf1\xe8\xe3\xed.002"); // Дискр.сигн.002
        QTest::newRow("file, changed") << true << U8("Насос") << true << U8("Насос")
                                       << QByteArray("\xcd\xe0\xf1\xee\xf1         ") << 1;
        QTest::newRow("file, unchanged")
            << true << QString() << false << U8("Дискр.сигн.002") << unchanged << 0;
        QTest::newRow("file, emptied")
            << true << QString() << true << QString() << QByteArray(14, ' ') << 1;
        QTest::newRow("device, changed")
            << false << "Pump 2" << true << "Pump 2" << QByteArray("Pump 2        ") << 0;
    }
    void labelEditThroughTheDialog() {
        QFETCH(bool, fileMode);
        QFETCH(QString, typed);
        QFETCH(bool, clear);
        QFETCH(QString, cell);
        QFETCH(QByteArray, stored);
        QFETCH(int, flagChange);
        GuiHarness h;
        if (fileMode) {
            OpenCreatedFile(h, dir_.path(), 1);
        } else {
            ReadDeviceWith(h, 1);
            h.Main().Modules().PutLabel(ToCp1251(U8("Дискр.сигн.002")), 1);
        }
        const size_t steps = h.Main().Document().history.Size();
        WithTable(h, [&](InputsTableWindow& t) {
            h.OnModal([&](QDialog& d) {
                auto& text = static_cast<LabelDialog&>(d);
                auto* labelEdit = Part<QLineEdit>(text, "labelEdit");
                QCOMPARE(Part<QLabel>(text, "inputCaption")->text(), QString("2      DI_1_2    "));
                QCOMPARE(labelEdit->text(), U8("Дискр.сигн.002"));
                if (clear) {
                    labelEdit->selectAll();
                    QTest::keyClick(labelEdit, Qt::Key_Backspace);
                }
                // Typed key by key as the operator would, Cyrillic included.
                for (QChar ch : typed)
                    QTest::sendKeyEvent(QTest::Click, labelEdit, Qt::Key_unknown, QString(ch),
                                        Qt::NoModifier);
                Click(Part<QPushButton>(text, "OK"));
            });
            DoubleClickCell(t.inputsGrid, 2, InputsTableWindow::ColText);
            QCOMPARE(t.lastColumn, InputsTableWindow::ColText);
            QCOMPARE(t.Cell(3, 2), cell);
        });
        const ModuleConfig& moduleConfig = h.Main().Modules();
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(moduleConfig.Label[1]), 14), stored);
        // A change is one step, offered for saving when it is a file's.
        QCOMPARE(int(h.Main().Document().IsFileMode() && h.Changed()), flagChange);
        QCOMPARE(h.Main().Document().history.Size(), steps + (typed.isEmpty() && !clear ? 0 : 1));
        QCOMPARE(h.ModalTitles().last(), U8("Задание текстового реквизита входа"));
    }

    void copyThreeToFiveReplaceFromEleven() {
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 2);
        WithTable(h, [&](InputsTableWindow& t) {
            QVERIFY(!t.insertLabelsAction->isEnabled());
            QVERIFY(t.insertLabelsAction->toolTip().startsWith(U8("Сначала скопируйте группу")));
            CopyGroup(h, t, 3, 5);
            QCOMPARE(t.lastColumn, InputsTableWindow::ColText);
            QVERIFY(t.insertLabelsAction->isEnabled());
            QCOMPARE(h.ModalTitles().last(), U8("Ввод номеров группы текстовых реквизитов"));
            QCOMPARE(h.Main().Clipboard().FirstInput, 2);
            QCOMPARE(h.Main().Clipboard().LastInput, 4);
            QCOMPARE(h.Main().Settings().labelsPasted, false);
            ReplaceFrom(h, t, "11");
            QCOMPARE(h.ModalTitles().last(), U8("Ввод начального № вставки"));
            QCOMPARE(t.Cell(3, 10), U8("Дискр.сигн.010"));
            QCOMPARE(t.Cell(3, 11), U8("Дискр.сигн.003"));
            QCOMPARE(t.Cell(3, 12), U8("Дискр.сигн.004"));
            QVERIFY(t.Cell(3, 13).isEmpty());
        });
        QCOMPARE(Label(h, 9), U8("Дискр.сигн.010"));
        QCOMPARE(Label(h, 10), U8("Дискр.сигн.003"));
        QCOMPARE(Label(h, 11), U8("Дискр.сигн.004"));
        QCOMPARE(Label(h, 12), U8("Дискр.сигн.013")); // input 5's label fell off the end
        QCOMPARE(Label(h, 4), U8("Дискр.сигн.005"));
        QCOMPARE(h.Main().Settings().labelsPasted, true);
        QVERIFY(h.Changed());
        QCOMPARE(QString::fromStdString(h.Main().Document().history.UndoName()),
                 U8("Входы 11–12: тексты"));
        QVERIFY(h.Op().Shown().empty());
    }

    // Enter on a row opens its label, from whichever column; the report is never started.
    void enterOnARowOpensItsLabel() {
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 1);
        const size_t steps = h.Main().Document().history.Size();
        WithTable(h, [&](InputsTableWindow& t) {
            t.inputsGrid->setCurrentCell(3, 0);
            QString heading;
            h.OnModal([&](QDialog& d) {
                auto& text = static_cast<LabelDialog&>(d);
                auto* lengthLabel = Part<QLabel>(text, "lengthLabel");
                auto* labelEdit = Part<QLineEdit>(text, "labelEdit");
                heading = Part<QLabel>(text, "inputCaption")->text();
                QCOMPARE(lengthLabel->text(), U8("Знаков: 14 из 14"));
                labelEdit->setText("Pump");
                QCOMPARE(lengthLabel->text(), U8("Знаков: 4 из 14"));
                // A key past the limit is told, not dropped unseen.
                labelEdit->setText(QString(14, 'x'));
                QTest::keyClick(labelEdit, Qt::Key_Y);
                QCOMPARE(labelEdit->text(), QString(14, 'x'));
                QVERIFY(lengthLabel->text().contains(U8("Не более 14 знаков")));
                // So is a pasted text longer than the field.
                labelEdit->clear();
                QGuiApplication::clipboard()->setText(U8("Давление высокое"));
                QTest::keyClick(labelEdit, Qt::Key_V, Qt::ControlModifier);
                QCOMPARE(labelEdit->text(), U8("Давление высок"));
                QVERIFY(lengthLabel->text().contains(U8("Не более 14 знаков")));
                labelEdit->setText("Pump");
                Click(Part<QPushButton>(text, "OK"));
            });
            QTest::keyClick(t.inputsGrid, Qt::Key_Return);
            QCOMPARE(heading, QString("4      DI_1_4    "));
            QCOMPARE(t.Cell(3, 4), QString("Pump"));
            QVERIFY(t.reportText->toPlainText().isEmpty());
        });
        QCOMPARE(Label(h, 3), QString("Pump"));
        QCOMPARE(h.Main().Document().history.Size(), steps + 1);
        QVERIFY(h.Op().Shown().empty());
    }

    // Lines from the clipboard fill consecutive labels from the current row: one step, the
    // cut lines and the lines past the last input told.
    void pastedLinesFillConsecutiveLabels_data() {
        QTest::addColumn<int>("row"); // 1-based, as the grid numbers its rows
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("labels"); // of inputs row, row + 1, ...
        QTest::addColumn<QString>("told");       // empty: nothing to tell
        QTest::newRow("three lines, CR LF")
            << 2 << U8("Насос 1\r\nНасос 2\r\nКлапан\r\n")
            << QStringList{U8("Насос 1"), U8("Насос 2"), U8("Клапан"), U8("Дискр.сигн.005")}
            << QString();
        QTest::newRow("a long line is cut") << 5 << U8("Давление высокое\tА1\nУровень")
                                            << QStringList{U8("Давление высок"), U8("Уровень")}
                                            << U8("Тексты длиннее 14 знаков обрезаны: входы 5.");
        QTest::newRow("more lines than inputs")
            << 11 << "a\nb\nc\nd" << QStringList{"a", "b"} << U8("не вставлено строк: 2");
    }
    void pastedLinesFillConsecutiveLabels() {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(QStringList, labels);
        QFETCH(QString, told);
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 2);
        const size_t steps = h.Main().Document().history.Size();
        WithTable(h, [&](InputsTableWindow& t) {
            t.inputsGrid->setCurrentCell(row - 1, InputsTableWindow::ColText);
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(t.inputsGrid, Qt::Key_V, Qt::ControlModifier);
            for (int k = 0; k < labels.size(); ++k)
                QCOMPARE(t.Cell(3, row + k), labels[k]);
        });
        for (int k = 0; k < labels.size(); ++k)
            QCOMPARE(Label(h, row - 1 + k), labels[k]);
        QCOMPARE(Label(h, row - 2), U8("Дискр.сигн.%1").arg(row - 1, 3, 10, QChar('0')));
        QCOMPARE(h.Main().Document().history.Size(), steps + 1);
        QCOMPARE(told.isEmpty(), h.Op().Shown().empty());
        if (!told.isEmpty())
            QVERIFY2(QString::fromStdString(h.Op().Shown().at(0).text).contains(told),
                     h.Op().Shown().at(0).text.c_str());
        // One undo takes the whole paste back.
        QVERIFY(h.Main().UndoEdit());
        for (int k = 0; k < labels.size() && row + k <= 12; ++k)
            QCOMPARE(Label(h, row - 1 + k), U8("Дискр.сигн.%1").arg(row + k, 3, 10, QChar('0')));
    }

    void clipboardOutlivesTheWindow() {
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 1);
        WithTable(h, [&](InputsTableWindow& t) { CopyGroup(h, t, 1, 2); });
        OpenCreatedFile(h, dir_.path(), 2); // another file: the clipboard stays
        WithTable(h, [&](InputsTableWindow& t) {
            QVERIFY(t.insertLabelsAction->isEnabled());
            ReplaceFrom(h, t, "7");
            ReplaceFrom(h, t, "12"); // once more: only input 1's label still fits
        });
        QCOMPARE(Label(h, 6), U8("Дискр.сигн.001"));
        QCOMPARE(Label(h, 7), U8("Дискр.сигн.002"));
        QCOMPARE(Label(h, 8), U8("Дискр.сигн.009"));
        QCOMPARE(Label(h, 11), U8("Дискр.сигн.001"));
    }

    void wrongNumbersAreRefused_data() {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("first 7 last 5") << true << "7"
                                        << "5";
        QTest::newRow("first beyond") << true << "13"
                                      << "13";
        QTest::newRow("last beyond") << true << "1"
                                     << "13";
        QTest::newRow("ten digits") << true << "1"
                                    << "9999999999";
        QTest::newRow("start beyond") << false << "13"
                                      << "";
        QTest::newRow("start ten digits") << false << "4294967297"
                                          << "";
    }
    void wrongNumbersAreRefused() {
        QFETCH(bool, copy);
        QFETCH(QString, first);
        QFETCH(QString, last);
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 2);
        LabelClipboard& clip = h.Main().Clipboard();
        WithTable(h, [&](InputsTableWindow& t) {
            CopyGroup(h, t, 1, 3);
            std::memset(clip.Labels[6], 'x', 14); // what was copied before, unchanged
            AnswerInputGroup(h, first, last);
            copy ? t.copyLabelsAction->trigger() : t.insertLabelsAction->trigger();
        });
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().LastText(), std::string("Неверно задан № входа"));
        QCOMPARE(h.Op().Shown()[0].caption, std::string("Предупреждение"));
        QCOMPARE(h.Op().Shown()[0].icon, MsgIcon::Warning);
        QCOMPARE(clip.FirstInput, 0);
        QCOMPARE(clip.LastInput, 2);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(clip.Labels[6]), 14),
                 QByteArray(14, 'x'));
        for (int i = 0; i < 12; ++i)
            QCOMPARE(Label(h, i), U8("Дискр.сигн.0%1").arg(i + 1, 2, 10, QChar('0')));
        QCOMPARE(h.Main().Settings().labelsPasted, false);
        QVERIFY(!h.Changed());
    }

    void cancelledDialogsChangeNothing() {
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 2);
        WithTable(h, [&](InputsTableWindow& t) {
            RightClickCell(t.inputsGrid, 4, InputsTableWindow::ColText);
            t.contextMenu->hide();
            AnswerInputGroup(h, "1", "2", true);
            t.copyLabelsAction->trigger();
            QVERIFY(!t.insertLabelsAction->isEnabled());
            t.InsertLabelsClick(); // as if the command were offered
            QVERIFY(h.ModalTitles().size() == 3);
        });
        QCOMPARE(Label(h, 0), U8("Дискр.сигн.001"));
        QCOMPARE(h.Main().Settings().labelsPasted, false);
        QVERIFY(!h.Changed());
        QVERIFY(h.Op().Shown().empty());
    }

    void referenceShowingAndBack() {
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 1);
        InputsTableWindow t(h.Main(), &h.Main());
        bool ran = false;
        h.OnModal([&](QDialog&) {
            QVERIFY(t.reportButton->isHidden());
            QCOMPARE(t.Cell(4, 1), QString(8, ' '));
            QCOMPARE(t.Cell(4, 6), QString(8, ' '));
            QVERIFY(t.Cell(4, 7).isEmpty());
            QCOMPARE(t.Cell(2, 6), QString(" 0x05"));
            ran = true;
        });
        t.ShowForReference();
        QVERIFY(ran);
        WithTable(h, [&](InputsTableWindow& t) {
            QVERIFY(t.reportButton->isVisible());
            QVERIFY(t.Cell(4, 1).isEmpty());
        });
    }
};

QTEST_MAIN(TestInform)
#include "tst_inputstable.moc"
