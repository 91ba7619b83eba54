#include "network/prog_f15.h"

#include "dialogs/lummain.h"

TFormF15::TFormF15(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(QString::fromUtf8("Программирование функционального блока MBM"));
}
