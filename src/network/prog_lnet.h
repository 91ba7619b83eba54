#pragma once
// "Локальная сеть RS-485": the device's own network line (speed, parity) in one mode, the list
// of its two ModBus-master F15 function blocks in the other.

#include "dialogs/lumdialog.h"

#include <array>

class LumMain;
class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class ExchangeProgress;
class QProgressBar;
class QPushButton;

class TFormLNet : public TLumDialog {
    Q_OBJECT
public:
    explicit TFormLNet(LumMain& main, QWidget* parent = nullptr);

    void LocNetObmClick(); // settings mode
    void LocNet15Click();  // block list mode

    // Handlers of the controls, public so that the block editor and tests reach them.
    void SkorClick();
    void ParitClick();
    void SkorChange();
    void LocNet15_1Click(int block); // block 0 or 1
    void LocNet15_2MouseDown(int block, Qt::MouseButton button);
    void DeleteBl15Click();
    void Save15Click(); // writes the image, with the bar and "Стоп"
    void OKClick();
    // The caption of block 0 or 1's button: "Ф15" for a block that exists.
    void ShowBlockButton(int block, int kodF);

    QGroupBox* GroupObm = nullptr;
    QComboBox* Skor = nullptr;
    QComboBox* Parit = nullptr;
    QGroupBox* Group15 = nullptr;
    QPushButton* LocNet15_1 = nullptr;
    QPushButton* LocNet15_2 = nullptr;
    std::array<QPushButton*, 2> BlockButtons{};
    QMenu* PopupMenu1 = nullptr;
    QAction* DeleteBl15 = nullptr;
    QPushButton* OK = nullptr;
    ExchangeProgress* Progress = nullptr; // the bar and "Стоп" of the write
    QProgressBar* ProgressBar1 = nullptr;

protected:
    bool CanClose(int& result) override; // FormCloseQuery
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateSettingsGroup();
    void CreateBlockGroup();
    void ShowMode(bool blockList);

    LumMain& main_;
    bool filling_ = false;
};
