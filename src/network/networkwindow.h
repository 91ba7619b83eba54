#pragma once
// "Локальная сеть RS-485": the device's own network line (speed, parity) in one mode, the list
// of its two ModBus-master F15 function blocks in the other.

#include "dialogs/lumdialog.h"

#include <QPointer>
#include <array>

class WindowContext;
class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class ExchangeProgress;
class QProgressBar;
class QPushButton;
class F15BlockEditor;

class NetworkWindow : public LumDialog {
    Q_OBJECT
public:
    explicit NetworkWindow(WindowContext& main, QWidget* parent = nullptr);

    void NetworkSettingsClick(); // settings mode
    void F15BlocksClick();       // block list mode
    // The settings and the block buttons from the document again (after an undo or a redo),
    // and the labels of an inputs table the block editor opened.
    void ShowDocument();

    // Handlers of the controls, public so that the block editor and tests reach them.
    void SpeedClick();
    void ParityClick();
    void BlockClick(int block); // block 0 or 1
    void BlockMouseDown(int block, Qt::MouseButton button);
    void DeleteBlockClick();
    void WriteBlocksClick(); // writes the image, with the bar and "Стоп"
    void OKClick();
    // The caption of block 0 or 1's button: "Ф15" for a block that exists.
    void ShowBlockButton(int block, int functionCode);

    QGroupBox* settingsGroup = nullptr;
    QComboBox* speedBox = nullptr;
    QComboBox* parityBox = nullptr;
    QGroupBox* blockGroup = nullptr;
    QPushButton* blockButton1 = nullptr;
    QPushButton* blockButton2 = nullptr;
    std::array<QPushButton*, 2> BlockButtons{};
    QMenu* contextMenu = nullptr;
    QAction* deleteBlockAction = nullptr;
    QPushButton* OK = nullptr;
    ExchangeProgress* Progress = nullptr; // the bar and "Стоп" of the write
    QProgressBar* progressBar = nullptr;

protected:
    bool CanClose(int& result) override; // CanCloseMainWindow
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateSettingsGroup();
    void CreateBlockGroup();
    void ShowMode(bool blockList);

    WindowContext& main_;
    QPointer<F15BlockEditor> blockEditor_; // while a block is being edited
    bool filling_ = false;
};
