#include "report/obrinform.h"

#include "dialogs/lummain.h"

TInform::TInform(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(QString::fromUtf8("Информация о входах"));
}

void TInform::FillAndShow() {
    main_.showModal(*this);
}

void TInform::ShowForReference() {
    main_.showModal(*this);
}
