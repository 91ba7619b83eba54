// The clock window on a scripted line with an emulated device behind it: opening, polling and
// its end, the PC and device buttons, the field checks, access, sending and closing.

#include "clock/clockwindowtest.h"
#include "dialogs/fieldcheck.h"
#include "link/exchangeengine.h"
#include "words/linkwords.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
const QStringList kOnes = {"1", "1", "1", "1", "1", "1", "1"};

// The operator's actions, one letter each: digits are typed, P clicks the poll button, S the
// send button, C "Отмена", E is Esc.
void Act(ClockWindow& d, const char* actions) {
    for (const char* a = actions; *a; ++a) {
        switch (*a) {
        case 'P':
            ClickOn(d.pollButton);
            break;
        case 'S':
            ClickOn(d.setClockButton);
            break;
        case 'C':
            ClickOn(d.Cancel);
            break;
        case 'E':
            QTest::keyClick(d.windowHandle(), Qt::Key_Escape);
            break;
        default:
            QTest::keyClick(d.windowHandle(), *a);
        }
    }
}
} // namespace

class TestClockWindow : public QObject {
    Q_OBJECT

private slots:
    // Cancel during a silent device's poll closes the window at once; the poll ends at its
    // first repeat, not after all of them; nothing is asked or told.
    void cancelStopsASilentPoll() {
        GuiHarness h;
        size_t requests = 0;
        bool closed = false;
        OpenClockWindow(h, [&](ClockWindow& d) {
            d.pollTimer->stop(); // the test runs the poll step by hand
            const size_t before = h.Fake().Written().size();
            h.Fake().SetResponder([&](const FakeLine::Bytes&) {
                h.TakeTurn();
                return FakeLine::Bytes{};
            });
            h.DuringNextRequest([&] {
                Click(d.Cancel);
                closed = !d.isVisible();
            });
            d.PollOnce();
            QTRY_VERIFY(!h.Main().Exchanges().Busy());
            requests = h.Fake().Written().size() - before;
        });
        QVERIFY(closed);
        QCOMPARE(requests, size_t(1));
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
    }

    void openingShowsOnesAndStartsPolling() {
        GuiHarness h;
        ClockWindow w(h.Main(), &h.Main());
        w.hoursEdit->setText("5"); // left over from an earlier opening
        bool seen = false;
        OpenClockWindow(h, w, [&](ClockWindow& d) {
            seen = true;
            QCOMPARE(FieldTexts(d), kOnes);
            QVERIFY(d.pollTimer->isActive());
            QCOMPARE(d.pollTimer->interval(), 100);
            QVERIFY(!d.PollingStopped());
            QVERIFY(d.pollStateLabel->isVisible());
            QCOMPARE(d.pollStateLabel->text(), U("запрос  времени включен"));
            QVERIFY(d.errorMarker->isHidden());
            Click(d.OK);
            QVERIFY(!d.isVisible());
        });
        QVERIFY(seen);
        QCOMPARE(h.ModalTitles(), QStringList{U("Задание времени и даты")});
        QCOMPARE(w.result(), 1);
        QCOMPARE(SetClockFrames(h), 0);
        QVERIFY(h.Op().Shown().empty());
    }

    void controlsCarryTheirCaptionsHintsAndLimits() {
        GuiHarness h;
        ClockWindow w(h.Main(), &h.Main());
        const QStringList hints = {"0-59", "0-59", "0-23", "1-31", "1-12", "0-99", "1-7"};
        const QList<int> lengths = {2, 2, 2, 2, 2, 2, 1};
        const auto fields = ClockFields(w);
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(fields[size_t(i)]->toolTip(), hints[i]);
            // Typing stops at the field's length.
            fields[size_t(i)]->clear();
            QTest::keyClicks(fields[size_t(i)], "1234");
            QCOMPARE(fields[size_t(i)]->text(), QString("1234").left(lengths[i]));
        }
        QCOMPARE(w.windowTitle(), U("Задание времени и даты"));
        QCOMPARE(w.pollButton->text(), U("Пуск и остановка запроса времени"));
        QCOMPARE(w.fromDeviceButton->text(), U("Время и дата прибора"));
        QCOMPARE(w.fromPcButton->text(), U("Время и дата PC"));
        QCOMPARE(w.setClockButton->text(), U("Передать время и дату в прибор"));
        QCOMPARE(w.OK->text(), QString("OK"));
        QCOMPARE(w.Cancel->text(), U("Отмена"));
        QCOMPARE(w.errorMarker->text(), U("ошибка"));
        for (QLineEdit* box : {w.deviceTimeField, w.deviceDateField, w.deviceWeekdayField})
            QVERIFY(box->isReadOnly());
    }

    void mainWindowButtonOpensTheWindow() {
        GuiHarness h;
        h.ReadDevice();
        QVERIFY(h.Main().clockButton->isEnabled());
        bool polled = false;
        h.OnModal([&](QDialog& d) {
            auto& w = static_cast<ClockWindow&>(d);
            // The emulated device starts at 00:00:00 on Monday 1.1.24 and runs on from there.
            QTRY_VERIFY_WITH_TIMEOUT(!w.deviceDateField->text().isEmpty(), 2000);
            polled =
                w.deviceDateField->text() == "01.01.24" && w.deviceWeekdayField->text() == U("пн");
        });
        Click(h.Main().clockButton);
        QVERIFY(polled);
        QCOMPARE(h.ModalTitles().last(), U("Задание времени и даты"));
    }

    void pollingStopsWhenTheWindowCloses_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("OK") << 0;
        QTest::newRow("Отмена") << 1;
        QTest::newRow("close box") << 2;
        QTest::newRow("sent") << 3;
    }
    void pollingStopsWhenTheWindowCloses() {
        QFETCH(int, how);
        GuiHarness h;
        h.GrantAccess(1);
        ClockWindow w(h.Main(), &h.Main());
        OpenClockWindow(h, w, [&](ClockWindow& d) {
            QTRY_VERIFY_WITH_TIMEOUT(PollFrames(h) > 0, 2000);
            QPushButton* buttons[] = {d.OK, d.Cancel, nullptr, d.setClockButton};
            if (buttons[how])
                Click(buttons[how]);
            else
                d.close();
            QVERIFY(!d.isVisible());
        });
        QVERIFY(!w.pollTimer->isActive());
        QVERIFY(w.PollingStopped());
        QVERIFY(w.pollStateLabel->isHidden());
        const int polls = PollFrames(h);
        QTest::qWait(350); // three periods: no tick may come
        QCOMPARE(PollFrames(h), polls);
    }

    void startStopTogglesPollingAndLabel() {
        GuiHarness h;
        OpenClockWindow(h, [&](ClockWindow& d) {
            Click(d.pollButton);
            QVERIFY(!d.pollTimer->isActive());
            QVERIFY(d.PollingStopped());
            QVERIFY(d.pollStateLabel->isHidden());
            const int polls = PollFrames(h);
            QTest::qWait(250);
            QCOMPARE(PollFrames(h), polls);
            Click(d.pollButton);
            QVERIFY(d.pollTimer->isActive());
            QVERIFY(!d.PollingStopped());
            QVERIFY(d.pollStateLabel->isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(PollFrames(h) > polls, 2000);
        });
    }

    void pcTimeFillsTheFields_data() {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("Sunday in 2024") << QDateTime(QDate(2024, 3, 10), QTime(8, 5, 9))
                                        << QStringList{"9", "5", "8", "10", "3", "24", "7"};
        QTest::newRow("Monday, end of a year")
            << QDateTime(QDate(2031, 12, 1), QTime(23, 59, 0))
            << QStringList{"0", "59", "23", "1", "12", "31", "1"};
        QTest::newRow("Saturday 1.1.2000") << QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0))
                                           << QStringList{"0", "0", "0", "1", "1", "0", "6"};
    }
    void pcTimeFillsTheFields() {
        QFETCH(QDateTime, now);
        QFETCH(QStringList, fields);
        GuiHarness h;
        ClockWindow w(h.Main(), &h.Main());
        w.SetPcClock([now] { return now; });
        QStringList got;
        OpenClockWindow(h, w, [&](ClockWindow& d) {
            Click(d.fromPcButton);
            got = FieldTexts(d);
            Click(d.Cancel);
        });
        QCOMPARE(got, fields);
        QCOMPARE(SetClockFrames(h), 0);
    }

    void deviceTimeWithPollingStoppedAsksToStartIt() {
        GuiHarness h;
        OpenClockWindow(h, [&](ClockWindow& d) {
            QTRY_VERIFY_WITH_TIMEOUT(!d.deviceTimeField->text().isEmpty(), 2000);
            Click(d.pollButton);
            SetFields(d, kGood);
            Click(d.fromDeviceButton);
            QCOMPARE(FieldTexts(d), kGood);
        });
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        const OperatorMessage& m = h.Op().Shown()[0];
        QCOMPARE(m.text, std::string("Включите запрос времени с прибора"));
        QCOMPARE(m.caption, std::string("Предупреждение"));
        QCOMPARE(m.icon, MsgIcon::Error);
    }

    void deviceTimeBeforeAnyReplyGivesZeros() {
        GuiHarness h;
        h.Main().Modules().BusNumber = 4; // no device answers at bus number 5
        QStringList got;
        bool deviceTimeShown = false;
        OpenClockWindow(h, [&](ClockWindow& d) {
            QTRY_VERIFY_WITH_TIMEOUT(PollFrames(h) > 1, 2000);
            Click(d.fromDeviceButton);
            got = FieldTexts(d);
            deviceTimeShown = !d.deviceTimeField->text().isEmpty();
            Click(d.Cancel);
        });
        QCOMPARE(got, (QStringList{"0", "0", "0", "0", "0", "0", "0"}));
        QVERIFY(h.Op().Shown().empty()); // failed polls are silent while polling runs
        QVERIFY(!deviceTimeShown);
    }

    void fieldCheckOnSend_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("badge");
        const QString input = U(" Ошибка ввода ");
        auto range = [](const char* bounds) { return U("Величина вне диапазона ") + bounds; };
        QTest::newRow("empty hour") << 2 << "" << input;
        QTest::newRow("seconds 60") << 0 << "60" << range("0 - 59");
        QTest::newRow("hour 24") << 2 << "24" << range("0 - 23");
        QTest::newRow("day 0") << 3 << "0" << range("1 - 31");
        QTest::newRow("day 32") << 3 << "32" << range("1 - 31");
        QTest::newRow("month 13") << 4 << "13" << range("1 - 12");
        QTest::newRow("year -1 pasted") << 5 << "-1" << range("0 - 99");
        QTest::newRow("weekday 0") << 6 << "0" << range("1 - 7");
        QTest::newRow("weekday 8") << 6 << "8" << range("1 - 7");
        QTest::newRow("letters pasted") << 1 << "ab" << input;
        QTest::newRow("fraction pasted") << 5 << "1." << input;
        QTest::newRow("blank pasted") << 3 << " 5" << input;
    }
    void fieldCheckOnSend() {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, badge);
        GuiHarness h;
        h.GrantAccess(1);
        OpenClockWindow(h, [&](ClockWindow& d) {
            SetFields(d, kGood);
            QLineEdit* bad = ClockFields(d)[size_t(field)];
            bad->clear();
            QApplication::clipboard()->setText(text);
            bad->paste(); // typing could not put these in
            QCOMPARE(bad->text(), text);
            Click(d.setClockButton);
            QVERIFY(d.isVisible());
            QVERIFY(d.errorMarker->isVisible());
            QCOMPARE(d.errorMarker->text(), badge);
            // At the field, inside the window.
            QVERIFY(MarksField(d, bad, d.errorMarker));
            QCOMPARE(bad->text(), text);
            Click(d.Cancel);
        });
        QCOMPARE(SetClockFrames(h), 0);
        QVERIFY(h.Op().Shown().empty());
    }

    void firstFailingFieldIsTheOneShown_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("failing");
        QTest::addColumn<QString>("badge");
        QTest::newRow("empty hour before month 13")
            << QStringList{"30", "45", "", "31", "13", "99", "7"} << 2 << U(" Ошибка ввода ");
        QTest::newRow("day 31 in February passes, weekday 0 fails")
            << QStringList{"0", "0", "0", "31", "2", "24", "0"} << 6
            << U("Величина вне диапазона 1 - 7");
    }
    void firstFailingFieldIsTheOneShown() {
        QFETCH(QStringList, fields);
        QFETCH(int, failing);
        QFETCH(QString, badge);
        GuiHarness h;
        h.GrantAccess(1);
        OpenClockWindow(h, [&](ClockWindow& d) {
            SetFields(d, fields);
            Click(d.setClockButton);
            QLineEdit* bad = ClockFields(d)[size_t(failing)];
            QCOMPARE(d.errorMarker->text(), badge);
            QVERIFY(MarksField(d, bad, d.errorMarker));
            Click(d.Cancel);
        });
        QCOMPARE(SetClockFrames(h), 0);
    }

    void accessLevelZeroChecksAndSendsNothing() {
        GuiHarness h;
        h.GrantAccess(0);
        OpenClockWindow(h, [&](ClockWindow& d) {
            SetFields(d, {"30", "45", "", "31", "13", "99", "7"});
            Click(d.setClockButton);
            QVERIFY(d.isVisible());
            QVERIFY(d.errorMarker->isHidden());
            Click(d.Cancel);
        });
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        const OperatorMessage& m = h.Op().Shown()[0];
        QCOMPARE(m.text,
                 std::string("Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт"));
        QCOMPARE(m.caption, std::string("Предупреждение"));
        QCOMPARE(m.icon, MsgIcon::Warning);
        QCOMPARE(SetClockFrames(h), 0);
    }

    void closingChecksTheFieldsUnlessCancelled_data() {
        QTest::addColumn<int>("how");
        QTest::addColumn<bool>("closes");
        QTest::newRow("OK") << 0 << false;
        QTest::newRow("close box") << 1 << false;
        QTest::newRow("Отмена") << 2 << true;
    }
    void closingChecksTheFieldsUnlessCancelled() {
        QFETCH(int, how);
        QFETCH(bool, closes);
        GuiHarness h;
        OpenClockWindow(h, [&](ClockWindow& d) {
            SetFields(d, {"30", "45", "12", "31", "13", "99", "7"});
            if (how == 0)
                Click(d.OK);
            else if (how == 1)
                d.close();
            else
                Click(d.Cancel);
            QCOMPARE(d.isVisible(), !closes);
            QCOMPARE(d.errorMarker->isVisible(), !closes);
            if (!closes) {
                QCOMPARE(d.errorMarker->text(), U("Величина вне диапазона 1 - 12"));
                // Putting the field right lets the same way out close the window.
                d.monthEdit->setText("12");
                how == 0 ? Click(d.OK) : void(d.close());
                QVERIFY(!d.isVisible());
                QVERIFY(d.errorMarker->isHidden());
            }
        });
        QCOMPARE(SetClockFrames(h), 0);
        QVERIFY(h.Op().Shown().empty());
    }

    void typingTakesDigitsOnlyAndEnterMovesOn() {
        GuiHarness h;
        OpenClockWindow(h, [&](ClockWindow& d) {
            d.secondsEdit->clear();
            QTest::keyClicks(d.secondsEdit, "a5-x.");
            QCOMPARE(d.secondsEdit->text(), QString("5"));
            QTest::keyClick(d.secondsEdit, Qt::Key_Backspace);
            QCOMPARE(d.secondsEdit->text(), QString());
            d.activateWindow();
            d.secondsEdit->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.secondsEdit));
            QTest::keyClick(d.secondsEdit, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.minutesEdit));
            QVERIFY(d.isVisible()); // Enter is not the OK button
            Click(d.Cancel);
        });
        QVERIFY(h.Op().Shown().empty()); // a dropped key is not an error
    }

    void failedPollIsToldOnlyWhenPollingWasStoppedMeanwhile_data() {
        QTest::addColumn<bool>("stopMeanwhile");
        QTest::addColumn<int>("messages");
        QTest::newRow("polling runs") << false << 0;
        QTest::newRow("stopped during the exchange") << true << 1;
    }
    void failedPollIsToldOnlyWhenPollingWasStoppedMeanwhile() {
        QFETCH(bool, stopMeanwhile);
        QFETCH(int, messages);
        GuiHarness h;
        ClockWindow w(h.Main(), &h.Main());
        OpenClockWindow(h, w, [&](ClockWindow& d) {
            d.pollTimer->stop(); // the test runs the poll step by hand
            const QString shown = d.deviceTimeField->text();
            h.Fake().SetResponder([&](const FakeLine::Bytes&) {
                h.OnWindowsThread([&] {
                    if (stopMeanwhile && !w.PollingStopped())
                        w.PollClick();
                });
                return FakeLine::Bytes{}; // the device stays silent
            });
            d.PollOnce();
            QTRY_VERIFY(!h.Main().Exchanges().Busy());
            QCOMPARE(d.deviceTimeField->text(), shown);
            Click(d.Cancel);
        });
        QCOMPARE(int(h.Op().Shown().size()), messages);
        if (messages)
            QCOMPARE(h.Op().Shown()[0].text,
                     MessageFor(h.Main().Engine(), 0, ResultCode::NoAnswer).text);
    }

    // What the operator does while a poll waits for its reply comes in at once; a failure is
    // told when polling was stopped meanwhile; Esc or Отмена closes the window, on a silent
    // device or an answering one.
    void inputDuringAPoll_data() {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QString>("seconds"); // the field the typing went to
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("sets");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("polling");
        QTest::newRow("typed, then polling stopped: told after the typing")
            << true << "59P"
            << "59" << 1 << 0 << true << false;
        // Esc stops the poll and, meant for this window, closes it.
        QTest::newRow("Esc on a silent device") << true << "7E"
                                                << "7" << 0 << 0 << false << false;
        QTest::newRow("Отмена on an answering device") << false << "4C"
                                                       << "4" << 0 << 0 << false << false;
    }
    void inputDuringAPoll() {
        QFETCH(bool, silent);
        QFETCH(QString, actions);
        QFETCH(QString, seconds);
        QFETCH(int, messages);
        QFETCH(int, sets);
        QFETCH(bool, open);
        QFETCH(bool, polling);
        GuiHarness h;
        h.GrantAccess(1);
        if (silent)
            h.Fake().SetResponder([](const FakeLine::Bytes&) { return FakeLine::Bytes{}; });
        const QByteArray script = actions.toLatin1();
        OpenClockWindow(h, [&](ClockWindow& d) {
            SetFields(d, kGood);
            d.secondsEdit->clear();
            d.secondsEdit->setFocus();
            DuringPolls poll(h, {[&] { Act(d, script.constData()); }});
            QTRY_VERIFY(poll.Done());
            QTRY_VERIFY(!h.Main().Exchanges().Busy());
            QTRY_COMPARE(int(h.Op().Shown().size()), messages);
            QCOMPARE(d.secondsEdit->text(), seconds);
            QCOMPARE(d.isVisible(), open);
            QCOMPARE(!d.PollingStopped(), polling);
            if (d.isVisible())
                Click(d.Cancel);
        });
        QCOMPARE(SetClockFrames(h), sets);
        QCOMPARE(int(h.Op().Shown().size()), messages);
        if (messages)
            QCOMPARE(h.Op().Shown()[0].text,
                     MessageFor(h.Main().Engine(), 0, ResultCode::NoAnswer).text);
    }

    // The send clicked during a poll stops the poll and sets the clock; clicked again while
    // the setting runs, it is greyed and nothing goes twice.
    void sendClickedTwiceRunsOnce() {
        GuiHarness h;
        h.GrantAccess(1);
        OpenClockWindow(h, [&](ClockWindow& d) {
            SetFields(d, kGood);
            h.Fake().SetResponder([&](const FakeLine::Bytes& request) {
                if (request.size() > 1 && request[1] == 70)
                    h.OnWindowsThread([&] { ClickOn(d.setClockButton); });
                return h.Device().Handle(request);
            });
            QTRY_VERIFY(!d.deviceTimeField->text().isEmpty()); // polling runs
            ClickOn(d.setClockButton);
        });
        QCOMPARE(SetClockFrames(h), 1);
        QCOMPARE(int(h.Op().Shown().size()), 1);
        QVERIFY(h.Op().Shown()[0].text.starts_with("Время прибора 1 установлено: 12:45:3"));
    }

    // A tick while the last poll is still out starts no other: one poll at a time.
    void tickDuringAnExchangeStartsNoOther() {
        GuiHarness h;
        ClockWindow w(h.Main(), &h.Main());
        int ticks = 0;
        OpenClockWindow(h, w, [&](ClockWindow& d) {
            d.pollTimer->stop();
            const int polls = PollFrames(h);
            h.DuringNextRequest([&] {
                ++ticks;
                w.PollTick(); // a tick served while the reply is awaited
            });
            d.PollOnce();
            QTRY_VERIFY(!h.Main().Exchanges().Busy());
            QTRY_VERIFY(!d.deviceTimeField->text().isEmpty());
            QCOMPARE(PollFrames(h), polls + 1);
            Click(d.Cancel);
        });
        QCOMPARE(ticks, 1);
    }
};

QTEST_MAIN(TestClockWindow)
#include "tst_clockwindow.moc"
