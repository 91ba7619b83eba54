// The clock window against the device emulator over a real pseudo-terminal: the poll shows the
// device's clock, and the send sets it through the broadcast without waiting for an answer to it,
// then reads it back.

#include "clock/clockwindowtest.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
using Clock = emu::ClockValues;

std::vector<emu::LoggedRequest> RequestsWithFunction(GuiHarness& h, int function) {
    std::vector<emu::LoggedRequest> found;
    for (const auto& r : h.Device().RequestLog())
        if (r.function == function)
            found.push_back(r);
    return found;
}
} // namespace

Q_DECLARE_METATYPE(emu::ClockValues)

class TestClockWindowPty : public QObject {
    Q_OBJECT

private slots:
    void pollShowsTheDeviceClock_data() {
        QTest::addColumn<Clock>("clock");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("weekday");
        QTest::newRow("Thursday") << Clock{5, 7, 9, 1, 2, 3, 4} << "09:07:05"
                                  << "01.02.03" << U("чт");
        QTest::newRow("weekday 0") << Clock{5, 7, 9, 1, 2, 3, 0} << "09:07:05"
                                   << "01.02.03" << QString();
        QTest::newRow("weekday 8") << Clock{5, 7, 9, 1, 2, 3, 8} << "09:07:05"
                                   << "01.02.03" << QString();
        QTest::newRow("Sunday, last second of 2099")
            << Clock{59, 59, 23, 31, 12, 99, 7} << "23:59:59"
            << "31.12.99" << U("вс");
        QTest::newRow("Monday, midnight") << Clock{0, 0, 0, 10, 11, 24, 1} << "00:00:00"
                                          << "10.11.24" << U("пн");
        QTest::newRow("three digits stay whole") << Clock{0, 0, 0, 1, 1, 100, 2} << "00:00:00"
                                                 << "01.01.100" << U("вт");
    }
    void pollShowsTheDeviceClock() {
        QFETCH(Clock, clock);
        QFETCH(QString, time);
        QFETCH(QString, date);
        QFETCH(QString, weekday);
        GuiHarness h(GuiHarness::Line::Pty);
        h.Device().SetClock(clock);
        h.Device().SetClockFrozen(true);
        QStringList taken;
        OpenClockWindow(h, [&](ClockWindow& d) {
            QTRY_COMPARE_WITH_TIMEOUT(d.deviceTimeField->text(), time, 5000);
            QCOMPARE(d.deviceDateField->text(), date);
            QCOMPARE(d.deviceWeekdayField->text(), weekday);
            QCOMPARE(d.LastReading(), DeviceClock(clock));
            Click(d.fromDeviceButton);
            taken = FieldTexts(d);
            Click(d.Cancel);
        });
        QStringList expected;
        for (uint8_t v : clock)
            expected << QString::number(v);
        QCOMPARE(taken, expected);
        // Function 4 to bus number 1: start register 1000, seven registers.
        const auto polls = RequestsWithFunction(h, 4);
        QVERIFY(!polls.empty());
        QCOMPARE(int(polls.front().address), 1);
        QCOMPARE(polls.front().data, (std::vector<uint8_t>{0x03, 0xE8, 0x00, 0x07}));
        QVERIFY(h.Op().Shown().empty());
    }

    void sendSetsTheEmulatorClockByBroadcast() {
        GuiHarness h(GuiHarness::Line::Pty);
        h.GrantAccess(1);
        h.Device().SetClock({0, 0, 0, 1, 1, 24, 1});
        h.Device().SetClockFrozen(true);
        qint64 sendMs = -1;
        OpenClockWindow(h, [&](ClockWindow& d) {
            QTRY_VERIFY_WITH_TIMEOUT(!d.deviceTimeField->text().isEmpty(), 5000);
            SetFields(d, {"30", "45", "12", "31", "12", "99", "7"});
            QElapsedTimer timer;
            timer.start();
            Click(d.setClockButton);
            sendMs = timer.elapsed();
            QVERIFY(!d.isVisible());
        });
        // The emulator serves the pseudo-terminal on its own thread.
        QTRY_COMPARE_WITH_TIMEOUT(h.Device().GetClock(), (Clock{30, 45, 12, 31, 12, 99, 7}), 2000);
        const auto sets = RequestsWithFunction(h, 70);
        QCOMPARE(sets.size(), size_t(1));
        QCOMPARE(int(sets[0].address), 0);
        QCOMPARE(sets[0].data, (std::vector<uint8_t>{30, 45, 12, 31, 12, 99, 7}));
        // Waiting for a reply would cost at least the line's one-second time-out.
        QVERIFY2(sendMs < 900, qPrintable(QString::number(sendMs)));
        // The device shown is read back once, and then nothing: the window is closed and its
        // polling with it.
        const size_t before = h.Device().RequestLog().size();
        QTest::qWait(350);
        QCOMPARE(h.Device().RequestLog().size(), before);
        const auto& log = h.Device().RequestLog();
        QCOMPARE(log[log.size() - 2].function, uint8_t(70));
        QCOMPARE(log.back().function, uint8_t(4));
        QCOMPARE(int(log.back().address), 1);
        QCOMPARE(h.Op().LastText(), std::string("Время прибора 1 установлено: 12:45:30\n"
                                                "Время и дата переданы всем приборам на линии."));
    }

    // On a line paced like a real one behind a USB adapter, every key and click that comes
    // while a poll waits for its reply lands, in order, at once: a click that
    // moves the focus before the typing, Enter that moves on, three clicks on the poll button.
    void inputDuringPollsLands() {
        GuiHarness h(GuiHarness::Line::Pty);
        h.SetPacing({true, 16, -1});
        h.Device().SetClockFrozen(true);
        OpenClockWindow(h, [&](ClockWindow& d) {
            QTRY_VERIFY_WITH_TIMEOUT(!d.deviceTimeField->text().isEmpty(), 5000);
            SetFields(d, QStringList(ClockBytes, QString()));
            d.minutesEdit->setFocus();
            QSignalSpy pollClicks(d.pollButton, &QPushButton::clicked);
            // '\r' is Enter, which moves on to the next field.
            DuringPolls polls(h, {[&] {
                                      ClickOn(d.secondsEdit);
                                      TypeOn(&d, "13");
                                  },
                                  [&] { TypeOn(&d, "\r45"); }, [&] { TypeOn(&d, "\r20"); },
                                  [&] { TypeOn(&d, "\r31\r12"); }, [&] { TypeOn(&d, "\r99\r7"); },
                                  [&] {
                                      ClickOn(d.pollButton);
                                      ClickOn(d.pollButton);
                                  },
                                  [&] { ClickOn(d.pollButton); }});
            QTRY_VERIFY_WITH_TIMEOUT(polls.Done() && d.PollingStopped(), 10000);
            QCOMPARE(FieldTexts(d), QStringList({"13", "45", "20", "31", "12", "99", "7"}));
            QCOMPARE(pollClicks.count(), 3);
            Click(d.Cancel);
        });
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
    }
};

QTEST_MAIN(TestClockWindowPty)
#include "tst_clockwindow_pty.moc"
