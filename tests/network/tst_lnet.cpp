// The network window: its two modes, the line settings byte, deleting a block, the close query
// and the write of the network image (fake line on a virtual clock, and the emulator over a
// pseudo-terminal).

#include "helper_network.h"
#include "network/prog_lnet.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

Q_DECLARE_METATYPE(MsgButton)

namespace {
const char* const kTransferQuestion = "База  была изменена. Передать в прибор?";

// Block list mode with the given fill; the window is closed by the harness when fill leaves it
// open.
void OpenBlockList(GuiHarness& h, std::function<void(TFormLNet&)> fill) {
    h.OnModal([fill](QDialog& d) { fill(static_cast<TFormLNet&>(d)); });
    h.Main().LocNet15Click();
}

void OpenSettings(GuiHarness& h, std::function<void(TFormLNet&)> fill) {
    h.OnModal([fill](QDialog& d) { fill(static_cast<TFormLNet&>(d)); });
    h.Main().LocNetObmClick();
}

// The image after deleting block (0 or 1) of PatternImage(): its flags byte stays.
NetImage PatternWithout(int block) {
    NetImage image = PatternImage();
    const int first = 1 + 40 * block;
    for (int i = first; i < first + 40; ++i)
        if (i != first + 7)
            image[i] = 0;
    return image;
}
} // namespace

class TestNetworkWindow : public QObject {
    Q_OBJECT

private slots:
    void allZeroImageOpensInBothModes() {
        GuiHarness h;
        bool settingsSeen = false;
        OpenSettings(h, [&](TFormLNet& d) {
            QCOMPARE(d.windowTitle(), U("Локальная сеть RS-485"));
            QCOMPARE(d.Skor->currentText(), QString("9600"));
            QCOMPARE(d.Parit->currentText(), U("2 стоп-бита без контр. четности"));
            QVERIFY(d.GroupObm->isVisible());
            QVERIFY(!d.Group15->isVisible());
            QVERIFY(d.ProgressBar1->isHidden());
            settingsSeen = true;
            Click(d.OK);
        });
        QVERIFY(settingsSeen);
        bool listSeen = false;
        OpenBlockList(h, [&](TFormLNet& d) {
            QCOMPARE(d.windowTitle(), U("Локальная сеть RS-485 ModBus ф15"));
            QVERIFY(!d.GroupObm->isVisible());
            QVERIFY(d.Group15->isVisible());
            QCOMPARE(d.Group15->title(), U("Функциональные блоки MBM ф15"));
            QVERIFY(d.LocNet15_1->text().isEmpty());
            QVERIFY(d.LocNet15_2->text().isEmpty());
            listSeen = true;
            Click(d.OK);
        });
        QVERIFY(listSeen);
        QVERIFY(h.Op().Shown().empty());
        QCOMPARE(h.ModalTitles().size(), 2);
    }

    void settingsShowAndStoreTheLineByte_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("speedShown");
        QTest::addColumn<QString>("parityShown");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("after");
        // Speed code in bits 2-3, parity code in bits 0-1; bits 4-7 are never touched.
        QTest::newRow("57600 even")
            << 0x00 << "9600" << U("2 стоп-бита без контр. четности") << 2 << 2 << 0x0A;
        QTest::newRow("upper bits stay")
            << 0xF0 << "9600" << U("2 стоп-бита без контр. четности") << 2 << 2 << 0xFA;
        QTest::newRow("115200 odd")
            << 0x05 << "19200" << U("1 стоп-бит с контр. нечетности") << 3 << 1 << 0x0D;
        QTest::newRow("back to zero")
            << 0xAF << "115200" << U("1 стоп-бит без контр. четности") << 0 << 0 << 0xA0;
    }
    void settingsShowAndStoreTheLineByte() {
        QFETCH(int, before);
        QFETCH(QString, speedShown);
        QFETCH(QString, parityShown);
        QFETCH(int, speed);
        QFETCH(int, parity);
        QFETCH(int, after);
        GuiHarness h;
        NetImage image{};
        image[81] = uint8_t(before);
        LoadImage(h, image);
        h.Main().Serv().FlagFile = 1; // kept for the file: no question
        OpenSettings(h, [&](TFormLNet& d) {
            QCOMPARE(d.Skor->currentText(), speedShown);
            QCOMPARE(d.Parit->currentText(), parityShown);
            QVERIFY(h.Main().ProgF15().FlagNoChange); // showing is no edit
            d.Skor->setCurrentIndex(speed);
            d.Parit->setCurrentIndex(parity);
            QVERIFY(!h.Main().ProgF15().FlagNoChange);
            Click(d.OK);
        });
        QCOMPARE(int(h.Main().ProgF15().BufF15[81]), after);
        QCOMPARE(h.Main().Serv().FlagChange, 1);
        QVERIFY(h.Op().Shown().empty());
    }

    void blockButtonsShowWhichBlocksExist_data() {
        QTest::addColumn<int>("kodF1");
        QTest::addColumn<int>("kodF2");
        QTest::addColumn<QString>("caption1");
        QTest::addColumn<QString>("caption2");
        QTest::newRow("first only") << 15 << 0 << U("Ф15") << QString();
        QTest::newRow("second only") << 0 << 15 << QString() << U("Ф15");
        QTest::newRow("any non-zero code") << 3 << 15 << U("Ф15") << U("Ф15");
    }
    void blockButtonsShowWhichBlocksExist() {
        QFETCH(int, kodF1);
        QFETCH(int, kodF2);
        QFETCH(QString, caption1);
        QFETCH(QString, caption2);
        GuiHarness h;
        NetImage image{};
        image[1] = uint8_t(kodF1);
        image[41] = uint8_t(kodF2);
        LoadImage(h, image);
        OpenBlockList(h, [&](TFormLNet& d) {
            QCOMPARE(d.LocNet15_1->text(), caption1);
            QCOMPARE(d.LocNet15_2->text(), caption2);
        });
    }

    void deleteClearsTheChosenBlockButItsFlags_data() {
        QTest::addColumn<int>("rightPress");
        QTest::addColumn<int>("deleted");
        QTest::newRow("no press yet: block 1") << -1 << 0;
        QTest::newRow("right press on block 2") << 1 << 1;
        QTest::newRow("right press on block 1") << 0 << 0;
    }
    void deleteClearsTheChosenBlockButItsFlags() {
        QFETCH(int, rightPress);
        QFETCH(int, deleted);
        GuiHarness h;
        LoadImage(h, PatternImage());
        bool checked = false;
        OpenBlockList(h, [&](TFormLNet& d) {
            QCOMPARE(d.BlockButtons[deleted]->text(), U("Ф15"));
            if (rightPress >= 0) {
                QTest::mousePress(d.BlockButtons[rightPress], Qt::RightButton);
                QTest::mouseRelease(d.BlockButtons[rightPress], Qt::RightButton);
            }
            QCOMPARE(d.DeleteBl15->text(), U("Удаление блока МВМ Ф15"));
            QCOMPARE(d.DeleteBl15->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Delete));
            d.PopupMenu1->hide();
            d.DeleteBl15->trigger();
            QCOMPARE(ImageOf(h.Main().ProgF15()), PatternWithout(deleted));
            QVERIFY(d.BlockButtons[deleted]->text().isEmpty());
            QCOMPARE(d.BlockButtons[1 - deleted]->text(), U("Ф15"));
            QVERIFY(!h.Main().ProgF15().FlagNoChange);
            checked = true;
            h.Op().Answer(MsgButton::No);
            Click(d.OK);
        });
        QVERIFY(checked);
        // No: the image as it was read, exactly.
        QCOMPARE(ImageOf(h.Main().ProgF15()), PatternImage());
        QVERIFY(h.Main().ProgF15().FlagNoChange);
    }

    void deleteShortcutActsOnlyOnTheBlockButtons_data() {
        QTest::addColumn<bool>("blockList");
        QTest::newRow("block list") << true;
        QTest::newRow("settings") << false;
    }
    void deleteShortcutActsOnlyOnTheBlockButtons() {
        QFETCH(bool, blockList);
        GuiHarness h;
        LoadImage(h, PatternImage());
        h.Main().Serv().FlagFile = 1;
        auto fill = [&](TFormLNet& d) {
            d.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&d));
            QWidget* target = blockList ? static_cast<QWidget*>(d.LocNet15_2) : d.Skor;
            if (blockList) {
                QTest::mousePress(d.LocNet15_2, Qt::RightButton);
                d.PopupMenu1->hide();
            }
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Delete, Qt::ControlModifier);
            Click(d.OK);
        };
        if (blockList)
            OpenBlockList(h, fill);
        else
            OpenSettings(h, fill);
        QCOMPARE(ImageOf(h.Main().ProgF15()), blockList ? PatternWithout(1) : PatternImage());
        QCOMPARE(h.Main().Serv().FlagChange, blockList ? 1 : 0);
    }

    void closeQuery_data() {
        QTest::addColumn<bool>("fileMode");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<MsgButton>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<bool>("keepsEdit");
        QTest::addColumn<bool>("written");
        QTest::addColumn<int>("flagChange");
        QTest::newRow("device, unchanged")
            << false << false << MsgButton::None << false << false << false << false << 0;
        QTest::newRow("file, unchanged")
            << true << false << MsgButton::None << false << false << false << false << 0;
        QTest::newRow("file, changed")
            << true << true << MsgButton::None << false << false << true << false << 1;
        QTest::newRow("device, No")
            << false << true << MsgButton::No << true << false << false << false << 0;
        QTest::newRow("device, Yes")
            << false << true << MsgButton::Yes << true << false << true << true << 0;
        QTest::newRow("device, Cancel")
            << false << true << MsgButton::Cancel << true << true << true << false << 0;
    }
    void closeQuery() {
        QFETCH(bool, fileMode);
        QFETCH(bool, edit);
        QFETCH(MsgButton, answer);
        QFETCH(bool, asked);
        QFETCH(bool, staysOpen);
        QFETCH(bool, keepsEdit);
        QFETCH(bool, written);
        QFETCH(int, flagChange);
        GuiHarness h;
        const NetImage read = PatternImage();
        LoadImage(h, read);
        h.Main().Serv().FlagFile = fileMode ? 1 : 0;
        NetImage edited = read;
        edited[81] = uint8_t((read[81] & 0xF0) | 0x0C | 0x03); // 115200, 1 stop bit no parity
        bool open = false;
        OpenSettings(h, [&](TFormLNet& d) {
            if (edit) {
                d.Skor->setCurrentIndex(3);
                d.Parit->setCurrentIndex(3);
            }
            if (answer != MsgButton::None)
                h.Op().Answer(answer);
            Click(d.OK);
            open = d.isVisible();
            if (open) {
                h.Op().Answer(MsgButton::No); // let the harness close it
                QCOMPARE(ImageOf(h.Main().ProgF15()), edited);
            }
        });
        QCOMPARE(open, staysOpen);
        if (asked) {
            QVERIFY(!h.Op().Shown().empty());
            const OperatorMessage& m = h.Op().Shown()[0];
            QCOMPARE(m.text, std::string(kTransferQuestion));
            QCOMPARE(m.caption, std::string("Подтвердите передачу данных "));
            QCOMPARE(m.icon, MsgIcon::Question);
            QCOMPARE(m.buttons,
                     (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No, MsgButton::Cancel}));
            QCOMPARE(m.defaultButton, MsgButton::No);
        } else {
            QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        }
        if (!staysOpen)
            QCOMPARE(ImageOf(h.Main().ProgF15()), keepsEdit ? edited : read);
        QCOMPARE(h.Main().Serv().FlagChange, flagChange);
        QCOMPARE(FramesOf(h, 69).size(), size_t(written ? 1 : 0));
        if (written) {
            QCOMPARE(h.Device().GetImage(), edited);
            QCOMPARE(ReserveOf(h), edited);
            QVERIFY(h.Main().ProgF15().FlagNoChange);
        } else {
            QCOMPARE(ReserveOf(h), read);
        }
    }

    void writeRequest_data() {
        QTest::addColumn<int>("byte0");
        QTest::addColumn<int>("lenF15");
        QTest::addColumn<int>("sent");
        QTest::newRow("zero in byte 0") << 0x00 << 82 << 82;
        QTest::newRow("other block number in byte 0") << 0x5A << 82 << 82;
        // Never more than the image holds, whatever count a device reported.
        QTest::newRow("count beyond the image") << 17 << 300 << 82;
        QTest::newRow("shorter count") << 17 << 40 << 40;
    }
    void writeRequest() {
        QFETCH(int, byte0);
        QFETCH(int, lenF15);
        QFETCH(int, sent);
        GuiHarness h;
        NetImage image = PatternImage();
        image[0] = uint8_t(byte0);
        LoadImage(h, image);
        h.Main().ProgF15().LenF15 = lenF15;
        h.Main().Serv().NumUstr = 4;
        h.Main().Serv().NumUstrZ = 4;
        h.Device().SetAddress(5);
        OpenSettings(h, [&](TFormLNet& d) {
            d.Skor->setCurrentIndex(1);
            h.Op().Answer(MsgButton::Yes);
            Click(d.OK);
        });
        const auto frames = FramesOf(h, 69);
        QCOMPARE(frames.size(), size_t(1));
        // Address, function 69, block 17, image bytes 1 .. sent - 1, two CRC bytes.
        std::vector<uint8_t> expected{5, 0x45, 17};
        for (int i = 1; i < sent; ++i)
            expected.push_back(i == 81 ? uint8_t((image[81] & ~0x0C) | 0x04) : image[i]);
        QCOMPARE(int(frames[0].size()), 2 + sent + 2);
        QCOMPARE(std::vector<uint8_t>(frames[0].begin(), frames[0].end() - 2), expected);
    }

    void busyDeviceIsPolledEvery200ms() {
        GuiHarness h;
        LoadImage(h, PatternImage());
        h.Device().SetBusyAfterWrite(4);
        const int delayTx = h.Main().ComPort().GetDelayTx();
        int64_t closeAt = 0;
        OpenBlockList(h, [&](TFormLNet& d) {
            d.DeleteBl15->trigger();
            h.Op().Answer(MsgButton::Yes);
            h.Fake().ClearRecords();
            closeAt = h.Clock().nowMicros();
            Click(d.OK);
            QVERIFY(!d.isVisible());
            QCOMPARE(d.ProgressBar1->value(), 10); // one send, one step of 10
            QVERIFY(d.ProgressBar1->isHidden());
        });
        const auto& written = h.Fake().Written();
        const auto& at = h.Fake().WriteTimes();
        QCOMPARE(written.size(), size_t(6)); // the write, four busy polls, the final poll
        QCOMPARE(int(written[0][1]), 69);
        // No pause of its own before the first send: only the transmission delay.
        QCOMPARE(at[0] - closeAt, int64_t(delayTx) * 1000);
        QCOMPARE(at[1] - at[0], int64_t(300 + delayTx) * 1000);
        for (size_t i = 1; i < written.size(); ++i) {
            QCOMPARE(int(written[i][1]), 14);
            if (i > 1)
                QCOMPARE(at[i] - at[i - 1], int64_t(200 + delayTx) * 1000);
        }
        QCOMPARE(h.Device().GetImage(), PatternWithout(0));
        QVERIFY(h.Op().Shown().size() == 1); // the question only
    }

    void failedWriteIsReportedAndKeepsTheEdits() {
        GuiHarness h;
        LoadImage(h, PatternImage());
        h.Fake().QueueSilence(100);
        OpenBlockList(h, [&](TFormLNet& d) {
            d.DeleteBl15->trigger();
            h.Op().Answer(MsgButton::Yes);
            Click(d.OK);
            QVERIFY(!d.isVisible()); // the window closes all the same
            QVERIFY(d.ProgressBar1->isHidden());
        });
        QCOMPARE(h.Op().Shown().size(), size_t(2));
        const OperatorMessage expected = h.Main().ComPort().MessageFor(0, 130);
        QCOMPARE(h.Op().Shown()[1].text, expected.text);
        QCOMPARE(ImageOf(h.Main().ProgF15()), PatternWithout(0));
        QCOMPARE(ReserveOf(h), PatternImage());
        QVERIFY(!h.Main().ProgF15().FlagNoChange);
    }

    void newBusNumberGoesWithTheImage() {
        GuiHarness h;
        LoadImage(h, PatternImage());
        h.Main().Serv().NumUstrZ = 2; // the device answers as 3 once it has the image
        h.Device().SetBusyAfterWrite(0);
        h.Fake().SetResponder([&h](const FakeLine::Bytes& request) {
            FakeLine::Bytes reply = h.Device().Handle(request);
            if (request.size() > 1 && request[1] == 69)
                h.Device().SetAddress(3);
            return reply;
        });
        OpenSettings(h, [&](TFormLNet& d) {
            d.Parit->setCurrentIndex(2);
            h.Op().Answer(MsgButton::Yes);
            Click(d.OK);
        });
        const auto& written = h.Fake().Written();
        QVERIFY(written.size() >= 2);
        QCOMPARE(int(written[0][0]), 1);
        QCOMPARE(int(written[1][0]), 3);
        QCOMPARE(h.Main().Serv().NumUstr, 2);
        QCOMPARE(h.Main().CBoxUstr->currentText(), QString("3"));
        QCOMPARE(h.Op().Shown().size(), size_t(1)); // the question, no failure
        QVERIFY(h.Main().ProgF15().FlagNoChange);
    }

    void writeToTheEmulatorOverPseudoTerminal() {
        GuiHarness h(GuiHarness::Line::Pty);
        emu::Device::Image start{};
        const NetImage pattern = PatternImage();
        std::copy(pattern.begin(), pattern.end(), start.begin());
        h.Device().SetImage(start);
        h.GrantAccess(1);
        h.ReadDevice();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QCOMPARE(ImageOf(h.Main().ProgF15()), pattern);
        h.Device().SetBusyAfterWrite(3);
        h.Device().ClearRequestLog();
        QElapsedTimer timer;
        OpenBlockList(h, [&](TFormLNet& d) {
            QTest::mousePress(d.LocNet15_2, Qt::RightButton);
            QTest::mouseRelease(d.LocNet15_2, Qt::RightButton);
            d.PopupMenu1->hide();
            d.DeleteBl15->trigger();
            h.Op().Answer(MsgButton::Yes);
            timer.start();
            Click(d.OK);
        });
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(h.Op().Shown().size() == 1, h.Op().LastText().c_str());
        QCOMPARE(h.Device().GetImage(), PatternWithout(1));
        QCOMPARE(ReserveOf(h), PatternWithout(1));
        const auto log = h.Device().RequestLog();
        QCOMPARE(log.size(), size_t(5)); // the write, three busy polls, the final poll
        QCOMPARE(int(log[0].function), 69);
        const NetImage expected = PatternWithout(1);
        QCOMPARE(log[0].data, std::vector<uint8_t>(expected.begin(), expected.end()));
        for (size_t i = 1; i < log.size(); ++i)
            QCOMPARE(int(log[i].function), 14);
        // 300 ms before the first poll and 200 ms after each busy one.
        QVERIFY2(elapsed >= 300 + 3 * 200, qPrintable(QString::number(elapsed)));
    }
};

QTEST_MAIN(TestNetworkWindow)
#include "tst_lnet.moc"
