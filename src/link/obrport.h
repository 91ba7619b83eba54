#pragma once
// "Настройка СОМ-порта": the COM port, its speed, parity and stop bits. Showing it closes the
// port; the main window's port command applies the choice and opens the port again.

#include "dialogs/lumdialog.h"

#include <memory>

class LumMain;
class QComboBox;
class QLabel;
class QPushButton;
class BuiltInEmulator;

class TFormPort : public TLumDialog {
    Q_OBJECT
public:
    explicit TFormPort(LumMain& main, QWidget* parent = nullptr);
    ~TFormPort() override;

    // The last entry of the port list: a device emulated inside the program.
    static QString BuiltInEntry();
    // The list's entry for a serial port: its name, then its description and maker where the
    // system knows them ("ttyUSB0 — FT232R USB UART (FTDI)").
    static QString PortEntry(const QString& name, const QString& description, const QString& maker);
    // The port name for the engine from the chosen entry; the built-in device is started on a
    // pseudo-terminal when it is chosen. Empty when nothing is chosen or the start failed.
    QString ChosenPortName();

    QComboBox* Skor = nullptr;
    QComboBox* Parit = nullptr;
    QComboBox* StBit = nullptr;
    QComboBox* CBoxPort = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Button1 = nullptr;

    // Remembered list positions.
    int SkorPos = 0;
    int ParitPos = 0;
    int StBitPos = 1;

protected:
    void BeforeShowing() override;
    bool CanClose(int& result) override;

private:
    void FillPortList();
    void Button1Click();

    LumMain& main_;
    bool portWasOpen_ = false;
    std::unique_ptr<BuiltInEmulator> emulator_;
};
