#include "port/timingdialog.h"

#include "dialogs/uitext.h"
#include "link/exchangeengine.h"

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

ExchangeTimingDialog::ExchangeTimingDialog(const ExchangeEngine& engine, QWidget* parent)
    : LumDialog(parent), delayTx_(engine.GetDelayTx()), delayRx_(engine.GetDelayRx()),
      roundTrip_(engine.GetRoundTripMs()) {
    setWindowTitle(U("Настройка параметров обмена"));
    SetCentredOnScreen();
    auto* grid = new QGridLayout(this);
    firstByteLabel = new QLabel(U("Задержка после переключ на передачу"), this);
    firstByteWait = UpDown(this);
    nextByteLabel = new QLabel(U("Задержка перед переключ на прием"), this);
    nextByteWait = UpDown(this);
    repeatsLabel = new QLabel(U("Повторы на 1 этапе"), this);
    repeatsBox = new QComboBox(this);
    repeatsBox->addItems({"1", "5"});
    busyRepeatsLabel = new QLabel(U("Повторы на 2-м этапе"), this);
    busyRepeatsBox = new QComboBox(this);
    busyRepeatsBox->addItems({"1", "10"});
    roundTripLabel = new QLabel(U("Время прохода по сети до шлюза и обратно, мс"), this);
    roundTripWait = new QSpinBox(this);
    roundTripWait->setRange(0, 5000);
    roundTripWait->setSingleStep(10);
    roundTripWait->setToolTip(U("Только для шлюза Ethernet (tcp://, mbtcp://): добавляется к "
                                "ожиданию ответа. 0 - шлюз рядом, как COM-порт"));
    verifyCheck = new QCheckBox(U("Проверять запись чтением"), this);
    OK = new QPushButton("OK", this);
    grid->addWidget(firstByteLabel, 0, 0);
    grid->addWidget(firstByteWait, 0, 1);
    grid->addWidget(nextByteLabel, 1, 0);
    grid->addWidget(nextByteWait, 1, 1);
    grid->addWidget(repeatsLabel, 2, 0);
    grid->addWidget(repeatsBox, 2, 1);
    grid->addWidget(busyRepeatsLabel, 3, 0);
    grid->addWidget(busyRepeatsBox, 3, 1);
    grid->addWidget(roundTripLabel, 4, 0);
    grid->addWidget(roundTripWait, 4, 1);
    grid->addWidget(verifyCheck, 5, 0, 1, 2);
    grid->addWidget(OK, 6, 1);
    // The operator sets only the transmit delay; the rest keeps its defaults out of sight.
    for (QWidget* w : std::initializer_list<QWidget*>{nextByteLabel, nextByteWait, repeatsLabel,
                                                      repeatsBox, busyRepeatsLabel, busyRepeatsBox})
        w->hide();
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Ok); });
    PutRemembered();
}

void ExchangeTimingDialog::PutRemembered() {
    repeatsBox->setCurrentIndex(povt1_);
    busyRepeatsBox->setCurrentIndex(povt2_);
    firstByteWait->setValue(delayTx_);
    nextByteWait->setValue(delayRx_);
    roundTripWait->setValue(roundTrip_);
    verifyCheck->setChecked(verify_);
}

bool ExchangeTimingDialog::CanClose(int& result) {
    if (result == mr::Ok) {
        povt1_ = repeatsBox->currentIndex();
        povt2_ = busyRepeatsBox->currentIndex();
        delayTx_ = firstByteWait->value();
        delayRx_ = nextByteWait->value();
        roundTrip_ = roundTripWait->value();
        verify_ = verifyCheck->isChecked();
    } else {
        PutRemembered(); // undo the operator's changes
    }
    return true;
}

void ExchangeTimingDialog::ApplyTo(ExchangeEngine& engine) const {
    engine.SetRepeat1(repeatsBox->currentText().toInt());
    engine.SetRepeat2(busyRepeatsBox->currentText().toInt());
    engine.SetDelayTx(firstByteWait->text().toInt());
    engine.SetDelayRx(nextByteWait->text().toInt());
    engine.SetRoundTripMs(roundTripWait->value());
}
