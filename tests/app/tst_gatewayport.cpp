// A gateway on the network as the port: typed into the port dialog's field, the serial settings
// greyed, the address offered again at the next showing, the device read through it; a gateway
// that refuses told as a port that cannot be opened; the network's round trip in the timing
// dialog.

#include "emuserver/tcpserver.h"
#include "guisupport/guiharness.h"
#include "port/portdialog.h"
#include "port/timingdialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {
bool SerialFieldsEnabled(PortDialog& dialog) {
    return Part<QComboBox>(dialog, "speedBox")->isEnabled() &&
           Part<QComboBox>(dialog, "parityBox")->isEnabled() &&
           Part<QComboBox>(dialog, "stopBitsBox")->isEnabled();
}
} // namespace

class TestGatewayPort : public QObject {
    Q_OBJECT

private slots:
    void typedGatewayIsReadThroughAndOfferedAgain_data() {
        QTest::addColumn<bool>("modbusTcp");
        QTest::newRow("tcp") << false;
        QTest::newRow("mbtcp") << true;
    }
    void typedGatewayIsReadThroughAndOfferedAgain() {
        QFETCH(bool, modbusTcp);
        GuiHarness h(GuiHarness::Line::Pty);
        emu::Device behind;
        behind.SetModules({{0, 2}}); // one "МСЮ": not the harness's own device
        emu::TcpServer gateway(modbusTcp ? emu::TcpServer::Framing::ModbusTcp
                                         : emu::TcpServer::Framing::RtuOverTcp);
        gateway.AddDevice(behind);
        std::string error;
        QVERIFY2(gateway.Start(&error), error.c_str());
        const QString name = QString::fromStdString(gateway.PortName());

        h.OnModal([&](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            QVERIFY(SerialFieldsEnabled(dialog));
            Part<QComboBox>(dialog, "portBox")->setEditText(" " + name + " ");
            QVERIFY(!SerialFieldsEnabled(dialog));
            // Greyed, and not the gateway's business: even parity with two stop bits passes.
            Part<QComboBox>(dialog, "parityBox")->setCurrentIndex(2);
            Click(Part<QPushButton>(dialog, "OK"));
        });
        h.Main().PortSettingsClick();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QCOMPARE(QString::fromStdString(h.Main().Engine().PortName), name);
        QVERIFY(h.Main().Engine().IsOpen());

        h.ReadDevice();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QCOMPARE(h.Main().Modules().GetModuleCount(), 1);
        QVERIFY(gateway.FramesReceived() >= 2);

        // The next showing lists the gateway after the serial ports; the first entry is chosen
        // as always, and choosing the gateway greys the fields again.
        h.OnModal([&](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            auto* portBox = Part<QComboBox>(dialog, "portBox");
            QCOMPARE(dialog.RecentGateways(), QStringList{name});
            QCOMPARE(portBox->currentIndex(), 0);
            const int listed = portBox->findText(name);
            QVERIFY(listed >= 0);
            QCOMPARE(portBox->itemText(portBox->count() - 1), PortDialog::BuiltInEntry());
            portBox->setCurrentIndex(listed);
            QVERIFY(!SerialFieldsEnabled(dialog));
            Click(Part<QPushButton>(dialog, "OK"));
        });
        h.Main().PortSettingsClick();
        QVERIFY(h.Main().Engine().IsOpen());
        gateway.Stop();
    }

    void refusingGatewayCannotBeOpened() {
        GuiHarness h(GuiHarness::Line::Pty);
        int port = 0;
        {
            emu::TcpServer gone(emu::TcpServer::Framing::ModbusTcp);
            QVERIFY(gone.Open());
            port = gone.Port();
        } // nothing listens there any more
        const QString name = "mbtcp://127.0.0.1:" + QString::number(port);
        h.OnModal([&](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            Part<QComboBox>(dialog, "portBox")->setEditText(name);
            Click(Part<QPushButton>(dialog, "OK"));
        });
        h.Main().PortSettingsClick();
        QCOMPARE(h.Op().LastText(), " невозможно соединиться со шлюзом \n" + name.toStdString() +
                                        ": соединение отклонено");
        QVERIFY(!h.Main().Engine().IsOpen());
    }

    void roundTripInTheTimingDialog() {
        GuiHarness h;
        QCOMPARE(h.Main().Engine().GetRoundTripMs(), 0);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<ExchangeTimingDialog&>(d);
            QCOMPARE(dialog.roundTripWait->value(), 0);
            QVERIFY(dialog.roundTripWait->isVisible());
            dialog.roundTripWait->setValue(150);
            dialog.close(); // cancelled: nothing changes
        });
        h.Main().ExchangeTimingClick();
        QCOMPARE(h.Main().Engine().GetRoundTripMs(), 0);
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<ExchangeTimingDialog&>(d);
            QCOMPARE(dialog.roundTripWait->value(), 0);
            dialog.roundTripWait->setValue(150);
            Click(dialog.OK);
        });
        h.Main().ExchangeTimingClick();
        QCOMPARE(h.Main().Engine().GetRoundTripMs(), 150);
        QCOMPARE(h.Main().Engine().GetDelayTx(), 25);
    }
};

QTEST_MAIN(TestGatewayPort)
#include "tst_gatewayport.moc"
