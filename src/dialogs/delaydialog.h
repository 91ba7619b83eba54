#pragma once
// "Программ. задерж. выходов ЛУМ-08": one input's output delay in seconds.

#include "dialogs/lumdialog.h"

class WindowContext;
class QLabel;
class QLineEdit;
class QPushButton;

class DelayDialog : public LumDialog {
    Q_OBJECT
public:
    explicit DelayDialog(WindowContext& main, QWidget* parent = nullptr);

    void SetHeading(int inputFrom1, const QString& identifier);
    void FillDelay(int seconds);
    // The delay to store after the dialog closed: 0 with the warning "Не задана уставка времени
    // задержки" when the field holds 0 or fails the 0..60 check (after its error box).
    int TakeDelay();

    QLabel* inputLabel = nullptr;
    QLabel* inputCaption = nullptr;
    QLabel* delayCaption = nullptr;
    QLabel* secondsCaption = nullptr;
    QLineEdit* delayEdit = nullptr;
    QLabel* rangeCaption = nullptr; // "(0-60)" beside the field
    QPushButton* OK = nullptr;

protected:
    bool CanClose(int& result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowContext& main_;
};
