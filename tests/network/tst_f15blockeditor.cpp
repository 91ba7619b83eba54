// The F15 block editor: filling from the image, the leave handling of the function code and of
// the number of inputs, the close checks in their order, and what the close does with the image.

#include "dialogs/fieldcheck.h"
#include "helper_network.h"
#include "network/f15blockeditor.h"
#include "network/networkwindow.h"
#include "report/inputstable.h"
#include "words/linkwords.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(MsgButton)

namespace {
const char* const kFinishQuestion = "Ошибка программирования \nЗакончить?";
const char* const kSaveQuestion = "База  была изменена.Сохранить?";
const char* const kEndedWithError = "программирование закончено с ошибкой";

// Block 1: F15 to slave 5, 8 inputs from 0x01A0, acknowledge on, signals 1..8; the signal
// bytes past the eighth and the other flag bits carry a pattern that must survive. No block 2.
NetImage ExampleImage() {
    NetImage image = PatternImage();
    const uint8_t head[16] = {15, 8, 5, 0xA0, 0x01, 8, 0, 0x91, 1, 2, 3, 4, 5, 6, 7, 8};
    std::copy(head, head + 16, image.begin() + 1);
    image[41] = 0;
    return image;
}

// Replaces the field's text as the operator types it (through the key filter).
void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// Leaves the field for the next control with Tab.
void Leave(QLineEdit* field) {
    QTest::keyClick(field, Qt::Key_Tab);
    QApplication::processEvents(); // a failed function code closes right after the focus move
}

// Opens the editor for block (0 or 1) from the block list; after runs in the network window
// once the editor is closed, before the network window closes.
void Edit(GuiHarness& h, int block, std::function<void(F15BlockEditor&)> fill,
          std::function<void(NetworkWindow&)> after = {}) {
    h.OnModal([&h, block, after](QDialog& d) {
        auto& net = static_cast<NetworkWindow&>(d);
        Click(net.BlockButtons[block]);
        if (after)
            after(net);
        h.Op().Answer(MsgButton::No); // the network window's own question, if it comes
    });
    h.OnModal([fill](QDialog& d) {
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        fill(static_cast<F15BlockEditor&>(d));
    });
    h.Main().F15BlocksClick();
}

int BlockByte(GuiHarness& h, int block, int offset) {
    return h.Main().Network().Image[1 + 40 * block + offset];
}

QLineEdit* FieldNamed(F15BlockEditor& e, const QString& name) {
    if (name.startsWith("Edit") && name.mid(4).toInt() > 0)
        return e.signalEdits[name.mid(4).toInt() - 1];
    for (QLineEdit* f : {e.inputCountEdit, e.functionCodeEdit, e.startAddressEdit, e.dataCountEdit})
        if (f->objectName() == name)
            return f;
    return nullptr;
}

void CheckFinishQuestion(const OperatorMessage& m) {
    QCOMPARE(m.text, std::string(kFinishQuestion));
    QCOMPARE(m.caption, std::string("Подтвердите окончание программирования"));
    QCOMPARE(m.icon, MsgIcon::Question);
    QCOMPARE(m.buttons, (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No}));
    QCOMPARE(m.defaultButton, MsgButton::No); // "Да" throws the block's edits away
}
} // namespace

class TestF15Editor : public QObject {
    Q_OBJECT

private slots:
    void fillsFromTheBlock_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<QStringList>("shown"); // code, slave, inputs, address, count
        QTest::addColumn<int>("enabled");
        QTest::addColumn<bool>("acknowledge");
        QTest::newRow("block 1") << 0 << QStringList{"15", "5", "8", "01A0", "8"} << 8 << true;
        QTest::newRow("no block 2") << 1 << QStringList{"0", "", "00", "0000", "00"} << 0 << false;
    }
    void fillsFromTheBlock() {
        QFETCH(int, block);
        QFETCH(QStringList, shown);
        QFETCH(int, enabled);
        QFETCH(bool, acknowledge);
        GuiHarness h;
        LoadImage(h, ExampleImage());
        bool seen = false;
        Edit(h, block, [&](F15BlockEditor& e) {
            QCOMPARE(e.windowTitle(), U("Программирование функционального блока MBM"));
            QCOMPARE(e.masterLabel->text(), QString::number(block + 1));
            QCOMPARE((QStringList{e.functionCodeEdit->text(), e.deviceNumberBox->currentText(),
                                  e.inputCountEdit->text(), e.startAddressEdit->text(),
                                  e.dataCountEdit->text()}),
                     shown);
            QCOMPARE(e.acknowledgeButton->isChecked(), acknowledge);
            QVERIFY(!e.resetButton->isChecked());
            for (int k = 0; k < 32; ++k) {
                QCOMPARE(e.signalEdits[k]->isEnabled(), k < enabled);
                QCOMPARE(e.signalEdits[k]->text(), QString::number(k < enabled ? k + 1 : 0));
            }
            QVERIFY(!h.Main().Document().NetworkChanged()); // filling is no edit
            seen = true;
            Click(e.OK);
        });
        QVERIFY(seen);
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
    }

    void exampleBlockIsStored() {
        GuiHarness h;
        NetImage image = PatternImage();
        std::fill(image.begin() + 1, image.begin() + 8, 0); // no block 1 yet
        image[8] = 0x81;                                    // flag bits of its own
        LoadImage(h, image);
        h.SetFileMode();
        Edit(h, 0, [&](F15BlockEditor& e) {
            Type(e.functionCodeEdit, "15");
            Leave(e.functionCodeEdit);
            QCOMPARE(BlockByte(h, 0, 0), 15); // stored on leaving
            e.deviceNumberBox->setCurrentIndex(4);
            Type(e.inputCountEdit, "8");
            Leave(e.inputCountEdit);
            for (int k = 0; k < 8; ++k)
                Type(e.signalEdits[k], QString::number(k + 1));
            Type(e.startAddressEdit, "1A0");
            Type(e.dataCountEdit, "8");
            e.acknowledgeButton->click();
            Click(e.OK);
            QVERIFY(!e.isVisible());
        });
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        NetImage expected = image;
        const uint8_t block[16] = {15, 8, 5, 0xA0, 0x01, 8, 0, 0x91, 1, 2, 3, 4, 5, 6, 7, 8};
        std::copy(block, block + 16, expected.begin() + 1);
        QCOMPARE(ImageOf(h.Main().Network()), expected);
        QCOMPARE(int(h.Main().Document().IsFileMode() && h.Changed()), 1);

        // The list position gives the slave address: "1" is 1, "32" is 32.
        for (int index : {0, 31}) {
            Edit(h, 0, [&](F15BlockEditor& e) {
                e.deviceNumberBox->setCurrentIndex(index);
                Click(e.OK);
            });
            QCOMPARE(BlockByte(h, 0, 2), index + 1);
        }
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
    }

    void closeChecks_data() {
        QTest::addColumn<QString>("field"); // the field set (as if pasted) before OK
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message"); // empty: the badge " Ошибка ввода " instead
        QTest::newRow("data count 16 with 8 inputs")
            << "dataCountEdit"
            << "16" << U("ошибка в количестве данных в запросе");
        QTest::newRow("33 inputs") << "inputCountEdit"
                                   << "33" << U("ошибка в количестве входов блока");
        QTest::newRow("0 inputs") << "inputCountEdit"
                                  << "0"
                                  << "";
        QTest::newRow("no inputs") << "inputCountEdit"
                                   << ""
                                   << "";
        QTest::newRow("signal 37 in field 3") << "Edit3"
                                              << "37" << U("ошибка в адресе дискретного сигнала 3");
        QTest::newRow("empty signal field 8") << "Edit8"
                                              << "" << U("ошибка в адресе дискретного сигнала 8");
        QTest::newRow("no slave address") << "deviceNumberBox"
                                          << "" << U("адрес Slave в локальной сети не задан");
        QTest::newRow("pasted start address") << "startAddressEdit"
                                              << "1G"
                                              << "";
        QTest::newRow("function code 3") << "functionCodeEdit"
                                         << "3"
                                         << "";
    }
    void closeChecks() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        GuiHarness h;
        const NetImage read = ExampleImage();
        LoadImage(h, read);
        h.Main().Network().Image[81] = 0x0F; // a line settings edit, not saved yet
        auto setBadValue = [&](F15BlockEditor& e) {
            if (field == "deviceNumberBox")
                e.deviceNumberBox->setCurrentIndex(-1);
            else
                FieldNamed(e, field)->setText(value);
        };
        bool stayedOpen = false;
        auto fill = [&](F15BlockEditor& e) {
            for (int k = 0; k < 8; ++k)
                e.signalEdits[k]->setText(QString::number(20 + k));
            e.startAddressEdit->setText("2B");
            setBadValue(e);
            if (!message.isEmpty())
                h.Op().Answer(MsgButton::Ok);
            h.Op().Answer(MsgButton::No);
            Click(e.OK);
            QApplication::processEvents(); // nothing more may come: one question per failure
            stayedOpen = e.isVisible();
            const auto& shown = h.Op().Shown();
            QCOMPARE(shown.size(), size_t(message.isEmpty() ? 1 : 2));
            if (!message.isEmpty()) {
                QCOMPARE(QString::fromStdString(shown[0].text), message);
                QCOMPARE(shown[0].caption, std::string()); // the application's title
                QCOMPARE(shown[0].icon, MsgIcon::None);
                QCOMPARE(shown[0].buttons, std::vector<MsgButton>{MsgButton::Ok});
            }
            CheckFinishQuestion(shown.back());
            QCOMPARE(e.errorMarker->isVisible(), message.isEmpty());
            if (message.isEmpty())
                QCOMPARE(e.errorMarker->text(), U(" Ошибка ввода "));
            if (field == "inputCountEdit" && message.isEmpty())
                QCOMPARE(e.inputCountEdit->text(), QString("8")); // the stored number back
            if (field == "Edit3") { // the values before the failed one are stored already
                QCOMPARE(BlockByte(h, 0, 8), 20);
                QCOMPARE(BlockByte(h, 0, 9), 21);
                QCOMPARE(BlockByte(h, 0, 10), 3);
                QCOMPARE(BlockByte(h, 0, 4) << 8 | BlockByte(h, 0, 3), 0x2B);
            }
            if (field == "deviceNumberBox")
                QCOMPARE(BlockByte(h, 0, 2), 0);
            // Now end the programming: the whole image returns to the reserve copy.
            setBadValue(e);
            h.Op().Clear();
            if (!message.isEmpty())
                h.Op().Answer(MsgButton::Ok);
            h.Op().Answer(MsgButton::Yes);
            Click(e.OK);
            QVERIFY(!e.isVisible());
            QVERIFY(e.errorMarker->isHidden());
        };
        Edit(h, 0, fill, [&](NetworkWindow& net) {
            const OperatorMessage& m = h.Op().Shown().back();
            QCOMPARE(m.text, std::string(kEndedWithError));
            QCOMPARE(m.caption, std::string("Ошибка"));
            QCOMPARE(m.icon, MsgIcon::Error);
            // The edits are given up: the image is the device's again, nothing to transfer.
            QCOMPARE(ImageOf(h.Main().Network()), read);
            QVERIFY(!h.Main().Document().NetworkChanged());
            QCOMPARE(net.blockButton1->text(), U("Ф15"));
        });
        QVERIFY(stayedOpen);
    }

    void leavingTheInputCountResetsTheSignals_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("enabled");
        QTest::addColumn<QString>("shownAfter");
        QTest::newRow("4 inputs") << "4" << 4 << "4";
        QTest::newRow("same count") << "8" << 8 << "8";
        QTest::newRow("40 is limited to 32") << "40" << 32 << "40";
        QTest::newRow("0 inputs") << "0" << 0 << "0";
        QTest::newRow("empty: the stored count back") << "" << 0 << "8";
    }
    void leavingTheInputCountResetsTheSignals() {
        QFETCH(QString, typed);
        QFETCH(int, enabled);
        QFETCH(QString, shownAfter);
        GuiHarness h;
        LoadImage(h, ExampleImage());
        Edit(h, 0, [&](F15BlockEditor& e) {
            for (int k = 0; k < 8; ++k)
                Type(e.signalEdits[k], QString::number(30 + k));
            Type(e.inputCountEdit, typed);
            Leave(e.inputCountEdit);
            for (int k = 0; k < 32; ++k) {
                QCOMPARE(e.signalEdits[k]->isEnabled(), k < enabled);
                QCOMPARE(e.signalEdits[k]->text(), QString("0"));
            }
            QCOMPARE(e.inputCountEdit->text(), shownAfter);
            QCOMPARE(e.errorMarker->isVisible(), typed.isEmpty());
            h.Op().Answer(MsgButton::No); // the save question: discard
            Click(e.OK);
        });
        QCOMPARE(ImageOf(h.Main().Network()), ExampleImage());
    }

    void leavingTheFunctionCode_data() {
        QTest::addColumn<int>("block");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("fails");
        QTest::newRow("3") << 0 << "3" << true;
        QTest::newRow("0 for a block that exists") << 0 << "0" << true;
        QTest::newRow("empty") << 0 << "" << true;
        QTest::newRow("15 again") << 0 << "15" << false;
        QTest::newRow("0 for no block") << 1 << "0" << false;
        QTest::newRow("15 makes a block") << 1 << "15" << false;
    }
    void leavingTheFunctionCode() {
        QFETCH(int, block);
        QFETCH(QString, typed);
        QFETCH(bool, fails);
        GuiHarness h;
        const NetImage read = ExampleImage();
        LoadImage(h, read);
        h.Main().Network().Image[81] = 0x0F;
        Edit(
            h, block,
            [&](F15BlockEditor& e) {
                h.Op().Answer(MsgButton::Yes);
                Type(e.functionCodeEdit, typed);
                Leave(e.functionCodeEdit);
                // A failure asks at once, without OK.
                QCOMPARE(h.Op().Saw(kFinishQuestion), fails);
                QCOMPARE(e.isVisible(), !fails);
                if (!fails) {
                    QCOMPARE(BlockByte(h, block, 0), typed.toInt());
                    e.hide(); // the close checks are not the point here
                }
            },
            [&](NetworkWindow& net) {
                QCOMPARE(h.Op().Saw(kEndedWithError), fails);
                if (fails) {
                    CheckFinishQuestion(h.Op().Shown()[0]);
                    QCOMPARE(ImageOf(h.Main().Network()), read); // the settings byte too
                    QCOMPARE(net.BlockButtons[block]->text(), U("Ф15"));
                }
            });
    }

    void emptyBlockClosesAtOnce() {
        GuiHarness h;
        LoadImage(h, ExampleImage());
        Edit(
            h, 1, [&](F15BlockEditor& e) { Click(e.OK); },
            [&](NetworkWindow& net) {
                QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
                QVERIFY(net.blockButton2->text().isEmpty());
            });
        QCOMPARE(ImageOf(h.Main().Network()), ExampleImage());
        QVERIFY(h.Fake().Written().empty());
    }

    // The close query's own focus moves are no operator leaving the inputs count: after Отмена
    // the signal numbers typed are still there, and a click elsewhere keeps them.
    void typedSignalsSurviveACancelledClose() {
        GuiHarness h;
        LoadImage(h, ExampleImage());
        Edit(h, 0, [&](F15BlockEditor& e) {
            Type(e.signalEdits[2], "33");
            Type(e.signalEdits[5], "34");
            h.Op().Answer(MsgButton::Cancel);
            Click(e.OK);
            QVERIFY(e.isVisible());
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.inputCountEdit));
            QTest::mouseClick(e.startAddressEdit, Qt::LeftButton);
            QCOMPARE(e.signalEdits[2]->text(), QString("33"));
            QCOMPARE(e.signalEdits[5]->text(), QString("34"));
            QVERIFY(e.signalEdits[7]->isEnabled());
            h.Op().Answer(MsgButton::No);
            Click(e.OK);
        });
        QCOMPARE(h.PendingModal(), 0);
    }

    void saveQuestion_data() {
        QTest::addColumn<MsgButton>("answer");
        QTest::addColumn<bool>("silent"); // the device does not answer
        QTest::addColumn<bool>("written");
        QTest::newRow("Yes writes") << MsgButton::Yes << false << true;
        QTest::newRow("Yes, device silent") << MsgButton::Yes << true << false;
        QTest::newRow("No restores") << MsgButton::No << false << false;
        QTest::newRow("Cancel stays") << MsgButton::Cancel << false << false;
    }
    void saveQuestion() {
        QFETCH(MsgButton, answer);
        QFETCH(bool, silent);
        QFETCH(bool, written);
        GuiHarness h;
        const NetImage read = ExampleImage();
        LoadImage(h, read);
        if (silent)
            SilentAfterBackup(h);
        NetImage edited = read;
        edited[1 + 8 + 2] = 33;
        bool open = false;
        Edit(
            h, 0,
            [&](F15BlockEditor& e) {
                Type(e.signalEdits[2], "33");
                h.Op().Answer(answer);
                Click(e.OK);
                open = e.isVisible();
                const OperatorMessage& m = h.Op().Shown().at(0);
                QCOMPARE(m.text, std::string(kSaveQuestion));
                QCOMPARE(m.caption, std::string("Подтвердите сохранение базы данных"));
                QCOMPARE(m.icon, MsgIcon::Question);
                QCOMPARE(m.buttons, (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No,
                                                            MsgButton::Cancel}));
                QCOMPARE(m.defaultButton, MsgButton::Cancel);
                if (written)
                    QCOMPARE(e.progressBar->value(), 100); // every request made
                QVERIFY(e.progressBar->isHidden());
                if (silent)
                    QCOMPARE(h.Op().LastText(),
                             MessageFor(h.Main().Engine(), 0, 130).text +
                                 "\nСетевые блоки переданы, но прибор не подтвердил их запись.");
                if (open) {
                    h.Op().Answer(MsgButton::No);
                    Click(e.OK);
                }
            },
            [&](NetworkWindow&) {
                const bool yes = answer == MsgButton::Yes;
                QCOMPARE(ImageOf(h.Main().Network()), yes ? edited : read);
                // The image differs from the device only after a write that failed: the network
                // window's close then offers the transfer again. Given-up edits leave nothing.
                QCOMPARE(h.Main().Document().NetworkChanged(), yes && silent);
            });
        QCOMPARE(open, answer == MsgButton::Cancel);
        QCOMPARE(h.Device().GetImage(), written ? edited : NetImage{17});
        QCOMPARE(ReserveOf(h), written ? edited : read);
    }

    void pendingDeletionIsNotForgottenByTheEditor_data() {
        QTest::addColumn<bool>("fileMode");
        QTest::newRow("file") << true;
        QTest::newRow("device") << false;
    }
    void pendingDeletionIsNotForgottenByTheEditor() {
        QFETCH(bool, fileMode);
        GuiHarness h;
        NetImage read = ExampleImage();
        read[41] = 15; // block 2 exists too
        LoadImage(h, read);
        NetImage deleted = read;
        for (int i = 41; i <= 80; ++i)
            deleted[i] = i == 48 ? read[48] : 0; // all of block 2 but its flags
        if (fileMode)
            h.SetFileMode();
        h.OnModal([&](QDialog& d) {
            auto& net = static_cast<NetworkWindow&>(d);
            QTest::mousePress(net.blockButton2, Qt::RightButton);
            net.contextMenu->hide();
            net.deleteBlockAction->trigger();
            h.Op().Answer(MsgButton::Yes); // the editor asks to save: the base was changed
            Click(net.blockButton1);
            Click(net.OK);
        });
        h.OnModal([](QDialog& d) { Click(static_cast<F15BlockEditor&>(d).OK); });
        h.Main().F15BlocksClick();
        QCOMPARE(ImageOf(h.Main().Network()), deleted);
        if (fileMode) {
            QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
            QCOMPARE(int(h.Main().Document().IsFileMode() && h.Changed()), 1);
        } else {
            QCOMPARE(h.Op().Shown().size(), size_t(1));
            QCOMPARE(h.Op().Shown()[0].text, std::string(kSaveQuestion));
            QCOMPARE(h.Device().GetImage(), deleted);
        }
    }

    void enterAndTabMoveOnWithoutComplaint() {
        GuiHarness h;
        LoadImage(h, NetImage{17});
        Edit(h, 1, [&](F15BlockEditor& e) {
            Type(e.functionCodeEdit, "15");
            QTest::keyClick(e.functionCodeEdit, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.deviceNumberBox));
            QCOMPARE(BlockByte(h, 1, 0), 15);
            Type(e.inputCountEdit, "3");
            QTest::keyClick(e.inputCountEdit, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.functionCodeEdit));
            QVERIFY(e.signalEdits[2]->isEnabled() && !e.signalEdits[3]->isEnabled());
            QTest::keyClick(e.functionCodeEdit, Qt::Key_Backtab);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.inputCountEdit));
            QCOMPARE(e.functionCodeEdit->text(), QString("15"));
            QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
            e.hide();
        });
    }

    void inputSignalsButtonShowsTheInputsTable() {
        GuiHarness h;
        LoadImage(h, ExampleImage());
        Edit(h, 0, [&](F15BlockEditor& e) {
            QCOMPARE(e.inputsTableButton->text(), U("Входные сигналы"));
            const int before = h.ModalTitles().size();
            Click(e.inputsTableButton);
            QCOMPARE(h.ModalTitles().size(), before + 1);
            QCOMPARE(h.ModalTitles().last(), U("Информация о входах"));
            Click(e.OK);
        });
    }
};

QTEST_MAIN(TestF15Editor)
#include "tst_f15blockeditor.moc"
