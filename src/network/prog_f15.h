#pragma once
// "Программирование функционального блока MBM": one ModBus-master F15 block.

#include "dialogs/lumdialog.h"

class LumMain;

class TFormF15 : public TLumDialog {
    Q_OBJECT
public:
    explicit TFormF15(LumMain& main, QWidget* parent = nullptr);

private:
    LumMain& main_;
};
