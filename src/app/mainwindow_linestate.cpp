// The connection in view: a permanent field of the status bar with the port (as the port list
// names it, or the gateway), the line settings, the device number and how the last exchange
// went; and the port and settings remembered between runs.

#include "app/mainwindow.h"

#include "platform/enginethread.h"

#include "dialogs/uitext.h"
#include "link/exchangeengine.h"
#include "link/gatewayaddress.h"
#include "model/devicedocument.h"
#include "monitor/monitorwindow.h"
#include "platform/linememory.h"
#include "port/portdialog.h"

#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QSerialPortInfo>
#include <QStatusBar>
#include <QTimer>

namespace {

// The port as the port list shows it: "ttyUSB0 — FT232R USB UART (FTDI)".
QString PortText(const std::string& name) {
    const QString port = QString::fromStdString(name);
    if (IsGatewayName(name))
        return U("шлюз ") + port;
    const QString base = QFileInfo(port).fileName();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (info.portName() == base || info.systemLocation() == port)
            return PortDialog::PortEntry(info.portName(), info.description(), info.manufacturer());
    return port;
}

// Listens to the engine's results, told on the window's thread.
class LineStateField : public QLabel, public FrameObserver {
public:
    LineStateField(EngineThread& exchanges, std::function<int()> device, QWidget* parent)
        : QLabel(parent), exchanges_(exchanges), engine_(exchanges.Engine()),
          device_(std::move(device)) {
        setObjectName("lineStateField");
        exchanges_.AddObserver(this);
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { Refresh(); });
        timer->start(300);
        Refresh();
    }
    ~LineStateField() override { exchanges_.RemoveObserver(this); }

    void OnResult(int64_t, int, int code, const std::string&) override {
        if (code == ResultCode::Stopped)
            return;
        lastCode_ = code;
        Refresh();
    }

    void Refresh() {
        // A scan sets the port up again and again on the engine's thread: the settings are
        // read once it is over.
        if (exchanges_.CommandRunning())
            return;
        const std::string line = engine_.PortName + engine_.Speed + engine_.Parity +
                                 engine_.StopBits + (engine_.IsOpen() ? "+" : "-");
        if (line != line_) {
            // Another port or other settings: what the last exchange said no longer holds.
            if (engine_.PortName != portName_) {
                portName_ = engine_.PortName;
                portText_ = PortText(portName_);
            }
            line_ = line;
            lastCode_ = -1;
        }
        QString text = portText_;
        if (!IsGatewayName(portName_))
            text += U(", %1 8%2%3")
                        .arg(QString::fromStdString(engine_.Speed),
                             QString::fromStdString(engine_.Parity),
                             QString::fromStdString(engine_.StopBits));
        text += U(", прибор %1").arg(device_());
        if (!engine_.IsOpen() || lastCode_ == ResultCode::PortNotOpen)
            text += U(": порт закрыт");
        else if (lastCode_ >= 0)
            // A device's exception is an answer too.
            text += lastCode_ < ResultCode::ReceiveError ? U(": связь есть") : U(": нет ответа");
        if (text != this->text())
            setText(text);
    }

private:
    EngineThread& exchanges_;
    ExchangeEngine& engine_;
    std::function<int()> device_;
    std::string line_;
    std::string portName_;
    QString portText_;
    int lastCode_ = -1;
};

} // namespace

void MainWindow::CreateLineViews() {
    lineStateField_ = new LineStateField(
        *exchanges_, [this] { return document_->modules.BusNumber + 1; }, statusBar());
    statusBar()->addPermanentWidget(lineStateField_);
    monitor_ = std::make_unique<MonitorWindow>(*this);
}

void MainWindow::RememberLineSettings() {
    auto memory = std::make_shared<LineMemory>();
    RememberedLine last;
    if (memory->Load(last)) {
        ExchangeEngine& port = *engine_;
        port.PortName = last.port.toStdString();
        port.Speed = std::to_string(last.speed);
        port.Parity = std::string(1, last.parity);
        port.StopBits = std::to_string(last.stopBits);
        portChoices_->lastPort = last.port;
        portChoices_->speedPos = PortDialog::SpeedPosition(last.speed);
        portChoices_->parityPos = last.parity == 'O' ? 1 : last.parity == 'E' ? 2 : 0;
        portChoices_->stopBitsPos = last.stopBits == 1 ? 0 : 1;
    }
    // Kept whenever the port has been opened with other settings than those kept.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, memory, kept = last]() mutable {
        const ExchangeEngine& port = *engine_;
        if (!port.IsOpen())
            return;
        RememberedLine now{QString::fromStdString(port.PortName), std::atoi(port.Speed.c_str()),
                           port.Parity.empty() ? 'N' : port.Parity[0],
                           port.StopBits == "1" ? 1 : 2};
        if (now.port == kept.port && now.speed == kept.speed && now.parity == kept.parity &&
            now.stopBits == kept.stopBits)
            return;
        memory->Save(now);
        kept = now;
        portChoices_->lastPort = now.port;
    });
    timer->start(1000);
}
