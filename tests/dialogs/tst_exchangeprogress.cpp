// The progress row of the main window while the program waits: silent devices, repeats and a
// device that stays busy after a write. The bar's text moves at least once a second of the
// engine's time and tells the time waited; the row keeps its place, so nothing moves.

#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <functional>

namespace {

struct Sample {
    int64_t ms;
    QString text;
    QPoint content; // where the main window's buttons are
};

// What the main window shows while cmd runs: at every pause and every tenth of a second of a
// wait on the line, the bar's own tick is given its turn on the engine's virtual time (its
// timer runs on the real clock, which stands still here) and the bar is looked at.
std::vector<Sample> Watch(GuiHarness& h, const std::function<void()>& cmd) {
    std::vector<Sample> samples;
    auto look = [&] {
        h.OnWindowsThread([&] {
            if (ExchangeProgress* progress = ExchangeProgress::Active())
                progress->Tick();
            QCoreApplication::sendPostedEvents();
            if (h.Main().progressBar->isVisible())
                samples.push_back({h.Main().Engine().NowMs(), h.Main().progressBar->text(),
                                   h.Main().clockButton->mapTo(&h.Main(), QPoint())});
        });
    };
    h.Fake().OnWaitStep(look);
    h.Clock().OnSleep([&](int64_t) { look(); });
    cmd();
    h.Fake().OnWaitStep(nullptr);
    h.Clock().OnSleep(nullptr);
    return samples;
}

// The longest stretch of engine time over which the bar's text stayed the same.
int64_t LongestStill(const std::vector<Sample>& samples) {
    int64_t longest = 0;
    size_t since = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        if (samples[i].text != samples[since].text) {
            longest = std::max(longest, samples[i].ms - samples[since].ms);
            since = i;
        }
    return std::max(longest, samples.back().ms - samples[since].ms);
}

} // namespace

class TestExchangeProgress : public QObject {
    Q_OBJECT

private slots:
    void barIsNeverStillWhileTheProgramWaits_data() {
        QTest::addColumn<int>("silent");
        QTest::addColumn<int>("busyPolls");
        QTest::addColumn<QString>("waitText");
        QTest::newRow("silent device, read") << 5 << 0 << U("Конфигурация — 0%, ожидание 1,0 с");
        QTest::newRow("repeats, read") << 2 << 0 << U("повтор 2 из 5, ожидание 1,0 с");
        QTest::newRow("busy device, write") << 0 << 40 << U("прибор занят, ожидание записи — 2 с");
    }

    void barIsNeverStillWhileTheProgramWaits() {
        QFETCH(int, silent);
        QFETCH(int, busyPolls);
        QFETCH(QString, waitText);
        GuiHarness h;
        h.Main().show();
        QApplication::processEvents();
        h.GrantAccess();
        std::function<void()> command = [&] { h.ReadDevice(); };
        if (busyPolls > 0) {
            h.ReadDevice();
            h.Device().SetBusyAfterWrite(busyPolls);
            // The device holds other data than the window: the write has a block to send.
            QVERIFY(h.Device().PokeByte(1, 0, uint8_t(h.Device().GetModuleRecords(1)[0] ^ 1)));
            h.Op().Answer(MsgButton::Yes); // "write without a back-up?" and the like
            command = [&] { h.Main().WriteDeviceClick(); };
        }
        h.Fake().QueueSilence(silent);
        const QPoint content = h.Main().clockButton->mapTo(&h.Main(), QPoint());
        const QSize size = h.Main().size();
        const std::vector<Sample> samples = Watch(h, command);
        QVERIFY(samples.size() > 10);
        QVERIFY2(LongestStill(samples) <= 1000, qPrintable(QString::number(LongestStill(samples))));
        QStringList texts;
        for (const Sample& s : samples)
            if (texts.isEmpty() || texts.last() != s.text)
                texts << s.text;
        QVERIFY2(std::any_of(texts.begin(), texts.end(),
                             [&](const QString& t) { return t.contains(waitText); }),
                 qPrintable(texts.join('\n') + QString::fromStdString(h.Op().LastText())));
        for (const Sample& s : samples)
            QCOMPARE(s.content, content);
        QCOMPARE(h.Main().size(), size);
    }
};

QTEST_MAIN(TestExchangeProgress)
#include "tst_exchangeprogress.moc"
