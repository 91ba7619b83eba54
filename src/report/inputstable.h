#pragma once
// "Информация о входах": the table of every input with its number, identifier, address and
// label. Labels are edited one by one, copied as a group and written over another group, and
// the table is turned into the RTF report.

#include "dialogs/lumdialog.h"

#include <QList>
#include <QStringList>

class WindowContext;
class QAction;
class QFont;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QTableWidget;
class QTextDocument;

class InputsTableWindow : public LumDialog {
    Q_OBJECT
public:
    static constexpr int GridRows = 192; // rows below the header row
    static constexpr int GridColumns = 5;
    static constexpr int ColText = 3; // the label column

    explicit InputsTableWindow(WindowContext& main, QWidget* parent = nullptr);

    // The main window's "Входные сигналы": fill the table from the model and show it.
    void FillAndShow();
    // The labels from the document again (after an undo or a redo).
    void RefreshLabels();
    // The F15 block editor's "Входные сигналы": the same table for reference only, without
    // the report.
    void ShowForReference();

    void GridDoubleClick();
    void GridMouseDown();
    void CopyLabelsClick();
    void InsertLabelsClick();
    void ReportClick();
    // Enter on a row: the row's label, as a double click on it opens it.
    void EnterOnRow();
    // Lines of text (one label a line) into the labels from the current row on, as one step.
    void PasteLabels(const QString& text);

    // Cell of grid column c, row r; row 0 is the header row, row r shows input r - 1.
    QString Cell(int c, int r) const;
    // The lines of the report, as they go into the report box.
    QStringList ReportLines() const;
    // The report's text on the printer's pages: its font, tab stops every 1.25 cm, no wrapping.
    static void LayOutForPrinting(QTextDocument& document, const QString& text, const QFont& font,
                                  QPrinter& printer);
    // The same columns for the report file, in twips.
    static QList<int> RtfColumnStops(const QString& text, const QFont& font);
    // The largest size, 10 points down to 7, at which the table's widest line fits the width.
    static int FittingPoints(const QString& text, const QString& family, double widthMm);

    int lastColumn = -1; // column of the current cell at the last double or right click

    QLabel* inputsCaption = nullptr; // "Дискретные сигналы"
    QTableWidget* inputsGrid = nullptr;
    QMenu* contextMenu = nullptr;
    QAction* copyLabelsAction = nullptr;
    QAction* insertLabelsAction = nullptr;
    QAction* pasteLabelsAction = nullptr; // "Вставить тексты из буфера обмена", Ctrl+V
    QPushButton* reportButton = nullptr;
    QPlainTextEdit* reportText = nullptr; // hidden: the report as its lines

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void SetCell(int c, int r, const QString& text);
    void ClearRows();
    void FillRows();
    int InputCount() const;
    void WarnWrongNumber();

    // The report file: asks for the name until a file is written or the operator gives up;
    // returns the name written or an empty string.
    QString SaveReport();
    // The name with ".rtf" added when it has no extension, or empty after refusing it.
    QString WithRtfExtension(const QString& name);
    bool WriteReportFile(const QString& name) const;
    void PrintReport();
    // The report box's text on the printer's pages.
    void PrintReportOn(QPrinter& printer) const;

    WindowContext& main_;
};
