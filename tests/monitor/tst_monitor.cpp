// "Монитор обмена" beside the real main window: a whole-device read on the emulator, a silent
// device, a save checked byte by byte, and the ring that drops the oldest records.

#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"
#include "monitor/monitorwindow.h"
#include "support/testframes.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

QString Cell(MonitorWindow& m, int row, int column) {
    return QString::fromStdString(m.Model().Row(row)[static_cast<size_t>(column)]);
}

// The rows of one column whose direction is the given one.
QStringList Column(MonitorWindow& m, const char* direction, int column) {
    QStringList out;
    for (int r = 0; r < m.Model().rowCount(); ++r)
        if (Cell(m, r, MonitorColumn::Direction).startsWith(U(direction)))
            out << Cell(m, r, column);
    return out;
}

// Counts the table's paints and the rows it had at each.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(MonitorWindow& m) : m_(m) { m.Table->viewport()->installEventFilter(this); }
    std::vector<int> rowsAtPaint;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            rowsAtPaint.push_back(m_.Model().rowCount());
        return false;
    }

private:
    MonitorWindow& m_;
};

MonitorWindow& OpenMonitor(GuiHarness& h) {
    h.Main().monitorAction->trigger();
    MonitorWindow* m = h.Main().Monitor();
    if (!m || !m->isVisible())
        qFatal("the monitor did not open");
    QApplication::processEvents();
    return *m;
}

} // namespace

class TestMonitor : public QObject {
    Q_OBJECT

private slots:
    void wholeDeviceReadIsShownInOrderWhileItRuns() {
        GuiHarness h(GuiHarness::Line::Pty);
        std::vector<emu::ModuleSlot> six;
        for (int s = 0; s < 6; ++s)
            six.push_back({s, s % 2 ? 2 : 1});
        QVERIFY(h.Device().SetModules(six));
        h.Main().Engine().SetDelayTx(25);
        QCOMPARE(h.Main().monitorAction->shortcut(), QKeySequence(U("Ctrl+M")));
        MonitorWindow& m = OpenMonitor(h);
        PaintWatch watch(m);

        h.ReadDevice();
        QApplication::processEvents();
        QVERIFY(h.Op().Shown().empty());
        QCOMPARE(
            Column(m, "→", MonitorColumn::Meaning),
            QStringList({U("чтение конфигурации"), U("чтение блока 1 (модуль 1)"),
                         U("чтение блока 2 (модуль 2)"), U("чтение блока 3 (модуль 3)"),
                         U("чтение блока 4 (модуль 4)"), U("чтение блока 5 (модуль 5)"),
                         U("чтение блока 6 (модуль 6)"), U("чтение блока 17 (сетевые блоки)")}));
        QCOMPARE(Column(m, "итог", MonitorColumn::Meaning), QStringList(8, U("код 0: выполнено")));
        QCOMPARE(Column(m, "←", MonitorColumn::Crc), QStringList(8, U("верна")));
        QCOMPARE(Column(m, "←", MonitorColumn::Meaning).last(),
                 U("блок 17 (сетевые блоки), 82 байта"));
        QCOMPARE(Cell(m, 0, MonitorColumn::Bytes), U("01 11 C0 2C"));
        QCOMPARE(Cell(m, 0, MonitorColumn::Device), U("1 (01)"));
        QCOMPARE(m.Model().rowCount(), 24);
        // The table was painted during the exchange's pauses, not only at its end.
        QVERIFY(std::any_of(watch.rowsAtPaint.begin(), watch.rowsAtPaint.end(),
                            [](int rows) { return rows > 0 && rows < 24; }));
    }

    void silentDeviceShowsItsTimeOutsAndRepeats() {
        GuiHarness h;
        MonitorWindow& m = OpenMonitor(h);
        h.Fake().QueueSilence(5);
        h.ReadDevice();
        QApplication::processEvents();
        QCOMPARE(Column(m, "нет ответа", MonitorColumn::Direction),
                 QStringList(5, U("нет ответа, 1300 мс")));
        QCOMPARE(Column(m, "→", MonitorColumn::Meaning),
                 QStringList({U("чтение конфигурации"), U("чтение конфигурации (повтор 2/5)"),
                              U("чтение конфигурации (повтор 3/5)"),
                              U("чтение конфигурации (повтор 4/5)"),
                              U("чтение конфигурации (повтор 5/5)")}));
        QCOMPARE(Column(m, "итог", MonitorColumn::Meaning),
                 QStringList({U("код 130: устройство 1 FAKE не отвечает на запрос")}));
        // Time-out after 1300 ms, then 300 ms repeat pause and 25 ms before the next send.
        QCOMPARE(Cell(m, 1, MonitorColumn::Time).section(' ', 1), U("+1300"));
        QCOMPARE(Cell(m, 2, MonitorColumn::Time).section(' ', 1), U("+325"));

        // Another device's rows go with the filter.
        m.deviceFilterBox->setCurrentIndex(2);
        m.DeviceFilterChanged();
        QCOMPARE(m.Model().rowCount(), 0);
        m.deviceFilterBox->setCurrentIndex(1);
        m.DeviceFilterChanged();
        QCOMPARE(m.Model().rowCount(), 11);
    }

    void saveWritesTheShownRowsAsTabSeparatedText() {
        GuiHarness h;
        MonitorWindow& m = OpenMonitor(h);
        m.Recorder().SetWallClock([] { return int64_t(12 * 3600'000 + 30 * 60'000 + 5'000); });
        h.Fake().QueueReply(
            TestFrame::Normal(1, 4, {0, 5, 0, 30, 0, 12, 0, 7, 0, 12, 0, 26, 0, 1}));
        uint8_t reply[ExchangeEngine::ReplyBufferSize];
        const uint8_t clock[] = {0x03, 0xE8, 0x00, 0x07};
        QCOMPARE(h.Main().Engine().Exchange(0, 4, 4, clock, reply), 0);
        QApplication::processEvents();
        m.PauseClick(); // the view stops; recording goes on
        h.Fake().QueueReply(TestFrame::Normal(1, 4, Bytes(14, 0)));
        QCOMPARE(h.Main().Engine().Exchange(0, 4, 4, clock, reply), 0);
        QApplication::processEvents();
        QCOMPARE(m.Model().rowCount(), 3);
        QVERIFY(m.countLabel->text().startsWith(U("Записей: 6, отброшено старых: 0")));

        QTemporaryDir dir;
        const QString path = dir.filePath(U("obmen.txt"));
        h.OnFileDialog(path);
        m.SaveClick();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected =
            "Время\tНаправление\tПрибор\tФункция\tСмысл\tДлина\tCRC\tБайты\n"
            "12:30:05.000\t→\t1 (01)\t4 чтение входных регистров\tчтение времени прибора\t8\t"
            "верна\t01 04 03 E8 00 07 31 B8\n"
            "12:30:05.000 +0\t←\t1 (01)\t4 чтение входных регистров\t"
            "время прибора 12:30:05 07.12.26\t19\tверна\t"
            "01 04 0E 00 05 00 1E 00 0C 00 07 00 0C 00 1A 00 01 12 CC\n"
            "12:30:05.000 +0\tитог\t1\t4 чтение входных регистров\tкод 0: выполнено\t\t\t\n";
        QCOMPARE(file.readAll(), expected);
    }

    void ringDropsTheOldestAndSaysHowMany() {
        GuiHarness h;
        MonitorWindow m(h.Main(), nullptr, 4);
        m.show();
        for (int i = 0; i < 2; ++i) {
            h.Fake().QueueReply(TestFrame::Normal(1, 0x11, Bytes(17, 0)));
            uint8_t reply[ExchangeEngine::ReplyBufferSize];
            QCOMPARE(h.Main().Engine().Exchange(0, 17, 0, nullptr, reply), 0);
        }
        QApplication::processEvents();
        QCOMPARE(m.Recorder().Dropped(), 2);
        QCOMPARE(m.Model().rowCount(), 4);
        // Kept: the first transaction's result, then the whole second one.
        QCOMPARE(Cell(m, 0, MonitorColumn::Direction), U("итог"));
        QCOMPARE(Cell(m, 1, MonitorColumn::Direction), U("→"));
        QVERIFY(m.countLabel->text().startsWith(U("Записей: 4, отброшено старых: 2")));
        m.ClearClick();
        QCOMPARE(m.Model().rowCount(), 0);
        QVERIFY(m.countLabel->text().startsWith(U("Записей: 0, отброшено старых: 0")));
    }

private:
    using Bytes = std::vector<uint8_t>;
};

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
