#pragma once
// "Локальная сеть RS-485": the device's own network line and its two F15 function blocks.

#include "dialogs/lumdialog.h"

class LumMain;

class TFormLNet : public TLumDialog {
    Q_OBJECT
public:
    explicit TFormLNet(LumMain& main, QWidget* parent = nullptr);

    void LocNetObmClick(); // settings mode
    void LocNet15Click();  // block list mode

private:
    LumMain& main_;
};
