#include "port/timingdialog.h"
#include "dialogs/commandrun.h"
#include "words/linkwords.h"

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
    echoBox = new QComboBox(this);
    echoBox->addItems({U("авто"), U("есть"), U("нет")});
    echoBox->setToolTip(U("Адаптер возвращает каждый переданный байт до ответа прибора "
                          "(двухпроводные адаптеры с всегда включенным приемником). "
                          "Авто: узнать по первому ответу"));
    transmitBox = new QComboBox(this);
    transmitBox->addItems({U("авто"), U("RTS")});
    transmitBox->setToolTip(U("RTS: программа включает передатчик RS-485 сигналом RTS, для "
                              "адаптеров, которые не переключаются сами"));
    latencyWait = new QSpinBox(this);
    latencyWait->setRange(0, 100);
    latencyWait->setToolTip(U("Таймер задержки USB-адаптера (обычно 16 мс; 0 - порт на плате): "
                              "«Обзор линии» ждет ответа на столько дольше"));
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
    grid->addWidget(new QLabel(U("Эхо адаптера"), this), 5, 0);
    grid->addWidget(echoBox, 5, 1);
    grid->addWidget(new QLabel(U("Управление передачей"), this), 6, 0);
    grid->addWidget(transmitBox, 6, 1);
    grid->addWidget(new QLabel(U("Задержка адаптера, мс"), this), 7, 0);
    grid->addWidget(latencyWait, 7, 1);
    grid->addWidget(verifyCheck, 8, 0, 1, 2);
    grid->addWidget(showChangesCheck, 9, 0, 1, 2);
    grid->addWidget(OK, 10, 1);
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
    echoBox->setCurrentIndex(static_cast<int>(engine.GetEchoMode()));
    transmitBox->setCurrentIndex(engine.Transmit == TransmitControl::Rts ? 1 : 0);
    latencyWait->setValue(engine.AdapterLatencyMs);
}

void ExchangeTimingDialog::Run(WindowContext& main, QWidget* parent) {
    ExchangeTimingDialog dialog(main.Engine(), main.Settings(), parent);
    if (main.showModal(dialog) != mr::Ok)
        return;
    const ExchangeTiming chosen = dialog.Chosen();
    ExchangeEngine& engine = main.Engine();
    engine.SetHeaderRepeats(chosen.headerRepeats);
    engine.SetBodyRepeats(chosen.bodyRepeats);
    engine.SetDelayTx(chosen.delayTx);
    engine.SetDelayRx(chosen.delayRx);
    engine.SetRoundTripMs(chosen.roundTripMs);
    engine.SetEchoMode(chosen.echo);
    engine.AdapterLatencyMs = chosen.latencyMs;
    main.Settings().verifyWrites = chosen.verifyWrites;
    main.Settings().showChanges = chosen.showChanges;
    // The driver is switched from the port's next setting up on: at once when it is open.
    if (chosen.transmit != engine.Transmit) {
        engine.Transmit = chosen.transmit;
        if (engine.IsOpen() && ::ApplyPortSettings(main) != 0)
            ReportError(engine, 0, ResultCode::PortCannotOpen);
    }
}

ExchangeTiming ExchangeTimingDialog::Chosen() const {
    ExchangeTiming chosen;
    chosen.headerRepeats = repeatsBox->currentText().toInt();
    chosen.bodyRepeats = bodyRepeatsBox->currentText().toInt();
    chosen.delayTx = firstByteWait->value();
    chosen.delayRx = nextByteWait->value();
    chosen.roundTripMs = roundTripWait->value();
    chosen.verifyWrites = verifyCheck->isChecked();
    chosen.echo = static_cast<EchoMode>(echoBox->currentIndex());
    chosen.transmit =
        transmitBox->currentIndex() == 1 ? TransmitControl::Rts : TransmitControl::Auto;
    chosen.latencyMs = latencyWait->value();
    chosen.showChanges = showChangesCheck->isChecked();
    return chosen;
}
