// Setting the clock from the clock window on a scripted line with an emulated device behind it:
// the broadcast and the read-back that confirms it, the PC's time as it is when sent, and a port
// that is closed or fails while the window polls.

#include "clock/clockwindowtest.h"
#include "dialogs/commandrun.h"
#include "link/exchangeengine.h"
#include "words/linkwords.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdlib>

class TestClockSet : public QObject {
    Q_OBJECT

private slots:
    // The broadcast, then the clock of the device shown read back: a device that took the
    // setting closes the window with its time; one whose clock did not move keeps it open.
    void sendBroadcastsTheSevenBytesAndReadsBack_data() {
        QTest::addColumn<bool>("takes");
        QTest::newRow("taken") << true;
        QTest::newRow("clock stands") << false;
    }
    void sendBroadcastsTheSevenBytesAndReadsBack() {
        QFETCH(bool, takes);
        GuiHarness h;
        h.GrantAccess(1);
        if (!takes)
            h.Fake().SetResponder([&h](const FakeLine::Bytes& request) {
                return request[1] == 70 ? FakeLine::Bytes{} : h.Device().Handle(request);
            });
        ClockWindow w(h.Main(), &h.Main());
        QString readBack;
        bool open = false;
        OpenClockWindow(h, w, [&](ClockWindow& d) {
            d.pollTimer->stop();
            SetFields(d, kGood);
            Click(d.setClockButton);
            readBack = d.deviceTimeField->text() + " " + d.deviceDateField->text();
            open = d.isVisible();
            Click(d.Cancel);
        });
        const auto& frames = h.Fake().Written();
        QCOMPARE(SetClockFrames(h), 1);
        // Address 0, function 70, seconds .. weekday, CRC low byte first; then the read of
        // device 1's clock.
        const std::vector<uint8_t> expected = {0x00, 0x46, 0x1E, 0x2D, 0x0C, 0x1F,
                                               0x0C, 0x63, 0x07, 0xC8, 0x72};
        QCOMPARE(frames[frames.size() - 2], expected);
        QCOMPARE(frames.back()[0], uint8_t(1));
        QCOMPARE(frames.back()[1], uint8_t(4));
        QCOMPARE(open, !takes);
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        const OperatorMessage& m = h.Op().Shown()[0];
        const std::string everyDevice = "\nВремя и дата переданы всем приборам на линии.";
        if (takes) {
            QCOMPARE(readBack, QString("12:45:30 31.12.99"));
            QCOMPARE(m.text, "Время прибора 1 установлено: 12:45:30" + everyDevice);
            QCOMPARE(m.icon, MsgIcon::Information);
        } else {
            QCOMPARE(m.text, "Прибор 1 не подтвердил установку времени:\nчасы прибора показывают " +
                                 readBack.toStdString() + ", передано 12:45:30 31.12.99" +
                                 everyDevice);
            QCOMPARE(m.icon, MsgIcon::Warning);
        }
    }

    // "Время и дата PC" left as shown goes out as the PC's time at the moment of sending, not of
    // the click; a field the operator typed stops the fields following the PC, and they go as
    // typed. The PC's clock and the device's run on the line's virtual time: the twenty
    // seconds cost nothing.
    void pcTimeGoesAsItIsWhenSent_data() {
        QTest::addColumn<bool>("typeHour");
        QTest::newRow("shown unchanged") << false;
        QTest::newRow("hour typed") << true;
    }
    void pcTimeGoesAsItIsWhenSent() {
        QFETCH(bool, typeHour);
        GuiHarness h;
        h.GrantAccess(1);
        VirtualClock& clock = h.Clock();
        h.Device().SetTimeSource([&clock] {
            return emu::DeviceClock::TimePoint(std::chrono::microseconds(clock.nowMicros()));
        });
        const QDateTime start(QDate(2026, 12, 8), QTime(8, 19, 0));
        auto pc = [&clock, start] { return start.addMSecs(clock.ElapsedMicros() / 1000); };
        h.ReadDevice();
        QStringList typed;
        QString readBack;
        bool open = true;
        h.OnModal([&](QDialog& d) {
            auto& w = static_cast<ClockWindow&>(d);
            w.SetPcClock(pc);
            Click(w.fromPcButton);
            if (typeHour) {
                w.hoursEdit->selectAll();
                QTest::keyClicks(w.hoursEdit, "5");
                typed = FieldTexts(w);
            }
            clock.Advance(20'000'000);
            if (typeHour) {
                QTest::qWait(3 * 200); // three of the PC clock's ticks: the fields stay
                QCOMPARE(FieldTexts(w), typed);
            } else {
                QTRY_VERIFY_WITH_TIMEOUT(w.secondsEdit->text().toInt() >= 20, 2000);
            }
            Click(w.setClockButton);
            readBack = w.deviceTimeField->text();
            open = w.isVisible();
        });
        Click(h.Main().clockButton);
        QVERIFY(!open);
        QCOMPARE(SetClockFrames(h), 1);
        const emu::ClockValues c = h.Device().GetClock();
        const QDateTime device(QDate(2000 + c[5], c[4], c[3]), QTime(c[2], c[1], c[0]));
        if (typeHour) {
            QStringList sent;
            for (const auto& frame : h.Fake().Written())
                if (frame[1] == 70)
                    for (int i = 2; i < 9; ++i)
                        sent << QString::number(frame[size_t(i)]);
            QCOMPARE(sent, typed);
            QCOMPARE(typed[2], QString("5"));
        } else {
            QVERIFY2(std::abs(device.secsTo(pc())) <= 1,
                     qPrintable(device.toString() + " / " + pc().toString()));
        }
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().LastText(), "Время прибора 1 установлено: " + readBack.toStdString() +
                                        "\nВремя и дата переданы всем приборам на линии.");
    }

    // A port closed before the window opened is told by the first poll, which ends polling,
    // and again by a send, which sends nothing.
    void closedPortIsToldByThePollAndTheSend() {
        GuiHarness h;
        h.GrantAccess(1);
        ClosePort(h.Main());
        OpenClockWindow(h, [&](ClockWindow& d) {
            QTRY_VERIFY_WITH_TIMEOUT(d.PollingStopped(), 2000);
            QVERIFY(d.pollStateLabel->isHidden());
            QCOMPARE(h.Op().Shown().size(), size_t(1));
            SetFields(d, kGood);
            Click(d.setClockButton);
            QVERIFY(d.isVisible());
            Click(d.Cancel);
        });
        QCOMPARE(h.Op().Shown().size(), size_t(2));
        for (const OperatorMessage& m : h.Op().Shown())
            QCOMPARE(m.text, MessageFor(h.Main().Engine(), 0, ResultCode::PortNotOpen).text);
        QCOMPARE(SetClockFrames(h), 0);
    }

    // A port that fails while the window polls is told once, in the engine's words for a lost
    // port; polling and its indicator stop, and no poll goes out after it.
    void lostPortIsToldOnceAndPollingStops() {
        GuiHarness h;
        OpenClockWindow(h, [&](ClockWindow& d) {
            QTRY_VERIFY_WITH_TIMEOUT(!d.deviceTimeField->text().isEmpty(), 2000);
            h.Fake().FailReadsAfter(0);
            QTRY_VERIFY_WITH_TIMEOUT(d.PollingStopped(), 2000);
            QVERIFY(d.pollStateLabel->isHidden());
            QVERIFY(!d.pollTimer->isActive());
            const int polls = PollFrames(h);
            QTest::qWait(350);
            QCOMPARE(PollFrames(h), polls);
            Click(d.Cancel);
        });
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        const std::string& text = h.Op().Shown()[0].text;
        QVERIFY2(text.starts_with("Сбой COM-порта " + std::string(FakeLine::PortName)),
                 text.c_str());
        QCOMPARE(text, MessageFor(h.Main().Engine(), 0, ResultCode::PortFailure).text);
    }
};

QTEST_MAIN(TestClockSet)
#include "tst_clockset.moc"
