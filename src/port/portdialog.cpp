#include "port/portdialog.h"
#include "dialogs/commandrun.h"

#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"
#include "link/gatewayaddress.h"
#include "port/builtinemulator.h"
#include "port/timingdialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <algorithm>
#include <iterator>

namespace {
const char* const kSpeeds[] = {"9600", "19200", "57600", "115200"};
} // namespace

PortChoices::PortChoices() = default;
PortChoices::~PortChoices() = default;

std::string PortChoices::StartEmulator() {
    if (!emulator)
        emulator = std::make_unique<BuiltInEmulator>();
    return emulator->Start();
}

PortDialog::PortDialog(WindowContext& main, PortChoices& choices, QWidget* parent)
    : LumDialog(parent), main_(main), choices_(choices) {
    setWindowTitle(U("Настройка СОМ-порта"));
    SetCentredOnScreen();
    auto* grid = new QGridLayout(this);
    auto* portGroup = new QGroupBox(this);
    auto* pg = new QGridLayout(portGroup);
    portBox = new QComboBox(portGroup);
    portBox->setObjectName("portBox");
    portBox->setMinimumWidth(220);
    // Entries are shown whole; a port the list does not know (a /dev/serial/by-id/... link)
    // can be typed.
    portBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    portBox->setEditable(true);
    portBox->setInsertPolicy(QComboBox::NoInsert);
    pg->addWidget(new QLabel(U("СОМ-порт"), portGroup), 0, 0);
    pg->addWidget(portBox, 0, 1);

    auto* lineBox = new QGroupBox(this);
    auto* lg = new QGridLayout(lineBox);
    speedBox = new QComboBox(lineBox);
    speedBox->setObjectName("speedBox");
    for (const char* speed : kSpeeds)
        speedBox->addItem(speed);
    parityBox = new QComboBox(lineBox);
    parityBox->setObjectName("parityBox");
    parityBox->addItems({U("нет"), U("нечет"), U("чет")});
    stopBitsBox = new QComboBox(lineBox);
    stopBitsBox->setObjectName("stopBitsBox");
    stopBitsBox->addItems({"1", "2"});
    lg->addWidget(new QLabel(U("Скорость(бит/с):"), lineBox), 0, 0);
    lg->addWidget(speedBox, 0, 1);
    lg->addWidget(new QLabel(U("Четность:"), lineBox), 1, 0);
    lg->addWidget(parityBox, 1, 1);
    lg->addWidget(new QLabel(U("Стоповые биты:"), lineBox), 2, 0);
    lg->addWidget(stopBitsBox, 2, 1);

    OK = new QPushButton("OK", this);
    OK->setObjectName("OK");
    emulatorButton = new QPushButton(U("Настройка обмена"), this);
    grid->addWidget(portGroup, 0, 0, 1, 2);
    grid->addWidget(lineBox, 1, 0, 1, 2);
    grid->addWidget(emulatorButton, 2, 0);
    grid->addWidget(OK, 2, 1);
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Ok); });
    connect(emulatorButton, &QPushButton::clicked, this, [this] { StartEmulatorClick(); });
    connect(portBox, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { PortTextChanged(text); });
}

void PortDialog::PortTextChanged(const QString& text) {
    const bool gateway = IsGatewayName(text.trimmed().toStdString());
    for (QWidget* w : std::initializer_list<QWidget*>{speedBox, parityBox, stopBitsBox})
        w->setEnabled(!gateway);
}

void PortDialog::KeepGateway(const QString& name) {
    QStringList& recent = choices_.recentGateways;
    recent.removeAll(name);
    recent.prepend(name);
    while (recent.size() > RecentGatewayLimit)
        recent.removeLast();
}

int PortDialog::SpeedPosition(int speed) {
    for (int i = 0; i < int(std::size(kSpeeds)); ++i)
        if (QString::number(speed) == kSpeeds[i])
            return i;
    return 0;
}

QString PortDialog::BuiltInEntry() {
    return U("Эмулятор прибора (встроенный)");
}

QString PortDialog::PortEntry(const QString& name, const QString& description,
                              const QString& maker) {
    QString entry = name;
    if (!description.isEmpty())
        entry += U(" — ") + description;
    if (!maker.isEmpty())
        entry += " (" + maker + ")";
    return entry;
}

void PortDialog::FillPortList() {
    portBox->clear();
    // The entry is for the operator; the name behind it is what the engine opens.
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        portBox->addItem(PortEntry(info.portName(), info.description(), info.manufacturer()),
                         info.portName());
    for (const std::string& path : BuiltInEmulator::RunningEmulatorPorts())
        portBox->addItem(QString::fromStdString(path));
    for (const QString& gateway : choices_.recentGateways)
        if (portBox->findText(gateway, Qt::MatchExactly) < 0)
            portBox->addItem(gateway);
    if (BuiltInEmulator::Available())
        portBox->addItem(BuiltInEntry());
    // The port remembered from the last run when it is there; else the first, as always.
    const int last = choices_.lastPort.isEmpty() ? -1 : portBox->findData(choices_.lastPort);
    portBox->setCurrentIndex(last >= 0 ? last : portBox->count() > 0 ? 0 : -1);
    PortTextChanged(portBox->currentText());
}

void PortDialog::BeforeShowing() {
    speedBox->setCurrentIndex(choices_.speedPos);
    parityBox->setCurrentIndex(choices_.parityPos);
    stopBitsBox->setCurrentIndex(choices_.stopBitsPos);
    ExchangeEngine& port = main_.Engine();
    portWasOpen_ = port.IsOpen();
    ::ClosePort(main_);
    FillPortList();
    // Sized to this showing's entries, so that they are whole.
    layout()->activate();
    adjustSize();
}

bool PortDialog::CanClose(int& result) {
    if (result == mr::Ok) {
        const QString typed = portBox->currentText().trimmed();
        const bool gateway = IsGatewayName(typed.toStdString());
        // Even parity with two stop bits is not a line the device speaks; behind a gateway the
        // line's settings are the gateway's own and the greyed fields do not count.
        if (!gateway && parityBox->currentIndex() == 2 && stopBitsBox->currentIndex() == 1) {
            result = mr::Abort;
            return true;
        }
        choices_.speedPos = speedBox->currentIndex();
        choices_.parityPos = parityBox->currentIndex();
        choices_.stopBitsPos = stopBitsBox->currentIndex();
        if (gateway)
            KeepGateway(typed);
        return true;
    }
    if (result == mr::Cancel && portWasOpen_)
        ::ApplyPortSettings(main_); // reopen the port as it was
    return true;
}

void PortDialog::StartEmulatorClick() {
    // Over the window this dialog is modal to, as from the main window's menu.
    ExchangeTimingDialog::Run(main_, parentWidget());
}

void PortDialog::ChoosePort(const QString& entry) {
    portBox->setCurrentIndex(portBox->findText(entry));
}

PortSettings PortDialog::Chosen() const {
    static const char* const parity[] = {"N", "O", "E"};
    PortSettings chosen;
    chosen.parity = parity[std::clamp(choices_.parityPos, 0, 2)];
    chosen.speed = speedBox->currentText().toStdString();
    chosen.stopBits = choices_.stopBitsPos == 0 ? "1" : "2";
    const QString entry = portBox->currentText().trimmed();
    chosen.builtIn = entry == BuiltInEntry() && portBox->findText(entry, Qt::MatchExactly) >= 0;
    if (!chosen.builtIn)
        chosen.portName = ChosenPortName().toStdString();
    return chosen;
}

QString PortDialog::ChosenPortName() const {
    const QString entry = portBox->currentText().trimmed();
    const int listed = portBox->findText(entry, Qt::MatchExactly);
    if (listed < 0)
        return entry; // typed by the operator; the engine decides whether it names a port
    const QVariant name = portBox->itemData(listed);
    return name.isValid() ? name.toString() : entry;
}
