#include "scheme/prog_diskr.h"

#include "dialogs/lummain.h"

TFormPrgD::TFormPrgD(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(QString::fromUtf8("Программирование обработки дискретных входов"));
    resize(867, 536);
}

void TFormPrgD::SetHeadings(int, const QString&, const QString&) {}
