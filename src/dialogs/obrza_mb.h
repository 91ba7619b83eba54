#pragma once
// "Программ. задерж. выходов ЛУМ-08": one input's output delay in seconds.

#include "dialogs/lumdialog.h"

class LumMain;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormZa : public TLumDialog {
    Q_OBJECT
public:
    explicit TFormZa(LumMain& main, QWidget* parent = nullptr);

    void SetHeading(int inputFrom1, const QString& identifier);
    void FillDelay(int seconds);
    // The delay to store after the dialog closed: 0 with the warning "Не задана уставка времени
    // задержки" when the field holds 0 or fails the 0..60 check (after its error box).
    int TakeDelay();

    QLabel* LabNVh = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EditT = nullptr;
    QPushButton* OK = nullptr;

protected:
    bool CanClose(int& result) override;

private:
    LumMain& main_;
    bool filling_ = false;
};
