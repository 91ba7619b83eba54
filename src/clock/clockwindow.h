#pragma once
// "Задание времени и даты": the device clock, polled, composed and broadcast.

#include "dialogs/lumdialog.h"
#include "link/devicecommands.h"

#include <QDateTime>
#include <array>
#include <atomic>
#include <functional>
#include <memory>

class WindowContext;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QGroupBox;
class ErrorMarker;
struct ClockSetting;

class ClockWindow : public LumDialog {
    Q_OBJECT
public:
    // The PC's local date and time; tests fix it.
    using PcClock = std::function<QDateTime()>;

    explicit ClockWindow(WindowContext& main, QWidget* parent = nullptr);

    // The main window's "Задание времени и даты".
    void ClockClick();
    void SetPcClock(PcClock clock);

    // Handlers, one per control event.
    void RestartPolling();
    void PollClick();       // start and stop polling
    void PollTick();        // one poll, unless an exchange is already under way
    void PollOnce();        // the poll step: a background job, its reading shown when it comes
    void FromDeviceClick(); // fields from the last device reading
    void FromPcClick();     // fields from the PC clock, following it until edited
    void SetClockClick();   // check and broadcast
    void OKClick();
    void CancelClick();

    // The seven bytes of the last successful poll (all zero before the first one).
    const DeviceClock& LastReading() const { return lastReading_; }
    bool PollingStopped() const { return pollingStopped_; }
    // Whether the fields show the PC clock as it runs ("Время и дата PC", nothing edited since).
    bool FollowingPc() const { return followingPc_; }

    // Seconds, minutes, hour, day of month, month, year, day of week.
    QLineEdit* secondsEdit = nullptr;
    QLineEdit* minutesEdit = nullptr;
    QLineEdit* hoursEdit = nullptr;
    QLineEdit* dayEdit = nullptr;
    QLineEdit* monthEdit = nullptr;
    QLineEdit* yearEdit = nullptr;
    QLineEdit* weekdayEdit = nullptr;
    QPushButton* pollButton = nullptr;
    QPushButton* fromDeviceButton = nullptr;
    QPushButton* fromPcButton = nullptr;
    QPushButton* setClockButton = nullptr;
    QLabel* pollStateLabel = nullptr;
    QLineEdit* deviceTimeField = nullptr;
    QLineEdit* deviceDateField = nullptr;
    QLineEdit* deviceWeekdayField = nullptr;
    ErrorMarker* errorMarker = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
    QTimer* pollTimer = nullptr;
    QTimer* pcTimer = nullptr; // moves the fields on with the PC clock

protected:
    bool CanClose(int& result) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void PollDone(int device, int code, const DeviceClock& clock);
    QGroupBox* CreateSettingGroup();
    QGroupBox* CreatePollGroup();
    void StopPolling();
    void FillFromPc();
    void StopFollowingPc();
    // What the device said after the setting, told to the operator; true when it took it.
    bool TellSetting(const ClockSetting& setting, const DeviceClock& sent);
    void ShowReading(const DeviceClock& clock);
    void FillFields(const std::array<int, ClockBytes>& values);
    // Checks the seven fields in order; the first failure shows the badge at its field.
    bool CheckFields();
    bool CheckField(QLineEdit* field, int low, int high);

    WindowContext& main_;
    PcClock pcClock_;
    std::array<QLineEdit*, ClockBytes> fields_{};
    DeviceClock lastReading_{};
    bool pollingStopped_ = true;
    bool followingPc_ = false;
    bool pollInFlight_ = false; // a poll was started and has not come back
    // Set when the polling stopped before that poll was over.
    std::shared_ptr<std::atomic<bool>> pollCancelled_ = std::make_shared<std::atomic<bool>>(false);
    bool cancelled_ = false;
};
