#pragma once
// "Настройка СОМ-порта": the COM port, its speed, parity and stop bits. Showing it closes the
// port; the main window's port command applies the choice and opens the port again. A gateway
// on the network is typed as tcp://HOST:PORT or mbtcp://HOST:PORT: speed, parity and stop bits
// are then the gateway's own and greyed, and the address is offered again at later showings.

#include "dialogs/lumdialog.h"

#include <QStringList>

#include <string>

#include <memory>

class WindowContext;
class QComboBox;
class QLabel;
class QPushButton;
class BuiltInEmulator;

// What the port dialog keeps between its showings, held by its opener for the whole run: the
// list positions, the gateways chosen, and the built-in device once the opener started it (the
// engine's port may be its line).
struct PortChoices {
    PortChoices();
    ~PortChoices();
    // Starts the built-in device, or finds it running: the line to open, empty when it could
    // not start.
    std::string StartEmulator();
    int speedPos = 0;
    int parityPos = 0;
    int stopBitsPos = 1;
    QStringList recentGateways; // the latest first
    QString lastPort;           // the port of the last run, offered first when it is listed
    std::unique_ptr<BuiltInEmulator> emulator;
};

// What the dialog hands back after OK, in the engine's terms.
struct PortSettings {
    bool builtIn = false; // the built-in device is chosen: the opener starts it for its line
    std::string portName; // empty when nothing is chosen or the built-in device is
    std::string speed;    // "9600"
    std::string parity;   // "N", "O" or "E"
    std::string stopBits; // "1" or "2"
};

class PortDialog : public LumDialog {
    Q_OBJECT
public:
    PortDialog(WindowContext& main, PortChoices& choices, QWidget* parent = nullptr);

    // The last entry of the port list: a device emulated inside the program.
    static QString BuiltInEntry();
    // The list's entry for a serial port: its name, then its description and maker where the
    // system knows them ("ttyUSB0 — FT232R USB UART (FTDI)").
    static QString PortEntry(const QString& name, const QString& description, const QString& maker);
    // The list position of a speed (the first one when it is not listed).
    static int SpeedPosition(int speed);
    // The settings chosen.
    PortSettings Chosen() const;
    // Chooses a port by its list entry, as the operator picking it (the self-test's device).
    void ChoosePort(const QString& entry);

    // Gateways chosen in this run, the latest first; listed after the serial ports.
    const QStringList& RecentGateways() const { return choices_.recentGateways; }
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
    // The port name for the engine from the chosen entry.
    QString ChosenPortName() const;

    WindowContext& main_;
    QComboBox* speedBox = nullptr;
    QComboBox* parityBox = nullptr;
    QComboBox* stopBitsBox = nullptr;
    QComboBox* portBox = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* emulatorButton = nullptr;
    PortChoices& choices_;
    bool portWasOpen_ = false;
};
