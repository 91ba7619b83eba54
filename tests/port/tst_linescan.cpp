// "Обзор линии" in the real main window: a second line with three emulated devices at two
// speeds, all found with their numbers, speeds and modules; the one taken is what F9 reads next.
// A stop ends the scan and puts the main window's port back as it was.

#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"
#include "link/framedecoder.h"
#include "monitor/monitorwindow.h"
#include "port/linescandialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

// Devices 2 and 5 listen at 9600 baud, device 7 (three modules) at 19200.
struct SecondLine {
    SecondLine() {
        d2.SetAddress(2);
        d5.SetAddress(5);
        d7.SetAddress(7);
        d7.SetModules({{0, 1}, {1, 2}, {4, 1}});
        server.AddDevice(d2, 9600);
        server.AddDevice(d5, 9600);
        server.AddDevice(d7, 19200);
        if (!server.Start())
            qFatal("the second line did not start");
    }
    ~SecondLine() { server.Stop(); }
    QString Path() const { return QString::fromStdString(server.SlavePath()); }

    emu::Device d2, d5, d7;
    emu::PtyServer server;
};

void Plan(LineScanDialog& scan, const QString& port, std::initializer_list<bool> speeds, int first,
          int last) {
    scan.portBox->setEditText(port);
    int i = 0;
    for (bool on : speeds)
        scan.speedBoxes[size_t(i++)]->setChecked(on);
    scan.firstDeviceBox->setValue(first);
    scan.lastDeviceBox->setValue(last);
}

QStringList RowTexts(QTableWidget* table, int row) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
        cells << table->item(row, c)->text();
    return cells;
}

} // namespace

class TestLineScan : public QObject {
    Q_OBJECT

private slots:
    void findsEveryDeviceAndTheChosenOneIsReadNext() {
        GuiHarness h(GuiHarness::Line::Pty);
        SecondLine line;
        h.Main().MonitorClick();
        QStringList rows[3];
        h.OnModal([&](QDialog& d) {
            auto& scan = static_cast<LineScanDialog&>(d);
            Plan(scan, line.Path(), {true, true, false, false}, 1, 8);
            const QSize before = d.size();
            // Each device is listed the moment it answers, while the scan goes on.
            int listedDuringScan = 0;
            connect(scan.Table->model(), &QAbstractItemModel::rowsInserted, &scan,
                    [&] { listedDuringScan += scan.startButton->isEnabled() ? 0 : 1; });
            Click(scan.startButton);
            QCOMPARE(listedDuringScan, 3);
            QCOMPARE(scan.Table->rowCount(), 3);
            // The window keeps its size when the results come.
            QApplication::processEvents();
            QCOMPARE(d.size(), before);
            for (int r = 0; r < 3; ++r)
                rows[r] = RowTexts(scan.Table, r);
            // Every column whole: the window widens to them rather than scroll.
            d.show();
            QApplication::processEvents();
            QVERIFY(!scan.Table->horizontalScrollBar()->isVisible());
            scan.Table->selectRow(2);
            // Enter on the list takes the device, as a double-click does.
            QTest::keyClick(scan.Table, Qt::Key_Return);
        });
        h.Main().LineScanClick();
        QCOMPARE(rows[0], QStringList({"2", "9600", U("нет"), "2", "1002000000000000",
                                       U("МЛВ (0), МСЮ (3)"), U("найден")}));
        QCOMPARE(rows[1].mid(0, 2), QStringList({"5", "9600"}));
        QCOMPARE(rows[2], QStringList({"7", "19200", U("нет"), "2", "1200100000000000",
                                       U("МЛВ (0), МСЮ (1), МЛВ (4)"), U("найден")}));
        QVERIFY(h.Op().Shown().empty());

        ExchangeEngine& port = h.Main().Engine();
        QCOMPARE(port.PortName, line.server.SlavePath());
        QCOMPARE(port.Speed, std::string("19200"));
        QVERIFY(port.IsOpen());
        QCOMPARE(h.Main().deviceNumberBox->currentText(), U("7"));
        const uint64_t before = line.d7.RequestCount();
        h.ReadDevice();
        QVERIFY(h.Op().Shown().empty());
        QVERIFY(line.d7.RequestCount() > before);
        QCOMPARE(h.Main().Modules().GetModuleCount(), 3);

        // The scan's probes are in the monitor too, before the read.
        MonitorWindow& m = *h.Main().Monitor();
        m.Refresh();
        QCOMPARE(QString::fromStdString(m.Model().Row(0)[MonitorColumn::Bytes]), U("01 11 C0 2C"));
    }

    void stopEndsTheScanAndPutsThePortBack() {
        GuiHarness h(GuiHarness::Line::Pty);
        SecondLine line;
        const std::string harnessPort = h.Main().Engine().PortName;
        QString state;
        int found = -1;
        h.OnModal([&](QDialog& d) {
            auto& scan = static_cast<LineScanDialog&>(d);
            Plan(scan, line.Path(), {true, true, true, true}, 1, 31);
            QTimer::singleShot(300, &scan, [&scan] {
                QVERIFY(scan.progress->StopButton()->isVisible());
                QTest::mouseClick(scan.progress->StopButton(), Qt::LeftButton);
            });
            QElapsedTimer clock;
            clock.start();
            Click(scan.startButton);
            // Four speeds of 31 probes would take seconds.
            QVERIFY(clock.elapsed() < 2000);
            state = scan.stateLabel->text();
            found = scan.Table->rowCount();
        });
        h.Main().LineScanClick();
        QVERIFY2(state.startsWith(U("Обзор прерван.")), qPrintable(state));
        QVERIFY(found >= 0 && found <= 2); // at most 2 and 5, at 9600
        QCOMPARE(h.Main().Engine().PortName, harnessPort);
        QCOMPARE(h.Main().Engine().Speed, std::string("9600"));
        QVERIFY(h.Main().Engine().IsOpen());
        h.ReadDevice();
        QVERIFY(h.Op().Shown().empty());
    }
};

QTEST_MAIN(TestLineScan)
#include "tst_linescan.moc"
