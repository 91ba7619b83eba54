#include "port/timingdialog.h"

#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
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

ExchangeTimingDialog::ExchangeTimingDialog(const ExchangeEngine& engine,
                                           const WindowSession& session, QWidget* parent)
    : LumDialog(parent) {
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
    bodyRepeatsLabel = new QLabel(U("Повторы на 2-м этапе"), this);
    bodyRepeatsBox = new QComboBox(this);
    bodyRepeatsBox->addItems({"1", "10"});
    roundTripLabel = new QLabel(U("Время прохода по сети до шлюза и обратно, мс"), this);
    roundTripWait = new QSpinBox(this);
    roundTripWait->setRange(0, 5000);
    roundTripWait->setSingleStep(10);
    roundTripWait->setToolTip(U("Только для шлюза Ethernet (tcp://, mbtcp://): добавляется к "
                                "ожиданию ответа. 0 - шлюз рядом, как COM-порт"));
    verifyCheck = new QCheckBox(U("Проверять запись чтением"), this);
    showChangesCheck = new QCheckBox(U("Показывать изменения перед записью"), this);
    OK = new QPushButton("OK", this);
    grid->addWidget(firstByteLabel, 0, 0);
    grid->addWidget(firstByteWait, 0, 1);
    grid->addWidget(nextByteLabel, 1, 0);
    grid->addWidget(nextByteWait, 1, 1);
    grid->addWidget(repeatsLabel, 2, 0);
    grid->addWidget(repeatsBox, 2, 1);
    grid->addWidget(bodyRepeatsLabel, 3, 0);
    grid->addWidget(bodyRepeatsBox, 3, 1);
    grid->addWidget(roundTripLabel, 4, 0);
    grid->addWidget(roundTripWait, 4, 1);
    grid->addWidget(verifyCheck, 5, 0, 1, 2);
    grid->addWidget(showChangesCheck, 6, 0, 1, 2);
    grid->addWidget(OK, 7, 1);
    // The operator sets only the transmit delay; the rest keeps its defaults out of sight.
    for (QWidget* w : std::initializer_list<QWidget*>{nextByteLabel, nextByteWait, repeatsLabel,
                                                      repeatsBox, bodyRepeatsLabel, bodyRepeatsBox})
        w->hide();
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Ok); });
    // The hidden repeat counts offer only these values; the larger is the engine's default.
    const int headerChoice = repeatsBox->findText(QString::number(engine.GetHeaderRepeats()));
    const int bodyChoice = bodyRepeatsBox->findText(QString::number(engine.BodyRepeats));
    repeatsBox->setCurrentIndex(headerChoice < 0 ? 1 : headerChoice);
    bodyRepeatsBox->setCurrentIndex(bodyChoice < 0 ? 1 : bodyChoice);
    firstByteWait->setValue(engine.GetDelayTx());
    nextByteWait->setValue(engine.GetDelayRx());
    roundTripWait->setValue(engine.GetRoundTripMs());
    verifyCheck->setChecked(session.verifyWrites);
    showChangesCheck->setChecked(session.showChanges);
}

void ExchangeTimingDialog::Run(WindowContext& main, QWidget* parent) {
    ExchangeTimingDialog dialog(main.Engine(), main.Session(), parent);
    if (main.showModal(dialog) != mr::Ok)
        return;
    const ExchangeTiming chosen = dialog.Chosen();
    ExchangeEngine& engine = main.Engine();
    engine.SetHeaderRepeats(chosen.headerRepeats);
    engine.SetBodyRepeats(chosen.bodyRepeats);
    engine.SetDelayTx(chosen.delayTx);
    engine.SetDelayRx(chosen.delayRx);
    engine.SetRoundTripMs(chosen.roundTripMs);
    main.Session().verifyWrites = chosen.verifyWrites;
    main.Session().showChanges = chosen.showChanges;
}

ExchangeTiming ExchangeTimingDialog::Chosen() const {
    ExchangeTiming chosen;
    chosen.headerRepeats = repeatsBox->currentText().toInt();
    chosen.bodyRepeats = bodyRepeatsBox->currentText().toInt();
    chosen.delayTx = firstByteWait->value();
    chosen.delayRx = nextByteWait->value();
    chosen.roundTripMs = roundTripWait->value();
    chosen.verifyWrites = verifyCheck->isChecked();
    chosen.showChanges = showChangesCheck->isChecked();
    return chosen;
}
