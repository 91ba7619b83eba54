#pragma once
// The scheme editor "Программирование обработки дискретных входов": the processing chains of
// the six inputs of one module, built from the model, edited, exchanged with the device and
// printed. The window holds no model data: it reads and writes the main window's model.

#include "dialogs/lumdialog.h"

#include <QPointF>
#include <array>
#include <string>

class ExchangeProgress;
class WindowContext;
class QAction;
class QButtonGroup;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPainter;
class QPrinter;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QToolBar;
class InputCell;
class RelayCell;
class AlarmCell;
class DelayCell;
class SchemeShape;
class SchemeLine;
class CellButton;
class GlyphButton;

class SchemeEditor : public LumDialog {
    Q_OBJECT
public:
    static constexpr int RowHeight = 54;
    static constexpr int RowCount = 6;

    explicit SchemeEditor(WindowContext& main, QWidget* parent = nullptr);
    ~SchemeEditor() override;

    // Set by the main window's program buttons before showing the editor.
    void SetHeadings(int module, const QString& typeName, const QString& inputsText);

    // --- opening and construction ---
    // On showing: the module as the file holds it, or read from the device.
    void ShowModule();
    void OpenFileClick(); // F3: rebuild from the model
    // The rows from the document again (after an undo or a redo); the selection goes.
    void ShowDocument();
    void ResetDrawingClick(); // reset of the drawing
    // --- module program exchange ---
    void ReadModuleClick();  // F9
    void WriteDeviceClick(); // F10
    QString DeviceCaption() const;

    // --- selection ---
    void InputMouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void RelayMouseMove(QObject* sender);
    // A click on the empty scheme; fromArea is false when the selection handler runs it.
    void SchemeAreaClick(bool fromArea = true);
    void SelectAllClick();
    bool RowSelected(int k) const;
    // Up and Down select the row above or below, Enter (or the menu key) opens the row's
    // menu; false for the keys it leaves to the scheme's scrolling.
    bool RowKey(QKeyEvent* event);
    bool ContextMenuAssigned() const { return menuAssigned_; }

    // --- block commands on the current row ---
    void CreateAlarmClick();
    void EditAlarmClick();
    void DeleteAlarmClick();
    void CreateDelayClick();
    void EditDelayClick();
    void DeleteDelayClick();
    void CreateRelayClick();
    void DeleteRelayClick();
    // The label of the current row: in place when started from its text label, else the dialog.
    void EditLabelClick(QObject* sender = nullptr);
    void LabelEditLeft();

    // --- row buttons and module-level groups ---
    void InputButtonClick(int k);
    void ArchiveClick(int k);
    void ContactClick(int k);
    void PumpClick();
    void SensorEditLeft();
    void RelayModeClick(int index);

    // --- printing ---
    void CloseClick();
    // The page: headings, the scheme area's picture, the panels again and the module setting.
    void PrintPage(QPrinter& printer);
    // Where the last printed page put the scheme: the corner of its positions on the paper
    // (printer pixels, margins included) and the scale that made it fit.
    struct PrintPlace {
        QPointF origin;
        double scale = 1;
    } lastPrint;

    // The scroll range of the scheme area (its content height as the rows need it).
    int VertRange() const { return vertRange_; }
    QWidget* Area() const { return area_; }

    // Controls.
    // The drawing and selection state of the scheme: window state, no device data.
    int CellCount = 0;
    int SelectedInput = -1;
    int SelectedCell = -1;
    int MarkedRows[6] = {};
    int SelectedCount = 0;
    int SchemeShown = 0;
    int SchemeBuilt = 0;

    QMenuBar* menuBar_ = nullptr;
    QToolBar* toolBar = nullptr;
    QAction* readAction = nullptr;
    QAction* writeAction = nullptr;
    QAction* openAction = nullptr;
    QAction* closeAction = nullptr;
    QAction* selectAllAction = nullptr;
    QAction* deleteAction = nullptr;
    QAction* copyAction = nullptr;
    QAction* pasteAction = nullptr;
    QAction* cutAction = nullptr;
    QAction* findAction = nullptr;
    QAction* pasteSpecialAction = nullptr;
    QLabel* moduleLabel = nullptr;
    QLabel* moduleTypeLabel = nullptr;
    QLabel* moduleNumberLabel = nullptr;
    QLabel* inputsLabel = nullptr;
    QLabel* fileLabel = nullptr;
    QPushButton* closeButton = nullptr;
    ExchangeProgress* Progress = nullptr; // the bar and "Стоп" of the exchange
    QProgressBar* progressBar = nullptr;
    QScrollArea* schemeScroll = nullptr;
    QLineEdit* labelEdit = nullptr;
    QWidget* inputBar = nullptr;  // the invisible input bar
    QWidget* outputBar = nullptr; // the invisible output bar
    QGroupBox* pumpGroup = nullptr;
    QLabel* pumpLabel = nullptr;
    GlyphButton* pumpButton = nullptr;
    QLabel* sensorLabel = nullptr;
    QLineEdit* sensorEdit = nullptr;
    QGroupBox* relayGroup = nullptr;
    QRadioButton* relayButtons[2] = {};
    QMenu* contextMenu = nullptr;
    QAction* createAlarmAction = nullptr;
    QAction* editAlarmAction = nullptr;
    QAction* deleteAlarmAction = nullptr;
    QAction* createDelayAction = nullptr;
    QAction* editDelayAction = nullptr;
    QAction* deleteDelayAction = nullptr;
    QAction* createRelayAction = nullptr;
    QAction* deleteRelayAction = nullptr;
    QAction* labelAction = nullptr;
    QAction* archiveAction = nullptr;

    // The drawing, one entry per row; empty where the element is absent.
    template <class T> using Rows = std::array<T*, RowCount>;
    Rows<SchemeShape> rowFrames{};
    Rows<SchemeLine> rowLines{};
    Rows<InputCell> inputCells{};
    Rows<QLabel> titleLabels{};
    Rows<QLabel> labelTexts{};
    Rows<CellButton> contactButtons{};
    Rows<CellButton> archiveButtons{};
    Rows<CellButton> inputTypeButtons{};
    Rows<AlarmCell> alarmCells{};
    Rows<QLabel> soundMarks{};
    Rows<DelayCell> delayCells{};
    Rows<RelayCell> relayCells{};
    Rows<QLabel> relayMarks{};
    Rows<QLabel> alarmArrows{};
    Rows<QLabel> delayArrows{};
    Rows<QLabel> relayArrows{};

protected:
    void showEvent(QShowEvent* event) override;
    bool CanClose(int& result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // layout (schemeeditor.cpp)
    void CreateActions();
    void CreateHeader(QWidget* header);
    void CreateSchemeArea();
    void CreatePumpGroup();
    void CreateRelayGroup();
    void CreatePopupMenu();
    void UpdateAreaSize();
    void SetVertRange(int range);
    void WheelScroll(int angleDelta);
    bool ElementEvent(QObject* watched, QEvent* event);
    // construction (schemeeditor_build.cpp)
    void Build(bool fromRead);
    void BuildRow(int k, bool fromRead);
    void BuildRowFrame(int k);
    void BuildRowButtons(int k, bool fromRead);
    void BuildModuleGroup();
    void ShowRows();
    QLabel* Picture(QWidget* parent, const QPixmap& pixmap, int left, int top);
    template <class T> T* Wire(T* element);
    void CreateAlarmCell(int k);
    void CreateDelayCell(int k, int seconds);
    void CreateRelayCell(int k);
    void CreateSoundMark(int k);
    void StretchLine(int k);
    QString TitleText(int k) const;
    QString InputHint(int k) const;
    // selection (schemeeditor_select.cpp)
    int RowOf(QObject* element) const;
    void PaintRow(int k, bool selected);
    void CtrlToggle(int k);
    void SingleSelect(int k);
    void DecideContextMenu(int k);
    void EnablePopupItems();
    void EndLabelEdit();
    void PanelDblClick(int k);
    // block commands and labels (schemeeditor_edit.cpp, schemeeditor_labels.cpp)
    bool RefuseNoInput();
    bool RefuseNoPanel();
    void StartInPlaceEdit();
    void RefreshRow(int k);
    void StoreLabel(int k, const QString& text);
    void SetEditShortcuts(bool on);
    bool EditFilter(QEvent* event);
    // printing (schemeeditor_print.cpp)
    // The module as the window's header names it, for the printed page's heading.
    QString ModuleHeading() const;
    void PrintPanel(QPainter& painter, QWidget* panel, int sx, int sy);
    void PrintRows(QPainter& painter, int first, int last, int sx, int sy);
    void PrintModuleSetting(QPainter& painter, int sx, int sy);
    // helpers
    int ModuleNumber() const; // m, 1..6
    // The module differs from what the device (or the file) holds.
    bool ModuleEdited() const;
    // Edit step names in the operator's words: "Модуль 2: …", "Модуль 2, вход DI_2_5: …".
    std::string ModuleStepName(const char* what) const;
    std::string InputStepName(int input, const char* what) const;
    int Base() const;       // first input of the module
    int ModuleType() const; // 1 "МЛВ", 2 "МСЮ"
    bool Refuse(bool condition, const char* text);

    WindowContext& main_;
    QWidget* area_ = nullptr;
    int vertRange_ = 54;
    int wheelRest_ = 0;
    bool menuAssigned_ = false;
    bool editExiting_ = false;
    int editRow_ = -1; // the row whose label is being typed in place
};
