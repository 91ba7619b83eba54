#pragma once
// "Задание времени и даты": the device clock, polled, composed and broadcast.

#include "dialogs/lumdialog.h"
#include "link/devicecommands.h"

#include <QDateTime>
#include <array>
#include <functional>

class LumMain;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QGroupBox;
class TErrorMarker;

class TFormTimeDate : public TLumDialog {
    Q_OBJECT
public:
    // The PC's local date and time; tests fix it.
    using PcClock = std::function<QDateTime()>;

    explicit TFormTimeDate(LumMain& main, QWidget* parent = nullptr);

    // The main window's "Задание времени и даты".
    void ButTimeDateClick();
    void SetPcClock(PcClock clock);

    // Handlers, one per control event.
    void FormShow();
    void Button1Click();    // start and stop polling
    void Timer1Timer();     // one poll, unless an exchange is already under way
    void InClick();         // the poll step
    void Button2Click();    // fields from the last device reading
    void Button3Click();    // fields from the PC clock
    void ChangeTimeClick(); // check and broadcast
    void OKClick();
    void CancelClick();

    // The seven bytes of the last successful poll (all zero before the first one).
    const DeviceClock& LastReading() const { return lastReading_; }
    bool PollingStopped() const { return pollingStopped_; }

    // Seconds, minutes, hour, day of month, month, year, day of week.
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* ChangeTime = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* StTime = nullptr;
    QLineEdit* StDate = nullptr;
    QLineEdit* StDayWeek = nullptr;
    TErrorMarker* ErrorText = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    bool CanClose(int& result) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QGroupBox* CreateSettingGroup();
    QGroupBox* CreatePollGroup();
    void StopPolling();
    void ShowReading(const DeviceClock& clock);
    void FillFields(const std::array<int, ClockBytes>& values);
    // Checks the seven fields in order; the first failure shows the badge at its field.
    bool CheckFields();
    bool CheckField(QLineEdit* field, int low, int high);

    LumMain& main_;
    PcClock pcClock_;
    std::array<QLineEdit*, ClockBytes> fields_{};
    DeviceClock lastReading_{};
    bool pollingStopped_ = true;
    bool stopRegistered_ = false; // Cancel stops an exchange under way
    bool cancelled_ = false;
};
