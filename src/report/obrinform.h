#pragma once
// "Информация о входах": the table of every input with its identifier, address and label.

#include "dialogs/lumdialog.h"

class LumMain;

class TInform : public TLumDialog {
    Q_OBJECT
public:
    explicit TInform(LumMain& main, QWidget* parent = nullptr);

    // The main window's "Входные сигналы": fill the table from the model and show it.
    void FillAndShow();
    // The F15 block editor's "Входные сигналы": the same table for reference only.
    void ShowForReference();

private:
    LumMain& main_;
};
