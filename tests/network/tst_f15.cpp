// The F15 block editor: filling from the image, the leave handling of the function code and of
// the number of inputs, the close checks in their order, and what the close does with the image.

#include "dialogs/fieldcheck.h"
#include "helper_network.h"
#include "network/prog_f15.h"
#include "network/prog_lnet.h"
#include "report/obrinform.h"

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

// Block 1 of Part of the example: F15 to slave 5, 8 inputs from 0x01A0, acknowledge on; the
// signal bytes past the eighth and the other flag bits carry a pattern that must survive.
NetImage ExampleImage() {
    NetImage image = PatternImage();
    const uint8_t head[8] = {15, 8, 5, 0xA0, 0x01, 8, 0, 0x91};
    std::copy(head, head + 8, image.begin() + 1);
    for (int k = 0; k < 8; ++k)
        image[9 + k] = uint8_t(k + 1);
    image[41] = 0; // block 2 does not exist
    return image;
}

void Activate(QWidget& w) {
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
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
void Edit(GuiHarness& h, int block, std::function<void(TFormF15&)> fill,
          std::function<void(TFormLNet&)> after = {}) {
    h.OnModal([&h, block, after](QDialog& d) {
        auto& net = static_cast<TFormLNet&>(d);
        Click(net.BlockButtons[block]);
        if (after)
            after(net);
        h.Op().Answer(MsgButton::No); // the network window's own question, if it comes
    });
    h.OnModal([fill](QDialog& d) {
        auto& editor = static_cast<TFormF15&>(d);
        Activate(editor);
        fill(editor);
    });
    h.Main().LocNet15Click();
}

int BlockByte(GuiHarness& h, int block, int offset) {
    return h.Main().ProgF15().BufF15[1 + 40 * block + offset];
}

void CheckPlain(const OperatorMessage& m, const char* text) {
    QCOMPARE(m.text, std::string(text));
    QCOMPARE(m.caption, std::string());
    QCOMPARE(m.icon, MsgIcon::None);
    QCOMPARE(m.buttons, std::vector<MsgButton>{MsgButton::Ok});
}

void CheckFinishQuestion(const OperatorMessage& m) {
    QCOMPARE(m.text, std::string(kFinishQuestion));
    QCOMPARE(m.caption, std::string("Подтвердите окончание программирования"));
    QCOMPARE(m.icon, MsgIcon::Question);
    QCOMPARE(m.buttons, (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No}));
}
} // namespace

class TestF15Editor : public QObject {
    Q_OBJECT

private slots:
    void fillsFromTheBlock() {
        GuiHarness h;
        NetImage image = ExampleImage();
        image[1 + 7] = 0x20; // reset on, acknowledge off
        LoadImage(h, image);
        bool seen = false;
        Edit(h, 0, [&](TFormF15& e) {
            QCOMPARE(e.windowTitle(), U("Программирование функционального блока MBM"));
            QCOMPARE(e.LabFB->text(), U("Функциональный блок ModBus Master  Ф15"));
            QCOMPARE(e.LabN_MBM->text(), QString("1"));
            QCOMPARE(e.EditKodF->text(), QString("15"));
            QCOMPARE(e.CBoxUstr->currentText(), QString("5"));
            QCOMPARE(e.CBoxUstr->count(), 32);
            QCOMPARE(e.EditKolVh->text(), QString("8"));
            QCOMPARE(e.EditAdBegDat->text(), QString("01A0"));
            QCOMPARE(e.EditKolDat->text(), QString("8"));
            QVERIFY(!e.Kvit->isChecked());
            QVERIFY(e.Sbros->isChecked());
            for (int k = 0; k < 32; ++k) {
                QCOMPARE(e.Edit[k]->isEnabled(), k < 8);
                QCOMPARE(e.Edit[k]->text(), QString::number(k < 8 ? k + 1 : 0));
            }
            QVERIFY(h.Main().ProgF15().FlagNoChange); // filling is no edit
            QVERIFY(e.ErrorText->isHidden());
            seen = true;
            Click(e.OK);
        });
        QVERIFY(seen);
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());

        // Block 2 does not exist; a slave address of 0 selects nothing.
        image[1 + 2] = 0;
        LoadImage(h, image);
        Edit(h, 1, [&](TFormF15& e) {
            QCOMPARE(e.LabN_MBM->text(), QString("2"));
            QCOMPARE(e.EditKodF->text(), QString("0"));
            QCOMPARE(e.CBoxUstr->currentIndex(), -1);
            QCOMPARE(e.EditKolVh->text(), QString("00"));
            QCOMPARE(e.EditKolDat->text(), QString("00"));
            QCOMPARE(e.EditAdBegDat->text(), QString("0000"));
            QVERIFY(!e.Kvit->isChecked() && !e.Sbros->isChecked());
            for (QLineEdit* field : e.Edit) {
                QVERIFY(!field->isEnabled());
                QCOMPARE(field->text(), QString("0"));
            }
            Click(e.OK);
        });
        Edit(h, 0, [&](TFormF15& e) {
            QCOMPARE(e.CBoxUstr->currentIndex(), -1);
            Click(e.OK);
        });
    }

    void exampleBlockIsStored() {
        GuiHarness h;
        NetImage image = PatternImage();
        for (int i = 1; i <= 8; ++i)
            image[i] = 0; // no block 1 yet; its flags byte keeps other bits
        image[8] = 0x81;
        LoadImage(h, image);
        h.Main().Serv().FlagFile = 1;
        Edit(h, 0, [&](TFormF15& e) {
            Type(e.EditKodF, "15");
            Leave(e.EditKodF);
            QCOMPARE(BlockByte(h, 0, 0), 15); // stored on leaving
            e.CBoxUstr->setCurrentIndex(4);
            Type(e.EditKolVh, "8");
            Leave(e.EditKolVh);
            for (int k = 0; k < 8; ++k)
                Type(e.Edit[k], QString::number(k + 1));
            Type(e.EditAdBegDat, "1A0");
            Type(e.EditKolDat, "8");
            e.Kvit->click();
            Click(e.OK);
            QVERIFY(!e.isVisible());
        });
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        NetImage expected = image;
        const uint8_t block[16] = {15, 8, 5, 0xA0, 0x01, 8, 0, 0x91, 1, 2, 3, 4, 5, 6, 7, 8};
        std::copy(block, block + 16, expected.begin() + 1);
        QCOMPARE(ImageOf(h.Main().ProgF15()), expected);
        QCOMPARE(h.Main().Serv().FlagChange, 1);
    }

    void slaveAddressIsTheListPosition_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("stored");
        QTest::newRow("first entry") << 0 << 1;
        QTest::newRow("last entry") << 31 << 32;
    }
    void slaveAddressIsTheListPosition() {
        QFETCH(int, index);
        QFETCH(int, stored);
        GuiHarness h;
        LoadImage(h, ExampleImage());
        h.Main().Serv().FlagFile = 1;
        Edit(h, 0, [&](TFormF15& e) {
            QCOMPARE(e.CBoxUstr->itemText(index), QString::number(stored));
            e.CBoxUstr->setCurrentIndex(index);
            Click(e.OK);
        });
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QCOMPARE(BlockByte(h, 0, 2), stored);
    }

    void closeChecks_data() {
        QTest::addColumn<QString>("field"); // the field changed before OK
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message"); // empty: the badge " Ошибка ввода "
        QTest::addColumn<QString>("badgeAt");
        QTest::newRow("data count 16 with 8 inputs")
            << "EditKolDat"
            << "16" << U("ошибка в количестве данных в запросе") << "";
        QTest::newRow("33 inputs") << "EditKolVh"
                                   << "33" << U("ошибка в количестве входов блока") << "";
        QTest::newRow("0 inputs") << "EditKolVh"
                                  << "0"
                                  << ""
                                  << "EditKolVh";
        QTest::newRow("no inputs") << "EditKolVh"
                                   << ""
                                   << ""
                                   << "EditKolVh";
        QTest::newRow("signal 37 in field 3")
            << "Edit3"
            << "37" << U("ошибка в адресе дискретного сигнала 3") << "";
        QTest::newRow("empty signal field 8")
            << "Edit8"
            << "" << U("ошибка в адресе дискретного сигнала 8") << "";
        QTest::newRow("no slave address") << "CBoxUstr"
                                          << "" << U("адрес Slave в локальной сети не задан") << "";
        QTest::newRow("pasted start address") << "EditAdBegDat"
                                              << "1G"
                                              << ""
                                              << "EditAdBegDat";
        QTest::newRow("function code 3") << "EditKodF"
                                         << "3"
                                         << ""
                                         << "EditKodF";
    }
    void closeChecks() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(QString, badgeAt);
        GuiHarness h;
        const NetImage read = ExampleImage();
        LoadImage(h, read);
        h.Main().ProgF15().BufF15[81] = 0x0F; // an edit of the line settings, not yet saved
        bool stayedOpen = false;
        Edit(
            h, 0,
            [&](TFormF15& e) {
                // Set without leaving the field, as pasted text would be.
                for (int k = 0; k < 8; ++k)
                    e.Edit[k]->setText(QString::number(20 + k));
                e.EditAdBegDat->setText("2B");
                if (field == "CBoxUstr")
                    e.CBoxUstr->setCurrentIndex(-1);
                QLineEdit* target = nullptr;
                if (field == "EditKolDat")
                    target = e.EditKolDat;
                else if (field == "EditKolVh")
                    target = e.EditKolVh;
                else if (field == "EditAdBegDat")
                    target = e.EditAdBegDat;
                else if (field == "EditKodF")
                    target = e.EditKodF;
                else if (field.startsWith("Edit"))
                    target = e.Edit[field.mid(4).toInt() - 1];
                if (target)
                    target->setText(value);
                e.OK->setFocus();
                if (!message.isEmpty())
                    h.Op().Answer(MsgButton::Ok);
                h.Op().Answer(MsgButton::No);
                Click(e.OK);
                stayedOpen = e.isVisible();
                const auto& shown = h.Op().Shown();
                QCOMPARE(shown.size(), size_t(message.isEmpty() ? 1 : 2));
                if (!message.isEmpty())
                    CheckPlain(shown[0], message.toUtf8().constData());
                CheckFinishQuestion(shown.back());
                QLabel* badge = e.ErrorText;
                QCOMPARE(badge->isVisible(), !badgeAt.isEmpty());
                if (!badgeAt.isEmpty())
                    QCOMPARE(badge->text(), U(" Ошибка ввода "));
                if (badgeAt == "EditKolVh")
                    QCOMPARE(e.EditKolVh->text(), QString("8")); // the stored number back
                // The values before the failed one are in the image already.
                if (field == "Edit3") {
                    QCOMPARE(BlockByte(h, 0, 8), 20);
                    QCOMPARE(BlockByte(h, 0, 9), 21);
                    QCOMPARE(BlockByte(h, 0, 10), 3);
                    QCOMPARE(BlockByte(h, 0, 4) << 8 | BlockByte(h, 0, 3), 0x2B);
                }
                if (field == "CBoxUstr")
                    QCOMPARE(BlockByte(h, 0, 2), 0);
                // Now end the programming: the whole image returns to the reserve copy.
                if (target)
                    target->setText(value); // a failed number of inputs was put back
                h.Op().Clear();
                if (!message.isEmpty())
                    h.Op().Answer(MsgButton::Ok);
                h.Op().Answer(MsgButton::Yes);
                Click(e.OK);
                QVERIFY(!e.isVisible());
                QVERIFY(e.ErrorText->isHidden());
                QCOMPARE(e.result(), int(mr::Yes));
            },
            [&](TFormLNet& net) {
                QCOMPARE(h.Op().LastText(), std::string(kEndedWithError));
                QCOMPARE(h.Op().Shown().back().caption, std::string("Ошибка"));
                QCOMPARE(h.Op().Shown().back().icon, MsgIcon::Error);
                QCOMPARE(ImageOf(h.Main().ProgF15()), read);
                QVERIFY(!h.Main().ProgF15().FlagNoChange);
                QCOMPARE(net.LocNet15_1->text(), U("Ф15"));
            });
        QVERIFY(stayedOpen);
    }

    void leavingTheInputCountResetsTheSignals_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("enabled");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<bool>("badge");
        QTest::newRow("4 inputs") << "4" << 4 << "4" << false;
        QTest::newRow("same count") << "8" << 8 << "8" << false;
        QTest::newRow("40 is limited to 32") << "40" << 32 << "40" << false;
        QTest::newRow("0 inputs") << "0" << 0 << "0" << false;
        QTest::newRow("empty: the stored count back") << "" << 0 << "8" << true;
    }
    void leavingTheInputCountResetsTheSignals() {
        QFETCH(QString, typed);
        QFETCH(int, enabled);
        QFETCH(QString, shownAfter);
        QFETCH(bool, badge);
        GuiHarness h;
        LoadImage(h, ExampleImage());
        Edit(h, 0, [&](TFormF15& e) {
            for (int k = 0; k < 8; ++k)
                Type(e.Edit[k], QString::number(30 + k));
            Type(e.EditKolVh, typed);
            Leave(e.EditKolVh);
            for (int k = 0; k < 32; ++k) {
                QCOMPARE(e.Edit[k]->isEnabled(), k < enabled);
                QCOMPARE(e.Edit[k]->text(), QString("0"));
            }
            QCOMPARE(e.EditKolVh->text(), shownAfter);
            QCOMPARE(e.ErrorText->isVisible(), badge);
            QVERIFY(!h.Main().ProgF15().FlagNoChange);
            h.Op().Answer(MsgButton::No); // the save question: discard
            Click(e.OK);
        });
        QCOMPARE(ImageOf(h.Main().ProgF15()), ExampleImage());
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
        h.Main().ProgF15().BufF15[81] = 0x0F;
        bool asked = false;
        Edit(
            h, block,
            [&](TFormF15& e) {
                h.Op().Answer(MsgButton::Yes);
                Type(e.EditKodF, typed);
                Leave(e.EditKodF);
                asked = h.Op().Saw(kFinishQuestion);
                QCOMPARE(e.isVisible(), !fails);
                if (!fails) {
                    QCOMPARE(BlockByte(h, block, 0), typed.toInt());
                    QVERIFY(h.Op().Shown().empty());
                    e.hide(); // the close checks are not the point here
                }
            },
            [&](TFormLNet& net) {
                QCOMPARE(h.Op().Saw(kEndedWithError), fails);
                if (fails) {
                    CheckFinishQuestion(h.Op().Shown()[0]);
                    QCOMPARE(ImageOf(h.Main().ProgF15()), read); // settings byte too
                    QCOMPARE(net.BlockButtons[block]->text(), U("Ф15"));
                }
            });
        QCOMPARE(asked, fails);
    }

    void finishQuestionNoKeepsTheEditorOpen() {
        GuiHarness h;
        LoadImage(h, ExampleImage());
        bool checked = false;
        Edit(h, 0, [&](TFormF15& e) {
            h.Op().Answer(MsgButton::No);
            Type(e.EditKodF, "3");
            Leave(e.EditKodF);
            QVERIFY(e.isVisible());
            QVERIFY(e.ErrorText->isVisible());
            // The operator puts it right and closes normally; one question, no second one.
            Type(e.EditKodF, "15");
            QCOMPARE(h.Op().Shown().size(), size_t(1));
            h.Op().Answer(MsgButton::No); // the save question
            Click(e.OK);
            QVERIFY(!e.isVisible());
            QCOMPARE(h.Op().Shown().back().text, std::string(kSaveQuestion));
            checked = true;
        });
        QVERIFY(checked);
        QVERIFY(!h.Op().Saw(kEndedWithError));
    }

    void emptyBlockClosesAtOnce() {
        GuiHarness h;
        LoadImage(h, ExampleImage());
        Edit(
            h, 1, [&](TFormF15& e) { Click(e.OK); },
            [&](TFormLNet& net) {
                QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
                QVERIFY(net.LocNet15_2->text().isEmpty());
            });
        QCOMPARE(ImageOf(h.Main().ProgF15()), ExampleImage());
        QVERIFY(h.Fake().Written().empty());
    }

    void saveQuestion_data() {
        QTest::addColumn<MsgButton>("answer");
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("Yes writes") << MsgButton::Yes << true << false;
        QTest::newRow("No restores") << MsgButton::No << false << false;
        QTest::newRow("Cancel stays") << MsgButton::Cancel << false << true;
    }
    void saveQuestion() {
        QFETCH(MsgButton, answer);
        QFETCH(bool, written);
        QFETCH(bool, staysOpen);
        GuiHarness h;
        const NetImage read = ExampleImage();
        LoadImage(h, read);
        NetImage edited = read;
        edited[1 + 8 + 2] = 33;
        bool open = false;
        Edit(
            h, 0,
            [&](TFormF15& e) {
                Type(e.Edit[2], "33");
                h.Op().Answer(answer);
                Click(e.OK);
                open = e.isVisible();
                const OperatorMessage& m = h.Op().Shown().at(0);
                QCOMPARE(m.text, std::string(kSaveQuestion));
                QCOMPARE(m.caption, std::string("Подтвердите сохранение базы данных"));
                QCOMPARE(m.icon, MsgIcon::Question);
                QCOMPARE(m.buttons, (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No,
                                                            MsgButton::Cancel}));
                QCOMPARE(m.defaultButton, MsgButton::No);
                if (written) {
                    QCOMPARE(e.ProgressBar1->value(), 25); // one send, one step
                    QVERIFY(e.ProgressBar1->isHidden());
                }
                if (open) {
                    h.Op().Answer(MsgButton::No);
                    Click(e.OK);
                }
            },
            [&](TFormLNet&) {
                QCOMPARE(ImageOf(h.Main().ProgF15()), written ? edited : read);
                QCOMPARE(h.Main().ProgF15().FlagNoChange, written);
            });
        QCOMPARE(open, staysOpen);
        QCOMPARE(FramesOf(h, 69).size(), size_t(written ? 1 : 0));
        QCOMPARE(h.Device().GetImage(), written ? edited : NetImage{17});
        QCOMPARE(ReserveOf(h), written ? edited : read);
    }

    void failedSaveIsReportedAndCountsAsSaved() {
        GuiHarness h;
        LoadImage(h, ExampleImage());
        h.Fake().QueueSilence(100);
        Edit(
            h, 0,
            [&](TFormF15& e) {
                Type(e.Edit[0], "9");
                h.Op().Answer(MsgButton::Yes);
                Click(e.OK);
                QVERIFY(!e.isVisible());
            },
            [&](TFormLNet&) {
                QCOMPARE(h.Op().Shown().size(), size_t(2));
                QCOMPARE(h.Op().Shown()[1].text, h.Main().ComPort().MessageFor(0, 130).text);
                QVERIFY(h.Main().ProgF15().FlagNoChange);
                QCOMPARE(BlockByte(h, 0, 8), 9);
            });
        QCOMPARE(ReserveOf(h), ExampleImage());
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
        h.Main().Serv().FlagFile = fileMode ? 1 : 0;
        h.OnModal([&](QDialog& d) {
            auto& net = static_cast<TFormLNet&>(d);
            QTest::mousePress(net.LocNet15_2, Qt::RightButton);
            net.PopupMenu1->hide();
            net.DeleteBl15->trigger();
            h.Op().Answer(MsgButton::Yes); // the editor asks to save: the base was changed
            Click(net.LocNet15_1);
            Click(net.OK);
        });
        h.OnModal([](QDialog& d) { Click(static_cast<TFormF15&>(d).OK); });
        h.Main().LocNet15Click();
        NetImage deleted = read;
        for (int i = 41; i <= 80; ++i)
            if (i != 48)
                deleted[i] = 0;
        QCOMPARE(ImageOf(h.Main().ProgF15()), deleted);
        if (fileMode) {
            QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
            QCOMPARE(h.Main().Serv().FlagChange, 1);
        } else {
            QCOMPARE(h.Op().Shown().size(), size_t(1));
            QCOMPARE(h.Op().Shown()[0].text, std::string(kSaveQuestion));
            QCOMPARE(h.Device().GetImage(), deleted);
        }
    }

    void keyFilters_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("rejected");
        QTest::newRow("hex letter") << "EditAdBegDat"
                                    << "1" << int(Qt::Key_F) << false;
        QTest::newRow("not a hex letter") << "EditAdBegDat"
                                          << "1" << int(Qt::Key_G) << true;
        QTest::newRow("letter in a decimal field") << "EditKodF"
                                                   << "1" << int(Qt::Key_A) << true;
        QTest::newRow("space") << "EditKolDat"
                               << "1" << int(Qt::Key_Space) << true;
        QTest::newRow("digit in a signal") << "Edit1"
                                           << "1" << int(Qt::Key_7) << false;
        QTest::newRow("Enter in an empty signal") << "Edit1"
                                                  << "" << int(Qt::Key_Return) << true;
    }
    void keyFilters() {
        QFETCH(QString, field);
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(bool, rejected);
        GuiHarness h;
        LoadImage(h, ExampleImage());
        h.Main().Serv().FlagFile = 1;
        Edit(h, 0, [&](TFormF15& e) {
            QLineEdit* f = field == "EditAdBegDat" ? e.EditAdBegDat
                           : field == "EditKodF"   ? e.EditKodF
                           : field == "EditKolDat" ? e.EditKolDat
                                                   : e.Edit[0];
            f->setFocus();
            f->setText(before);
            f->end(false);
            QTest::keyClick(f, Qt::Key(key));
            if (rejected) {
                QCOMPARE(h.Op().LastText(), std::string(" Ошибка ввода "));
                QCOMPARE(h.Op().Shown().back().caption, std::string("Ошибка"));
                QVERIFY(f->text().isEmpty());
            } else {
                QVERIFY(h.Op().Shown().empty());
                QCOMPARE(f->text().size(), before.size() + 1);
            }
            h.Op().Clear();
            e.hide(); // nothing to check on closing
        });
    }

    void enterMovesOnWithoutComplaint() {
        GuiHarness h;
        LoadImage(h, NetImage{17});
        Edit(h, 1, [&](TFormF15& e) {
            Type(e.EditKodF, "15");
            QTest::keyClick(e.EditKodF, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.CBoxUstr));
            QCOMPARE(e.EditKodF->text(), QString("15"));
            QCOMPARE(BlockByte(h, 1, 0), 15);
            Type(e.EditKolVh, "3");
            QTest::keyClick(e.EditKolVh, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.EditKodF));
            QVERIFY(e.Edit[2]->isEnabled() && !e.Edit[3]->isEnabled());
            QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
            e.hide();
        });
    }

    void inputSignalsButtonShowsTheInputsTable() {
        GuiHarness h;
        LoadImage(h, ExampleImage());
        Edit(h, 0, [&](TFormF15& e) {
            QCOMPARE(e.InformBut->text(), U("Входные сигналы"));
            const int before = h.ModalTitles().size();
            Click(e.InformBut);
            QCOMPARE(h.ModalTitles().size(), before + 1);
            QCOMPARE(h.ModalTitles().last(), h.W().Inform->windowTitle());
            Click(e.OK);
        });
    }
};

QTEST_MAIN(TestF15Editor)
#include "tst_f15.moc"
