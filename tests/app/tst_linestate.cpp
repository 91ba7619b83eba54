// The connection in view: the status bar's field follows the port, the device and the last
// exchange; the port and its settings are kept between runs, a gateway or a board's port by its
// name, an adapter that is not plugged in by the name it had.

#include "dialogs/commandrun.h"
#include "guisupport/guiharness.h"
#include "platform/linememory.h"

#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

class TestLineState : public QObject {
    Q_OBJECT

private slots:
    void fieldFollowsTheLastExchange() {
        GuiHarness h;
        auto* field = h.Main().statusBar()->findChild<QLabel*>("lineStateField");
        QVERIFY(field);
        QTRY_COMPARE(field->text(), QString("FAKE, 9600 8N2, прибор 1"));
        h.ReadDevice();
        QTRY_COMPARE(field->text(), QString("FAKE, 9600 8N2, прибор 1: связь есть"));
        h.Fake().SetResponder([](const FakeLine::Bytes&) { return FakeLine::Bytes{}; });
        h.Main().Engine().SetHeaderRepeats(1);
        h.ReadDevice();
        QTRY_COMPARE(field->text(), QString("FAKE, 9600 8N2, прибор 1: нет ответа"));
        ClosePort(h.Main());
        QTRY_COMPARE(field->text(), QString("FAKE, 9600 8N2, прибор 1: порт закрыт"));
    }

    void portAndSettingsAreKeptBetweenRuns_data() {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("expected");
        QTest::newRow("gateway") << "mbtcp://10.0.0.5:502"
                                 << "mbtcp://10.0.0.5:502";
        QTest::newRow("board port") << "/dev/null"
                                    << "/dev/null";
        // Not plugged in now: shown by the name it had.
        QTest::newRow("adapter away") << "/dev/serial/by-id/usb-none-if00"
                                      << "ttyUSB7";
    }
    void portAndSettingsAreKeptBetweenRuns() {
        QFETCH(QString, port);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString file = dir.filePath("lum08.conf");
        {
            LineMemory memory(file);
            RememberedLine none;
            QVERIFY(!memory.Load(none));
            memory.Save({port, 19200, 'E', 1});
        }
        if (port.contains("by-id")) {
            // What an adapter that had an identity leaves behind.
            QSettings raw(file, QSettings::IniFormat);
            raw.setValue("line/port", port);
            raw.setValue("line/name", "ttyUSB7");
        }
        RememberedLine line;
        QVERIFY(LineMemory(file).Load(line));
        QCOMPARE(line.port, expected);
        QCOMPARE(line.speed, 19200);
        QCOMPARE(line.parity, 'E');
        QCOMPARE(line.stopBits, 1);
    }
};

QTEST_MAIN(TestLineState)
#include "tst_linestate.moc"
