#pragma once
// The scheme editor "Программирование обработки дискретных входов": the processing chains of
// the six inputs of one module, built from the model, edited, exchanged with the device.

#include "dialogs/lumdialog.h"

class LumMain;

class TFormPrgD : public TLumDialog {
    Q_OBJECT
public:
    explicit TFormPrgD(LumMain& main, QWidget* parent = nullptr);

    // Set by the main window's program buttons before showing the editor.
    void SetHeadings(int module, const QString& typeName, const QString& inputsText);

private:
    LumMain& main_;
};
