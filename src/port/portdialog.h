#pragma once
// "Настройка СОМ-порта": the COM port, its speed, parity and stop bits. Showing it closes the
// port; the main window's port command applies the choice and opens the port again. A gateway
// on the network is typed as tcp://HOST:PORT or mbtcp://HOST:PORT: speed, parity and stop bits
// are then the gateway's own and greyed, and the address is offered again at later showings.

#include "dialogs/lumdialog.h"

#include <QStringList>

#include <memory>

class WindowContext;
class QComboBox;
class QLabel;
class QPushButton;
class BuiltInEmulator;

class PortDialog : public LumDialog {
    Q_OBJECT
public:
    explicit PortDialog(WindowContext& main, QWidget* parent = nullptr);
    ~PortDialog() override;

    // The last entry of the port list: a device emulated inside the program.
    static QString BuiltInEntry();
    // The list's entry for a serial port: its name, then its description and maker where the
    // system knows them ("ttyUSB0 — FT232R USB UART (FTDI)").
    static QString PortEntry(const QString& name, const QString& description, const QString& maker);
    // The port name for the engine from the chosen entry; the built-in device is started on a
    // pseudo-terminal when it is chosen. Empty when nothing is chosen or the start failed.
    QString ChosenPortName();

    QComboBox* speedBox = nullptr;
    QComboBox* parityBox = nullptr;
    QComboBox* stopBitsBox = nullptr;
    QComboBox* portBox = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* emulatorButton = nullptr;

    // Remembered list positions.
    int SpeedPos = 0;
    int ParityPos = 0;
    int StBitPos = 1;
    // Gateways chosen in this run, the latest first; listed after the serial ports.
    const QStringList& RecentGateways() const { return recentGateways_; }
    static constexpr int RecentGatewayLimit = 8;

protected:
    void BeforeShowing() override;
    bool CanClose(int& result) override;

private:
    void FillPortList();
    void StartEmulatorClick();
    // Speed, parity and stop bits apply to a serial port only.
    void PortTextChanged(const QString& text);
    void KeepGateway(const QString& name);

    WindowContext& main_;
    bool portWasOpen_ = false;
    std::unique_ptr<BuiltInEmulator> emulator_;
    QStringList recentGateways_;
};
