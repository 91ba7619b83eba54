#include "link/obrnastr.h"

#include "dialogs/uitext.h"
#include "link/comportclass.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
QSpinBox* UpDown(QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setRange(1, 100);
    s->setSingleStep(1);
    // Only the arrows change the value.
    if (auto* edit = s->findChild<QLineEdit*>())
        edit->setReadOnly(true);
    return s;
}
} // namespace

TFormNastr::TFormNastr(const TComPortClass& engine, QWidget* parent)
    : TLumDialog(parent), delayTx_(engine.GetDelayTx()), delayRx_(engine.GetDelayRx()) {
    setWindowTitle(U("Настройка параметров обмена"));
    SetCentredOnScreen();
    auto* grid = new QGridLayout(this);
    Label5 = new QLabel(U("Задержка после переключ на передачу"), this);
    Edit1 = UpDown(this);
    Label2 = new QLabel(U("Задержка перед переключ на прием"), this);
    Edit2 = UpDown(this);
    Label1 = new QLabel(U("Повторы на 1 этапе"), this);
    CBoxPovt1 = new QComboBox(this);
    CBoxPovt1->addItems({"1", "5"});
    Label11 = new QLabel(U("Повторы на 2-м этапе"), this);
    CBoxPovt2 = new QComboBox(this);
    CBoxPovt2->addItems({"1", "10"});
    CheckVerify = new QCheckBox(U("Проверять запись чтением"), this);
    OK = new QPushButton("OK", this);
    grid->addWidget(Label5, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(CBoxPovt1, 2, 1);
    grid->addWidget(Label11, 3, 0);
    grid->addWidget(CBoxPovt2, 3, 1);
    grid->addWidget(CheckVerify, 4, 0, 1, 2);
    grid->addWidget(OK, 5, 1);
    // The operator sets only the transmit delay; the rest keeps its defaults out of sight.
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label2, Edit2, Label1, CBoxPovt1, Label11, CBoxPovt2})
        w->hide();
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Ok); });
    PutRemembered();
}

void TFormNastr::PutRemembered() {
    CBoxPovt1->setCurrentIndex(povt1_);
    CBoxPovt2->setCurrentIndex(povt2_);
    Edit1->setValue(delayTx_);
    Edit2->setValue(delayRx_);
    CheckVerify->setChecked(verify_);
}

bool TFormNastr::CanClose(int& result) {
    if (result == mr::Ok) {
        povt1_ = CBoxPovt1->currentIndex();
        povt2_ = CBoxPovt2->currentIndex();
        delayTx_ = Edit1->value();
        delayRx_ = Edit2->value();
        verify_ = CheckVerify->isChecked();
    } else {
        PutRemembered(); // undo the operator's changes
    }
    return true;
}

void TFormNastr::ApplyTo(TComPortClass& engine) const {
    engine.SetRepeat1(CBoxPovt1->currentText().toInt());
    engine.SetRepeat2(CBoxPovt2->currentText().toInt());
    engine.SetDelayTx(Edit1->text().toInt());
    engine.SetDelayRx(Edit2->text().toInt());
}
