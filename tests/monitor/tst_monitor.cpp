// "Монитор обмена" beside the real main window: a whole-device read on the emulator, a silent
// device and the filters, a save checked byte by byte, the ring that drops the oldest records,
// and a monitor that stays usable while a modal dialog or an exchange holds the other windows.

#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"
#include "monitor/monitorwindow.h"
#include "support/testframes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

// One transaction straight on the engine, then what its thread told the monitor is in.
int Exchange(GuiHarness& h, int device, int function, int count, const uint8_t* data,
             uint8_t* reply) {
    const int code = h.Main().Engine().Exchange(device, function, count, data, reply);
    QCoreApplication::sendPostedEvents();
    return code;
}

MonitorWindow& OpenMonitor(GuiHarness& h) {
    h.Main().monitorAction->trigger();
    MonitorWindow* m = h.Main().Monitor();
    if (!m || !m->isVisible())
        qFatal("the monitor did not open");
    QApplication::processEvents();
    return *m;
}

// A click that comes from the window system, so that modality applies to it.
void SystemClick(QWidget* widget) {
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {},
                      widget->mapTo(top, widget->rect().center()));
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
        // Long enough for the table's refreshes to come while it runs.
        h.Main().Engine().SetDelayTx(2 * MonitorWindow::RefreshMs / 5);
        QCOMPARE(h.Main().monitorAction->shortcut(), QKeySequence(U("Ctrl+M")));
        MonitorWindow& m = OpenMonitor(h);
        PaintWatch watch(m);

        h.ReadDevice();
        m.Refresh();
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
        m.Refresh();
        QCOMPARE(Column(m, "нет ответа", MonitorColumn::Direction),
                 QStringList(5, U("нет ответа, 1300 мс")));
        QCOMPARE(
            Column(m, "→", MonitorColumn::Meaning),
            QStringList({U("чтение конфигурации"), U("чтение конфигурации (повтор 1)"),
                         U("чтение конфигурации (повтор 2)"), U("чтение конфигурации (повтор 3)"),
                         U("чтение конфигурации (повтор 4)")}));
        QCOMPARE(Column(m, "итог", MonitorColumn::Meaning),
                 QStringList({U("код 130: устройство 1 FAKE не отвечает на запрос")}));
        // Time-out after 1300 ms, then 300 ms repeat pause and 25 ms before the next send.
        QCOMPARE(Cell(m, 1, MonitorColumn::Delta), U("+1300"));
        QCOMPARE(Cell(m, 2, MonitorColumn::Delta), U("+325"));
        // The time-outs and the result are errors, in colour; a request is not.
        QCOMPARE(m.Model().Trouble(1), RowTrouble::NoAnswer);
        QCOMPARE(m.Model().Trouble(10), RowTrouble::Failed);
        QVERIFY(m.Model().data(m.Model().index(1, 0), Qt::BackgroundRole).isValid());
        QVERIFY(!m.Model().data(m.Model().index(0, 0), Qt::BackgroundRole).isValid());

        // Then a good read: the filters by device, function, errors and text, and the count.
        h.ReadDevice();
        m.Refresh();
        const int all = m.Model().rowCount();
        QCOMPARE(all, 11 + 3 * 4);
        struct Case {
            int device;
            int function; // index in the function list
            bool errors;
            const char* text;
            int rows;
        };
        const Case cases[] = {{2, 0, false, "", 0},      {1, 0, false, "", all},
                              {0, 1, false, "", 11 + 3}, {0, 2, false, "", 3 * 3},
                              {0, 0, true, "", 6},       {0, 0, false, "МОДУЛЬ 2", 2},
                              {1, 2, true, "", 0},       {0, 0, false, "", all}};
        for (const Case& c : cases) {
            m.deviceFilterBox->setCurrentIndex(c.device);
            m.functionFilterBox->setCurrentIndex(c.function);
            m.errorsOnlyBox->setChecked(c.errors);
            m.textFilterEdit->setText(U(c.text));
            m.FilterChanged();
            QCOMPARE(m.Model().rowCount(), c.rows);
            QVERIFY2(m.countLabel->text().startsWith(U("Показано %1 из %2,").arg(c.rows).arg(all)),
                     qPrintable(m.countLabel->text()));
        }
    }

    void saveWritesTheShownRowsAsTabSeparatedText() {
        GuiHarness h;
        MonitorWindow& m = OpenMonitor(h);
        // 07.12.2026 12:30:05 local time.
        m.Recorder().SetWallClock([] { return int64_t(1'796'646'605'000LL); });
        h.Fake().QueueReply(
            TestFrame::Normal(1, 4, {0, 5, 0, 30, 0, 12, 0, 7, 0, 12, 0, 26, 0, 1}));
        uint8_t reply[ExchangeEngine::ReplyBufferSize];
        const uint8_t clock[] = {0x03, 0xE8, 0x00, 0x07};
        QCOMPARE(Exchange(h, 0, 4, 4, clock, reply), 0);
        m.Refresh();
        m.PauseClick(); // the view stops; recording goes on
        h.Fake().QueueReply(TestFrame::Normal(1, 4, Bytes(14, 0)));
        QCOMPARE(Exchange(h, 0, 4, 4, clock, reply), 0);
        m.Refresh();
        QCOMPARE(m.Model().rowCount(), 3);
        QVERIFY(m.countLabel->text().startsWith(U("Показано 3 из 6, отброшено старых: 0")));

        QTemporaryDir dir;
        const QString path = dir.filePath(U("obmen.txt"));
        h.OnFileDialog(path);
        m.SaveClick();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> heading = file.readAll().split('\n');
        QVERIFY(heading[0].startsWith("Журнал обмена, сохранён "));
        QCOMPARE(heading[1], QByteArray("Линия: порт FAKE, 9600 бит/с, чётность N, стоповых "
                                        "битов 2"));
        QVERIFY(heading[2].startsWith("Показано 3 из 6"));
        // The counts per device, of everything recorded (the paused rows too).
        QVERIFY2(heading[3].startsWith("Прибор 1: запросов 2, ответов 2, тайм-аутов 0, ошибок "
                                       "CRC 0, исключений 0, ответ мин/сред/макс "),
                 heading[3].constData());
        QCOMPARE(heading[4], QByteArray());
        QVERIFY(file.seek(0));
        const QByteArray all = file.readAll();
        const QByteArray expected =
            "Дата\tВремя\tΔt, мс\tНаправление\tПрибор\tФункция\tСмысл\tДлина\tCRC\tБайты\n"
            "07.12.2026\t12:30:05.000\t\t→\t1 (01)\t4 чтение входных регистров\t"
            "чтение времени прибора\t8\tверна\t01 04 03 E8 00 07 31 B8\n"
            "07.12.2026\t12:30:05.000\t+0\t←\t1 (01)\t4 чтение входных регистров\t"
            "время прибора 12:30:05 07.12.26\t19\tверна\t"
            "01 04 0E 00 05 00 1E 00 0C 00 07 00 0C 00 1A 00 01 12 CC\n"
            "07.12.2026\t12:30:05.000\t+0\tитог\t1\t4 чтение входных регистров\t"
            "код 0: выполнено\t\t\t\n";
        QVERIFY(all.endsWith(expected));
        QCOMPARE(all.count('\n'), 5 + 4);
    }

    // Commissioning a line: the counts per device agree with what the device was sent and what
    // went wrong, the CSV has a row per frame, and every column is in the window.
    void countsPerDeviceAndFramesAsCsv() {
        GuiHarness h;
        h.Main().Engine().SetHeaderRepeats(2);
        h.Main().Engine().SetBodyRepeats(2);
        uint8_t reply[ExchangeEngine::ReplyBufferSize];
        // Device 1: a bad CRC, then a good answer; device 2: an exception; device 3: silent
        // twice. Done before the monitor is opened: it records from the start.
        Bytes bad = TestFrame::Normal(1, 0x11, Bytes(17, 0));
        bad.back() ^= 1;
        h.Fake().QueueReply(bad);
        h.Fake().QueueReply(TestFrame::Normal(1, 0x11, Bytes(17, 0)));
        QCOMPARE(Exchange(h, 0, 17, 0, nullptr, reply), 0);
        h.Fake().QueueReply(TestFrame::Exception(2, 0x11, 2));
        QCOMPARE(Exchange(h, 1, 17, 0, nullptr, reply), 2);
        h.Fake().QueueSilence(2);
        QCOMPARE(Exchange(h, 2, 17, 0, nullptr, reply), ResultCode::NoAnswer);

        MonitorWindow& m = OpenMonitor(h);
        const std::map<int, DeviceCounts>& counts = m.Counts().Devices();
        QCOMPARE(counts.at(1).requests, 2);
        QCOMPARE(counts.at(1).answers, 1);
        QCOMPARE(counts.at(1).crcErrors, 1);
        QCOMPARE(counts.at(2).exceptions, 1);
        QCOMPARE(counts.at(2).answers, 1);
        QCOMPARE(counts.at(3).requests, 2);
        QCOMPARE(counts.at(3).timeouts, 2);
        QVERIFY(counts.at(1).minMicros <= counts.at(1).maxMicros);
        QVERIFY(
            m.devicesLabel->text().contains(U("Прибор 3: запросов 2, ответов 0, тайм-аутов 2")));

        const QStringList csv =
            QString::fromStdString(m.CsvFileText()).split('\n', Qt::SkipEmptyParts);
        // The header, five requests (device 1's two, 2's one, 3's two), three replies, two
        // time-outs.
        QCOMPARE(csv.size(), 1 + 5 + 3 + 2);
        QVERIFY(csv[0].endsWith(U("Дата;Время;От начала, мс;Прибор;Направление;Функция;Байты;"
                                  "Проверка;Ответ через, мс")));
        QVERIFY2(csv[2].contains(U(";1;ответ;17;")) && csv[2].contains(U(";ошибка CRC;")),
                 qPrintable(csv[2]));

        // Every column within the window, its scroll bar beside.
        int columns = 0;
        for (int c = 0; c < MonitorColumn::Count; ++c)
            columns += m.Table->columnWidth(c);
        QVERIFY2(columns + m.Table->verticalScrollBar()->sizeHint().width() <= m.width(),
                 qPrintable(QString("%1 of %2").arg(columns).arg(m.width())));
        QVERIFY(m.width() <= m.screen()->availableGeometry().width());
    }

    void ringDropsTheOldestAndSaysHowMany() {
        GuiHarness h;
        MonitorWindow m(h.Main(), nullptr, 4);
        m.show();
        for (int i = 0; i < 2; ++i) {
            h.Fake().QueueReply(TestFrame::Normal(1, 0x11, Bytes(17, 0)));
            uint8_t reply[ExchangeEngine::ReplyBufferSize];
            QCOMPARE(Exchange(h, 0, 17, 0, nullptr, reply), 0);
        }
        m.Refresh();
        QCOMPARE(m.Recorder().Dropped(), 2);
        QCOMPARE(m.Model().rowCount(), 4);
        // Kept: the first transaction's result, then the whole second one.
        QCOMPARE(Cell(m, 0, MonitorColumn::Direction), U("итог"));
        QCOMPARE(Cell(m, 1, MonitorColumn::Direction), U("→"));
        QVERIFY(m.countLabel->text().startsWith(U("Показано 4 из 4, отброшено старых: 2")));
        m.ClearClick();
        QCOMPARE(m.Model().rowCount(), 0);
        QVERIFY(m.countLabel->text().startsWith(U("Показано 0 из 0, отброшено старых: 0")));
    }

    // A dialog modal to the main window holds the main window but not the monitor, a window of
    // its own; Ctrl+M reaches it from the dialog.
    void monitorIsUsableBesideAModalDialog() {
        GuiHarness h;
        h.Main().show();
        QApplication::processEvents(); // the password prompt at the first showing
        h.Main().SetModalHook({});     // then the real modal loop
        QDialog dialog(&h.Main());
        dialog.resize(200, 100);
        bool checked = false;
        QTimer::singleShot(0, &dialog, [&] {
            QTest::keyClick(&dialog, Qt::Key_M, Qt::ControlModifier);
            MonitorWindow* m = h.Main().Monitor();
            QVERIFY(m && m->isVisible());
            QVERIFY(!m->parentWidget());
            QVERIFY(QTest::qWaitForWindowExposed(m));
            SystemClick(m->pauseButton);
            QCOMPARE(m->pauseButton->text(), U("Продолжить"));
            // The main window is held: the same click does not come through to it.
            QSignalSpy held(h.Main().clockButton, &QPushButton::clicked);
            h.Main().clockButton->setEnabled(true);
            SystemClick(h.Main().clockButton);
            QCOMPARE(held.count(), 0);
            h.Main().clockButton->setEnabled(false);
            checked = true;
            dialog.reject();
        });
        h.Main().showModal(dialog);
        QVERIFY(checked);
        QCOMPARE(dialog.windowModality(), Qt::WindowModal);
    }

    // While a command talks to the device the main window's commands are greyed; the monitor
    // stays whole: its buttons work, its save writes the file at once, its fields take keys.
    void monitorTakesInputDuringAnExchange() {
        GuiHarness h;
        h.Main().show();
        MonitorWindow& m = OpenMonitor(h);
        h.Fake().QueueSilence(2);
        QTemporaryDir dir;
        const QString path = dir.filePath(U("obmen.txt"));
        h.OnFileDialog(path);
        bool greyed = false, savedDuringExchange = false;
        h.DuringNextRequest([&] {
            greyed = !h.Main().readAction->isEnabled() && !h.Main().menuBar()->isEnabled();
            QTest::mouseClick(m.pauseButton, Qt::LeftButton);
            QTest::mouseClick(m.saveButton, Qt::LeftButton);
            savedDuringExchange = QFile::exists(path);
            QTest::keyClicks(m.textFilterEdit, "17");
        });
        h.ReadDevice();
        QVERIFY(greyed);
        QVERIFY(savedDuringExchange);
        QCOMPARE(m.pauseButton->text(), U("Продолжить"));
        QCOMPARE(m.textFilterEdit->text(), U("17"));
        QCOMPARE(h.FileRequests().size(), size_t(1));
        QVERIFY(h.Main().readAction->isEnabled() && h.Main().menuBar()->isEnabled());
        // What was greyed before the command stays so: nothing to undo after a read.
        QVERIFY(!h.Main().undoAction->isEnabled());
    }

private:
    using Bytes = std::vector<uint8_t>;
};

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
