#include "network/prog_lnet.h"

#include "dialogs/lummain.h"

TFormLNet::TFormLNet(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(QString::fromUtf8("Локальная сеть RS-485"));
}

void TFormLNet::LocNetObmClick() {
    main_.showModal(*this);
}

void TFormLNet::LocNet15Click() {
    setWindowTitle(QString::fromUtf8("Локальная сеть RS-485 ModBus ф15"));
    main_.showModal(*this);
}
