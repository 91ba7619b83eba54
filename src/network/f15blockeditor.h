#pragma once
// "Программирование функционального блока MBM": one ModBus-master F15 block of the network
// image: the request it sends, its inputs and the device signals assigned to them.

#include "dialogs/lumdialog.h"

#include <QPointer>
#include <array>
#include <string>

class WindowContext;
class QComboBox;
class QLabel;
class QLineEdit;
class ExchangeProgress;
class QProgressBar;
class QPushButton;
class QToolButton;
class ErrorMarker;
class InputsTableWindow;
class NetworkWindow;

class F15BlockEditor : public LumDialog {
    Q_OBJECT
public:
    static constexpr int SignalCount = 32;

    // blockList: the network window that opened the editor, whose block buttons follow the
    // block's function code; none when the editor is opened alone.
    F15BlockEditor(WindowContext& main, NetworkWindow* blockList, QWidget* parent = nullptr);
    ~F15BlockEditor() override;

    // Fills the editor from block n (1 or 2) of the network image before it is shown.
    void FillBlock(int n);
    int BlockIndex() const { return block_; }

    // Handlers of the controls, public so that tests reach them.
    void FunctionCodeLeft();
    void InputCountLeft();
    void InputsTableClick();
    void OKClick();
    void SaveClick(); // writes the image, with the bar and "Стоп"
    // The inputs table opened from here shows the labels again (after an undo or a redo).
    void ShowLabelsAgain();

    QLabel* blockLabel = nullptr;
    QLabel* masterLabel = nullptr;
    QLineEdit* inputCountEdit = nullptr;
    QToolButton* acknowledgeButton = nullptr;
    QToolButton* resetButton = nullptr;
    QLineEdit* functionCodeEdit = nullptr;
    QLineEdit* startAddressEdit = nullptr;
    QLineEdit* dataCountEdit = nullptr;
    QComboBox* deviceNumberBox = nullptr;
    std::array<QLineEdit*, SignalCount> signalEdits{}; // signals 1 .. 32
    QPushButton* inputsTableButton = nullptr;
    QPushButton* OK = nullptr;
    ErrorMarker* errorMarker = nullptr;
    ExchangeProgress* Progress = nullptr; // the bar and "Стоп" of the write
    QProgressBar* progressBar = nullptr;

protected:
    bool CanClose(int& result) override; // CanCloseMainWindow
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* CreateHeading();
    QWidget* CreateRequestGroup();
    QWidget* CreateSignalGroup();
    void ConnectEditing();
    void FillEmpty();
    void FillExisting();
    void FocusChanged(QWidget* old, QWidget* now);
    void FieldLeft(QWidget* field);
    void LeaveForFirstControl();
    // The close checks: stores each value the moment it is accepted; false when one failed.
    bool CheckAndStore();
    void Fail(const char* message);
    void RestoreImage();
    bool CloseAfterChecks(int& result);
    void PlainMessage(const std::string& text);
    void ShowBlockButton(int functionCode);

    WindowContext& main_;
    QPointer<NetworkWindow> blockList_;
    QPointer<InputsTableWindow> inputsTable_; // while "Входные сигналы" is open
    int block_ = 0;                           // 0 or 1
    bool filling_ = false;                    // filling is not an edit
    bool inQuery_ = false;                    // the close query runs
    bool failed_ = false;                     // a check of this close query failed
    bool moveFocus_ = false;                  // the close query moves the focus itself
    // The inputs count holds the focus because the close query put it there: leaving it then
    // is no operator leaving the field, and the signal numbers typed stay as they are.
    bool inputCountByQuery_ = false;
    bool closePending_ = false; // a failed function code asked for the close query
    QMetaObject::Connection focusWatch_;
};
