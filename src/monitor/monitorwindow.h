#pragma once
// "Монитор обмена": every frame on the line, decoded, while the program works. A window of its
// own beside any other; it records from its first opening to the end of the program.

#include "link/framerecorder.h"
#include "monitor/monitormodel.h"

#include <QWidget>

class WindowContext;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

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
    void DeviceFilterChanged();
    void CopyClick();
    void SaveClick();

    FrameRecorder& Recorder() { return recorder_; }
    MonitorModel& Model() { return *model_; }
    // The rows shown, as the saved file holds them (header first).
    std::string ShownText() const;

    QTableView* Table = nullptr;
    QPushButton* pauseButton = nullptr;
    QPushButton* clearButton = nullptr;
    QComboBox* deviceFilterBox = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* saveButton = nullptr;
    QLabel* countLabel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Takes in what was recorded, lays the table out and paints now: during an exchange only
    // update requests are delivered, so no timer of the view would do it.
    void Refresh();
    void ScheduleRefresh();
    void ShowCount();

    WindowContext& main_;
    FrameRecorder recorder_;
    MonitorModel* model_ = nullptr;
    bool paused_ = false;
    bool refreshPosted_ = false;
};
