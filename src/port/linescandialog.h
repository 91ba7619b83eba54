#pragma once
// "Обзор линии": finds the devices on a port at the speeds and bus numbers the operator ticks,
// with the console program's scan (platform/busscan.h), and hands the chosen device's line
// settings and number to the main window. The port is the main window's own: it is set up
// for the scan and put back as it was afterwards.

#include "dialogs/lumdialog.h"
#include "platform/busscan.h"

#include <array>
#include <vector>

class WindowContext;
class ExchangeProgress;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

class LineScanDialog : public LumDialog {
    Q_OBJECT
public:
    explicit LineScanDialog(WindowContext& main, QWidget* parent = nullptr);

    // The speeds offered, as the port settings offer them.
    static constexpr std::array<int, 4> Speeds = {9600, 19200, 57600, 115200};

    // The device taken: its port, line settings and bus number.
    struct Choice {
        QString port;
        int speed = 0;
        char parity = 'N';
        int stopBits = 2;
        int device = 0; // 1..31
    };
    const Choice& Chosen() const { return chosen_; }
    const std::vector<ScanHit>& Found() const { return found_; }

    // Handlers, one per control event.
    void StartClick(); // "Начать обзор"
    void TakeClick();  // "Выбрать", a double-click or Enter on a found device

    QComboBox* portBox = nullptr;
    std::array<QCheckBox*, 4> speedBoxes{};
    QComboBox* parityBox = nullptr;
    QComboBox* stopBitsBox = nullptr;
    QSpinBox* firstDeviceBox = nullptr;
    QSpinBox* lastDeviceBox = nullptr;
    QPushButton* startButton = nullptr;
    QPushButton* takeButton = nullptr;
    QPushButton* closeButton = nullptr;
    QTableWidget* Table = nullptr;
    QLabel* stateLabel = nullptr;
    ExchangeProgress* progress = nullptr;

protected:
    void BeforeShowing() override;
    bool CanClose(int& result) override;

private:
    QWidget* CreateSettings();
    void FillPortList();
    // The plan from the controls; false after telling the operator what is missing.
    bool TakePlan(ScanPlan& plan);
    void ShowFound(int code, int failedDevice);
    void ShowHeard(const ScanHit& hit);
    void FillRow(int row, const ScanHit& hit);

    WindowContext& main_;
    std::vector<ScanHit> found_;
    char parity_ = 'N'; // of the last scan
    int stopBits_ = 2;
    QString port_;
    Choice chosen_;
    bool scanning_ = false;
    bool closeAfterScan_ = false; // the close button stopped the scan
};
