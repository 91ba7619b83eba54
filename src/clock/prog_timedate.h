#pragma once
// "Задание времени и даты": the device clock, polled, composed and broadcast.

#include "dialogs/lumdialog.h"

class LumMain;

class TFormTimeDate : public TLumDialog {
    Q_OBJECT
public:
    explicit TFormTimeDate(LumMain& main, QWidget* parent = nullptr);

    // The main window's "Задание времени и даты".
    void ButTimeDateClick();

private:
    LumMain& main_;
};
