#pragma once
// The scheme editor "Программирование обработки дискретных входов": the processing chains of
// the six inputs of one module, built from the model, edited, exchanged with the device and
// printed. The window holds no model data: it reads and writes the main window's model.

#include "dialogs/lumdialog.h"

#include <array>

class ExchangeProgress;
class LumMain;
class QAction;
class QButtonGroup;
class QGroupBox;
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
class TPanInp;
class TPanMR;
class TPanSign;
class TPanZader;
class TShape;
class TShapeHorz;
class TSpBut;
class TSpeedButton;

class TFormPrgD : public TLumDialog {
    Q_OBJECT
public:
    static constexpr int RowHeight = 54;
    static constexpr int KolRows = 6;

    explicit TFormPrgD(LumMain& main, QWidget* parent = nullptr);
    ~TFormPrgD() override;

    // Set by the main window's program buttons before showing the editor.
    void SetHeadings(int module, const QString& typeName, const QString& inputsText);

    // --- opening and construction ---
    void FormShow();
    void OpenFileClick();        // F3: rebuild from the model
    void ButAssignConfigClick(); // reset of the drawing
    // --- module program exchange ---
    void InPortClick();  // F9
    void OutPortClick(); // F10
    QString DeviceCaption() const;

    // --- selection ---
    void ShVh1MouseDown(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void PanMR1MouseMove(QObject* sender);
    // A click on the empty scheme; fromArea is false when the selection handler runs it.
    void ScrollBox1Click(bool fromArea = true);
    void ChooseAllClick();
    bool RowSelected(int k) const;
    bool ContextMenuAssigned() const { return menuAssigned_; }

    // --- block commands on the current row ---
    void CreatSignButClick();
    void PMenu1SignClick();
    void DelSignClick();
    void CreatZaderButClick();
    void PMenu1ZaderClick();
    void DelZaderClick();
    void CreatVyhButClick();
    void DelVyhClick();
    // The label of the current row: in place when started from its text label, else the dialog.
    void PMenu2TextClick(QObject* sender = nullptr);
    void EditTextExit();

    // --- row buttons and module-level groups ---
    void PanInp1SpBClick(int k);
    void ArhivClick(int k);
    void TVhClick(int k);
    void SpButNasosClick();
    void EditNasosExit();
    void RadioGroupReleClick(int index);

    // --- printing ---
    void Button1Click();
    // The page: headings, the scheme area's picture, the panels again and the module setting.
    void PrintPage(QPrinter& printer);

    // The scroll range of the scheme area (its content height as the rows need it).
    int VertRange() const { return vertRange_; }
    QWidget* Area() const { return area_; }

    // Controls.
    QMenuBar* MainMenu1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QAction* AInPort = nullptr;
    QAction* AOutPort = nullptr;
    QAction* AOpenFile = nullptr;
    QAction* AClose = nullptr;
    QAction* AChooseAll = nullptr;
    QAction* ADel = nullptr;
    QAction* ACopy = nullptr;
    QAction* AInsert = nullptr;
    QAction* ACut = nullptr;
    QAction* AFind = nullptr;
    QAction* AInsertSpecial = nullptr;
    QLabel* LabModul = nullptr;
    QLabel* LabTipMod = nullptr;
    QLabel* LabNMod = nullptr;
    QLabel* LabVh = nullptr;
    QLabel* LabelFile = nullptr;
    QPushButton* Button1 = nullptr;
    ExchangeProgress* Progress = nullptr; // the bar and "Стоп" of the exchange
    QProgressBar* ProgressBar1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QLineEdit* EditText = nullptr;
    QWidget* ShVhBar = nullptr;  // the invisible input bar
    QWidget* ShVyhBar = nullptr; // the invisible output bar
    QGroupBox* GroupBoxNasos = nullptr;
    QLabel* LabNasos = nullptr;
    TSpeedButton* SpButNasos = nullptr;
    QLabel* LabDatchik = nullptr;
    QLineEdit* EditNasos = nullptr;
    QGroupBox* RadioGroupRele = nullptr;
    QRadioButton* RadioRele[2] = {};
    QMenu* PopupMenu1 = nullptr;
    QAction* PMenuCreatSign = nullptr;
    QAction* PMenuEditSign = nullptr;
    QAction* PMenuDelSign = nullptr;
    QAction* PMenuCreatZader = nullptr;
    QAction* PMenuEditZader = nullptr;
    QAction* PMenuDelZader = nullptr;
    QAction* PMenuCreatVyh = nullptr;
    QAction* PMenuDelVyh = nullptr;
    QAction* PMenuText = nullptr;
    QAction* PMenuArhiv = nullptr;

    // The drawing, one entry per row; empty where the element is absent.
    template <class T> using Rows = std::array<T*, KolRows>;
    Rows<TShape> ShRow{};
    Rows<TShapeHorz> ShLine{};
    Rows<TPanInp> PanInp{};
    Rows<QLabel> LabTitle{};
    Rows<QLabel> LabText{};
    Rows<TSpBut> SpKont{};
    Rows<TSpBut> SpArhiv{};
    Rows<TSpBut> SpTVh{};
    Rows<TPanSign> PanSign{};
    Rows<QLabel> ImZvuk{};
    Rows<TPanZader> PanZader{};
    Rows<TPanMR> PanMR{};
    Rows<QLabel> ImRele{};
    Rows<QLabel> ImArrow1{};
    Rows<QLabel> ImArrow2{};
    Rows<QLabel> ImArrow3{};

protected:
    void showEvent(QShowEvent* event) override;
    bool CanClose(int& result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // layout (prog_diskr.cpp)
    void CreateActions();
    void CreateHeader(QWidget* header);
    void CreateSchemeArea();
    void CreateNasosGroup();
    void CreateReleGroup();
    void CreatePopupMenu();
    void UpdateAreaSize();
    void SetVertRange(int range);
    void WheelScroll(int angleDelta);
    bool ElementEvent(QObject* watched, QEvent* event);
    // construction (prog_diskr_build.cpp)
    void Build(bool fromRead);
    void BuildRow(int k, bool fromRead);
    void BuildRowFrame(int k);
    void BuildRowButtons(int k, bool fromRead);
    void BuildModuleGroup();
    void ShowRows();
    QLabel* Picture(QWidget* parent, const QPixmap& pixmap, int left, int top);
    template <class T> T* Wire(T* element);
    void CreateSignPanel(int k);
    void CreateZaderPanel(int k, int seconds);
    void CreateRelePanel(int k);
    void CreateSoundMark(int k);
    void StretchLine(int k);
    QString TitleText(int k) const;
    QString InputHint(int k) const;
    // selection (prog_diskr_select.cpp)
    int RowOf(QObject* element) const;
    void PaintRow(int k, bool selected);
    void CtrlToggle(int k);
    void SingleSelect(int k);
    void DecideContextMenu(int k);
    void EnablePopupItems();
    void EndLabelEdit();
    void PanelDblClick(int k);
    // block commands and labels (prog_diskr_edit.cpp, prog_diskr_text.cpp)
    bool RefuseNoInput();
    bool RefuseNoPanel();
    void StartInPlaceEdit();
    void RefreshRow(int k);
    void StoreLabel(int k, const QString& text);
    void SetEditShortcuts(bool on);
    bool EditFilter(QEvent* event);
    // printing (prog_diskr_print.cpp)
    void PrintPanel(QPainter& painter, QWidget* panel, int sx, int sy);
    void PrintRows(QPainter& painter, int first, int last, int sx, int sy);
    void PrintModuleSetting(QPainter& painter, int sx, int sy);
    // helpers
    int Mod() const;     // m, 1..6
    int Base() const;    // first input of the module
    int ModType() const; // 1 "МЛВ", 2 "МСЮ"
    bool Refuse(bool condition, const char* text);

    LumMain& main_;
    QWidget* area_ = nullptr;
    int vertRange_ = 54;
    int wheelRest_ = 0;
    bool menuAssigned_ = false;
    bool editExiting_ = false;
    int editRow_ = -1; // the row whose label is being typed in place
};
