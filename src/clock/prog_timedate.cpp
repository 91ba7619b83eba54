#include "clock/prog_timedate.h"

#include "dialogs/lummain.h"

TFormTimeDate::TFormTimeDate(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(QString::fromUtf8("Задание времени и даты"));
}

void TFormTimeDate::ButTimeDateClick() {
    main_.showModal(*this);
}
