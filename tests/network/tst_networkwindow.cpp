// The network window: its two modes, the line settings byte, deleting a block, the close query
// and the write of the network image (fake line on a virtual clock, and the emulator over a
// pseudo-terminal).

#include "dialogs/lumdialog.h"
#include "helper_network.h"
#include "link/frameobserver.h"
#include "network/networkwindow.h"
#include "platform/enginethread.h"
#include "words/linkwords.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>

Q_DECLARE_METATYPE(MsgButton)

namespace {
// Opens the window in block list or settings mode with the given fill; the harness closes it
// by its title bar when fill leaves it open.
void Open(GuiHarness& h, bool blockList, std::function<void(NetworkWindow&)> fill) {
    h.OnModal([fill](QDialog& d) {
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        fill(static_cast<NetworkWindow&>(d));
    });
    if (blockList)
        h.Main().F15BlocksClick();
    else
        h.Main().NetworkSettingsClick();
}

void RightPress(NetworkWindow& d, QPushButton* button) {
    QTest::mousePress(button, Qt::RightButton);
    QTest::mouseRelease(button, Qt::RightButton);
    d.contextMenu->hide();
}
} // namespace

class TestNetworkWindow : public QObject {
    Q_OBJECT

private slots:
    void allZeroImageOpensInBothModes() {
        GuiHarness h;
        int seen = 0;
        Open(h, false, [&](NetworkWindow& d) {
            QCOMPARE(d.windowTitle(), U("Локальная сеть RS-485"));
            QCOMPARE(d.speedBox->currentText(), QString("9600"));
            QCOMPARE(d.parityBox->currentText(), U("2 стоп-бита без контр. четности"));
            QVERIFY(d.settingsGroup->isVisible() && !d.blockGroup->isVisible());
            QVERIFY(d.progressBar->isHidden());
            // The block buttons are hidden here: their Ctrl+Del deletes nothing.
            d.speedBox->setFocus();
            QTest::keyClick(d.speedBox, Qt::Key_Delete, Qt::ControlModifier);
            QVERIFY(!h.Main().Document().NetworkChanged());
            ++seen;
            Click(d.OK);
        });
        Open(h, true, [&](NetworkWindow& d) {
            QCOMPARE(d.windowTitle(), U("Локальная сеть RS-485 ModBus ф15"));
            QVERIFY(d.width() >= TitleBarWidth(d.windowTitle())); // the caption whole
            QVERIFY(!d.settingsGroup->isVisible() && d.blockGroup->isVisible());
            QVERIFY(d.blockButton1->text().isEmpty() && d.blockButton2->text().isEmpty());
            ++seen;
            Click(d.OK);
        });
        QCOMPARE(seen, 2);
        QVERIFY(h.Op().Shown().empty());
    }

    void settingsShowAndStoreTheLineByte_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("shown"); // speed and parity shown on opening
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("after");
        // Speed code in bits 2-3, parity code in bits 0-1; bits 4-7 are never touched.
        QTest::newRow("57600 even")
            << 0x00 << U("9600 2 стоп-бита без контр. четности") << 2 << 2 << 0x0A;
        QTest::newRow("upper bits stay")
            << 0xF0 << U("9600 2 стоп-бита без контр. четности") << 2 << 2 << 0xFA;
        QTest::newRow("115200 odd")
            << 0x05 << U("19200 1 стоп-бит с контр. нечетности") << 3 << 1 << 0x0D;
        QTest::newRow("back to zero")
            << 0xAF << U("115200 1 стоп-бит без контр. четности") << 0 << 0 << 0xA0;
    }
    void settingsShowAndStoreTheLineByte() {
        QFETCH(int, before);
        QFETCH(QString, shown);
        QFETCH(int, speed);
        QFETCH(int, parity);
        QFETCH(int, after);
        GuiHarness h;
        NetImage image{};
        image[81] = uint8_t(before);
        LoadImage(h, image);
        h.SetFileMode(); // kept for the file: no question
        Open(h, false, [&](NetworkWindow& d) {
            QCOMPARE(d.speedBox->currentText() + " " + d.parityBox->currentText(), shown);
            QVERIFY(!h.Main().Document().NetworkChanged()); // showing is no edit
            d.speedBox->setCurrentIndex(speed);
            d.parityBox->setCurrentIndex(parity);
            Click(d.OK);
        });
        QCOMPARE(int(h.Main().Network().Image[81]), after);
        QCOMPARE(int(h.Main().Document().IsFileMode() && h.Changed()), 1);
        QVERIFY(h.Op().Shown().empty());
    }

    void deleteClearsTheChosenBlockButItsFlags_data() {
        QTest::addColumn<int>("rightPress"); // -1: none yet
        QTest::addColumn<bool>("shortcut");  // Ctrl+Del rather than the menu entry
        QTest::addColumn<int>("deleted");
        QTest::newRow("no press yet: block 1") << -1 << false << 0;
        QTest::newRow("block 2, Ctrl+Del") << 1 << true << 1;
        QTest::newRow("block 1 after block 2") << 0 << false << 0;
    }
    void deleteClearsTheChosenBlockButItsFlags() {
        QFETCH(int, rightPress);
        QFETCH(bool, shortcut);
        QFETCH(int, deleted);
        GuiHarness h;
        LoadImage(h, PatternImage());
        bool checked = false;
        Open(h, true, [&](NetworkWindow& d) {
            QCOMPARE(d.BlockButtons[deleted]->text(), U("Ф15"));
            QCOMPARE(d.deleteBlockAction->text().remove('&'), U("Удаление блока МВМ Ф15"));
            if (rightPress == 0)
                RightPress(d, d.blockButton2);
            if (rightPress >= 0)
                RightPress(d, d.BlockButtons[rightPress]);
            if (shortcut) {
                d.BlockButtons[rightPress]->setFocus();
                QTest::keyClick(d.BlockButtons[rightPress], Qt::Key_Delete, Qt::ControlModifier);
            } else {
                d.deleteBlockAction->trigger();
            }
            QCOMPARE(ImageOf(h.Main().Network()), PatternWithout(deleted));
            QVERIFY(d.BlockButtons[deleted]->text().isEmpty());
            QCOMPARE(d.BlockButtons[1 - deleted]->text(), U("Ф15"));
            checked = true;
            h.Op().Answer(MsgButton::No);
            Click(d.OK);
        });
        QVERIFY(checked);
        // No: the image as it was read, exactly.
        QCOMPARE(ImageOf(h.Main().Network()), PatternImage());
        QVERIFY(!h.Main().Document().NetworkChanged());
    }

    void closeQuery_data() {
        QTest::addColumn<bool>("fileMode");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<MsgButton>("answer"); // None: no question
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<bool>("keepsEdit");
        QTest::addColumn<int>("flagChange");
        QTest::newRow("device, unchanged")
            << false << false << MsgButton::None << false << false << 0;
        QTest::newRow("file, unchanged") << true << false << MsgButton::None << false << false << 0;
        QTest::newRow("file, changed") << true << true << MsgButton::None << false << true << 1;
        QTest::newRow("device, No") << false << true << MsgButton::No << false << false << 0;
        QTest::newRow("device, Yes") << false << true << MsgButton::Yes << false << true << 0;
        QTest::newRow("device, Cancel") << false << true << MsgButton::Cancel << true << true << 0;
    }
    void closeQuery() {
        QFETCH(bool, fileMode);
        QFETCH(bool, edit);
        QFETCH(MsgButton, answer);
        QFETCH(bool, staysOpen);
        QFETCH(bool, keepsEdit);
        QFETCH(int, flagChange);
        GuiHarness h;
        const NetImage read = PatternImage();
        LoadImage(h, read);
        if (fileMode)
            h.SetFileMode();
        NetImage edited = read;
        edited[81] = uint8_t((read[81] & 0xF0) | 0x0C | 0x03); // 115200, 1 stop bit no parity
        bool open = false;
        Open(h, false, [&](NetworkWindow& d) {
            if (edit) {
                d.speedBox->setCurrentIndex(3);
                d.parityBox->setCurrentIndex(3);
            }
            if (answer != MsgButton::None)
                h.Op().Answer(answer);
            Click(d.OK);
            open = d.isVisible();
            if (open)
                QCOMPARE(ImageOf(h.Main().Network()), edited);
            h.Op().Answer(MsgButton::No); // the harness closes it
        });
        QCOMPARE(open, staysOpen);
        const bool asked = answer != MsgButton::None;
        QCOMPARE(h.Op().Shown().empty(), !asked);
        if (asked) {
            const OperatorMessage& m = h.Op().Shown()[0];
            QCOMPARE(m.text, std::string("База  была изменена. Передать в прибор?"));
            QCOMPARE(m.caption, std::string("Подтвердите передачу данных "));
            QCOMPARE(m.icon, MsgIcon::Question);
            QCOMPARE(m.buttons,
                     (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No, MsgButton::Cancel}));
            QCOMPARE(m.defaultButton, MsgButton::Cancel);
        }
        if (!staysOpen)
            QCOMPARE(ImageOf(h.Main().Network()), keepsEdit ? edited : read);
        QCOMPARE(int(h.Main().Document().IsFileMode() && h.Changed()), flagChange);
        const bool written = answer == MsgButton::Yes;
        QCOMPARE(FramesOf(h, 69).size(), size_t(written ? 1 : 0));
        QCOMPARE(ReserveOf(h), written ? edited : read);
        if (written)
            QCOMPARE(h.Device().GetImage(), edited);
    }

    void writeRequest_data() {
        QTest::addColumn<int>("byte0");
        QTest::addColumn<int>("lenF15");
        QTest::addColumn<int>("sent");
        QTest::addColumn<int>("sends");
        QTest::newRow("zero in byte 0") << 0x00 << 82 << 82 << 1;
        QTest::newRow("other block number in byte 0") << 0x5A << 82 << 82 << 1;
        // Never more than the image holds, whatever count a device reported.
        QTest::newRow("count beyond the image") << 17 << 300 << 82 << 1;
        // The emulator takes whole images only: it refuses this one (exception 3), so the
        // block goes again up to the budget.
        QTest::newRow("shorter count") << 17 << 40 << 40 << 5;
    }
    void writeRequest() {
        QFETCH(int, byte0);
        QFETCH(int, lenF15);
        QFETCH(int, sent);
        QFETCH(int, sends);
        GuiHarness h;
        NetImage image = PatternImage();
        image[0] = uint8_t(byte0);
        LoadImage(h, image);
        h.Main().Network().WriteLength = lenF15;
        h.Main().Modules().BusNumber = h.Main().Modules().NewBusNumber = 4;
        h.Main().Document().DeviceMoved(0, 4); // read from device 5
        h.Device().SetAddress(5);
        Open(h, false, [&](NetworkWindow& d) {
            d.speedBox->setCurrentIndex(1);
            h.Op().Answer(MsgButton::Yes);
            Click(d.OK);
        });
        const auto frames = FramesOf(h, 69);
        QCOMPARE(frames.size(), size_t(sends));
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
        const int64_t delayTx = h.Main().Engine().GetDelayTx() * 1000;
        // What the bar says as each request goes out.
        struct StepLog : FrameObserver {
            QProgressBar* bar = nullptr;
            QStringList steps;
            QList<QSize> sizes; // of the window, while the write runs
            QList<int> shares;
            void OnRequest(int64_t, const uint8_t*, int, int, int) override {
                // The whole step: a text longer than the narrow window's bar is shortened on the
                // bar, whole in its tooltip.
                if (steps.isEmpty() || steps.last() != bar->toolTip())
                    steps << bar->toolTip();
                if (!sizes.contains(bar->window()->size()))
                    sizes << bar->window()->size();
                shares << bar->value();
            }
        } log;
        Open(h, true, [&](NetworkWindow& d) {
            log.bar = d.progressBar;
            const QSize before = d.size();
            h.Main().Exchanges().AddObserver(&log);
            d.deleteBlockAction->trigger();
            h.Op().Answer(MsgButton::Yes);
            h.Fake().ClearRecords();
            Click(d.OK);
            h.Main().Exchanges().RemoveObserver(&log);
            QCOMPARE(d.progressBar->value(), 100);
            QVERIFY(d.progressBar->isHidden());
            // The window keeps its size while the write runs.
            QCOMPARE(log.sizes, QList<QSize>{before});
        });
        // The share grows with each request, through the steps; the busy polls say so.
        QCOMPARE(
            log.steps,
            (QStringList{"Резервная копия", "Сетевые блоки: запись", "Сетевые блоки: подтверждение",
                         "Сетевые блоки: прибор занят, ожидание записи — 0 с", "Проверка записи"}));
        QVERIFY(std::is_sorted(log.shares.begin(), log.shares.end()));
        QCOMPARE(log.shares.first(), 0);
        // The back-up's reads, the write, four busy polls, the final poll, the read-back.
        const std::vector<FakeLine::Bytes> all = h.Fake().Written();
        QCOMPARE(all.size(), kBackupReads + 6 + 1);
        QCOMPARE(int(all.back()[1]), 68);
        const std::vector<FakeLine::Bytes> written(all.begin() + kBackupReads, all.end() - 1);
        const std::vector<int64_t> at(h.Fake().WriteTimes().begin() + kBackupReads - 1,
                                      h.Fake().WriteTimes().end() - 1);
        QCOMPARE(int(written[0][1]), 69);
        QCOMPARE(at[1] - at[0], delayTx); // no pause of its own after the back-up's last read
        QCOMPARE(at[2] - at[1], 300'000 + delayTx);
        for (size_t i = 1; i < written.size(); ++i) {
            QCOMPARE(int(written[i][1]), 14);
            if (i > 1)
                QCOMPARE(at[i + 1] - at[i], 200'000 + delayTx);
        }
        QCOMPARE(h.Device().GetImage(), PatternWithout(0));
        QCOMPARE(h.Op().Shown().size(), size_t(1)); // the question only
    }

    void failedWriteIsReportedAndKeepsTheEdits() {
        GuiHarness h;
        LoadImage(h, PatternImage());
        SilentAfterBackup(h);
        Open(h, true, [&](NetworkWindow& d) {
            d.deleteBlockAction->trigger();
            h.Op().Answer(MsgButton::Yes);
            Click(d.OK);
            // The window stays, with the edits the device lacks.
            QVERIFY(d.isVisible());
            QCOMPARE(h.Op().Shown().size(), size_t(2));
            QCOMPARE(h.Op().Shown()[1].text,
                     MessageFor(h.Main().Engine(), 0, 130).text +
                         "\nСетевые блоки переданы, но прибор не подтвердил их запись.");
            QCOMPARE(ImageOf(h.Main().Network()), PatternWithout(0));
            QCOMPARE(ReserveOf(h), PatternImage());
            QVERIFY(h.Main().Document().NetworkChanged());
            // The next close offers the transfer again; No gives the edits up.
            h.Op().Answer(MsgButton::No);
            Click(d.OK);
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(h.Op().Shown().size(), size_t(3));
        QCOMPARE(h.Op().Shown()[2].text, h.Op().Shown()[0].text);
        QCOMPARE(ImageOf(h.Main().Network()), PatternImage());
    }

    void newBusNumberGoesWithTheImage() {
        GuiHarness h;
        LoadImage(h, PatternImage());
        h.Main().Modules().NewBusNumber = 2; // the device answers as 3 once it has the image
        h.Fake().SetResponder([&h](const FakeLine::Bytes& request) {
            FakeLine::Bytes reply = h.Device().Handle(request);
            if (request.size() > 1 && request[1] == 69)
                h.Device().SetAddress(3);
            return reply;
        });
        Open(h, false, [&](NetworkWindow& d) {
            d.parityBox->setCurrentIndex(2);
            h.Op().Answer(MsgButton::Yes);
            Click(d.OK);
        });
        const auto& written = h.Fake().Written();
        QVERIFY(written.size() >= 2);
        QVERIFY(written.size() >= kBackupReads + 2);
        QCOMPARE(int(written[kBackupReads][0]), 1); // the write goes to the old number
        QCOMPARE(int(written[kBackupReads + 1][0]), 3);
        QCOMPARE(h.Main().deviceNumberBox->currentText(), QString("3"));
        QCOMPARE(h.Op().Shown().size(), size_t(1)); // the question, no failure
    }

    void writeToTheEmulatorOverPseudoTerminal() {
        GuiHarness h(GuiHarness::Line::Pty);
        const NetImage pattern = PatternImage();
        h.Device().SetImage(pattern);
        h.GrantAccess(1);
        h.ReadDevice();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QCOMPARE(ImageOf(h.Main().Network()), pattern);
        h.Device().SetBusyAfterWrite(3);
        h.Device().ClearRequestLog();
        QElapsedTimer timer;
        Open(h, true, [&](NetworkWindow& d) {
            RightPress(d, d.blockButton2);
            d.deleteBlockAction->trigger();
            h.Op().Answer(MsgButton::Yes);
            timer.start();
            Click(d.OK);
        });
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(h.Op().Shown().size() == 1, h.Op().LastText().c_str());
        const NetImage expected = PatternWithout(1);
        QCOMPARE(h.Device().GetImage(), expected);
        QCOMPARE(ReserveOf(h), expected);
        const auto log = h.Device().RequestLog();
        // The back-up's reads, the write, three busy polls, the final poll, the read-back.
        QCOMPARE(log.size(), kBackupReads + 5 + 1);
        QCOMPARE(int(log[kBackupReads].function), 69);
        QCOMPARE(log[kBackupReads].data, std::vector<uint8_t>(expected.begin(), expected.end()));
        for (size_t i = kBackupReads + 1; i < log.size() - 1; ++i)
            QCOMPARE(int(log[i].function), 14);
        QCOMPARE(int(log.back().function), 68);
        // 300 ms before the first poll and 200 ms after each busy one.
        QVERIFY2(elapsed >= 300 + 3 * 200, qPrintable(QString::number(elapsed)));
    }
};

QTEST_MAIN(TestNetworkWindow)
#include "tst_networkwindow.moc"
