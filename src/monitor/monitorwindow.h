#pragma once
// "Монитор обмена": every frame on the line, decoded, while the program works. A window of its
// own beside any other: it has no parent, so no other window's modal dialog blocks it, and
// its input passes while an exchange runs. The main window makes it at the program's start, so
// that it records from then on (opening it shows the read that just failed), with the counts
// per device for commissioning a line.

#include "link/framerecorder.h"
#include "link/linecounts.h"
#include "monitor/monitormodel.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class WindowContext;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

class MonitorWindow : public QWidget {
    Q_OBJECT
public:
    // Attaches its recorder to the main window's engine for as long as it lives.
    explicit MonitorWindow(WindowContext& main, QWidget* parent = nullptr,
                           size_t capacity = FrameRecorder::DefaultCapacity);
    ~MonitorWindow() override;

    // The main window's "Монитор обмена" (Ctrl+M): shows and raises the window.
    void MonitorClick();

    // Handlers, one per control event.
    void PauseClick();
    void ClearClick();
    void FilterChanged();
    void CopyClick();
    void SaveClick();
    void ExportClick(); // "Экспорт CSV...": one row per frame, for a spreadsheet

    FrameRecorder& Recorder() { return recorder_; }
    MonitorModel& Model() { return *model_; }
    const LineCounts& Counts() const { return counts_; }
    // The rows shown as CSV.
    std::string CsvFileText() const;
    // The saved file's text: heading lines, header, the rows shown with their dates.
    std::string JournalFileText() const;
    // Takes in what was recorded now rather than at the next refresh.
    void Refresh();

    QTableView* Table = nullptr;
    QPushButton* pauseButton = nullptr;
    QPushButton* clearButton = nullptr;
    QComboBox* deviceFilterBox = nullptr;
    QComboBox* functionFilterBox = nullptr;
    QCheckBox* errorsOnlyBox = nullptr;
    QLineEdit* textFilterEdit = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* saveButton = nullptr;
    QLabel* countLabel = nullptr;
    QPushButton* exportButton = nullptr;
    QLabel* devicesLabel = nullptr; // the strip of counts per device

    // How often the table takes in new records while frames come: often enough to follow the
    // line, seldom enough that a poll ten times a second costs next to nothing.
    static constexpr int RefreshMs = 500;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override; // Esc closes it, as its close box does

private:
    QWidget* CreateTools();
    void SizeColumns();
    void ScheduleRefresh();
    void ShowCount();
    std::vector<std::string> JournalHeading() const;
    // Narrows the widest texts, so that every column is in the window on a small screen.
    void FitColumns(int width);
    void ShowDeviceCounts();

    WindowContext& main_;
    FrameRecorder recorder_;
    LineCounts counts_;
    MonitorModel* model_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    bool paused_ = false;
    bool placed_ = false;
    bool saving_ = false;
};

// Ctrl+M from every window of the program, modal dialogs included: an application-wide
// filter, since a shortcut of the main window is dead while a dialog blocks it.
class MonitorShortcut : public QObject {
public:
    MonitorShortcut(std::function<void()> open, QObject* parent);
    ~MonitorShortcut() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> open_;
};
