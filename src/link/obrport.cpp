#include "link/obrport.h"

#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "link/comportclass.h"
#include "link/obrnastr.h"
#include "link/obrport_emu.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>

TFormPort::TFormPort(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(U("Настройка СОМ-порта"));
    SetCentredOnScreen();
    auto* grid = new QGridLayout(this);
    auto* portBox = new QGroupBox(this);
    auto* pg = new QGridLayout(portBox);
    CBoxPort = new QComboBox(portBox);
    CBoxPort->setMinimumWidth(220);
    // Entries are shown whole; a port the list does not know (a /dev/serial/by-id/... link)
    // can be typed.
    CBoxPort->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    CBoxPort->setEditable(true);
    CBoxPort->setInsertPolicy(QComboBox::NoInsert);
    pg->addWidget(new QLabel(U("СОМ-порт"), portBox), 0, 0);
    pg->addWidget(CBoxPort, 0, 1);

    auto* lineBox = new QGroupBox(this);
    auto* lg = new QGridLayout(lineBox);
    Skor = new QComboBox(lineBox);
    Skor->addItems({"9600", "19200", "57600", "115200"});
    Parit = new QComboBox(lineBox);
    Parit->addItems({U("нет"), U("нечет"), U("чет")});
    StBit = new QComboBox(lineBox);
    StBit->addItems({"1", "2"});
    lg->addWidget(new QLabel(U("Скорость(бит/с):"), lineBox), 0, 0);
    lg->addWidget(Skor, 0, 1);
    lg->addWidget(new QLabel(U("Четность:"), lineBox), 1, 0);
    lg->addWidget(Parit, 1, 1);
    lg->addWidget(new QLabel(U("Стоповые биты:"), lineBox), 2, 0);
    lg->addWidget(StBit, 2, 1);

    OK = new QPushButton("OK", this);
    Button1 = new QPushButton(U("Настройка обмена"), this);
    grid->addWidget(portBox, 0, 0, 1, 2);
    grid->addWidget(lineBox, 1, 0, 1, 2);
    grid->addWidget(Button1, 2, 0);
    grid->addWidget(OK, 2, 1);
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Ok); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TFormPort::~TFormPort() = default;

QString TFormPort::BuiltInEntry() {
    return U("Эмулятор прибора (встроенный)");
}

QString TFormPort::PortEntry(const QString& name, const QString& description,
                             const QString& maker) {
    QString entry = name;
    if (!description.isEmpty())
        entry += U(" — ") + description;
    if (!maker.isEmpty())
        entry += " (" + maker + ")";
    return entry;
}

void TFormPort::FillPortList() {
    CBoxPort->clear();
    // The entry is for the operator; the name behind it is what the engine opens.
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        CBoxPort->addItem(PortEntry(info.portName(), info.description(), info.manufacturer()),
                          info.portName());
    for (const std::string& path : BuiltInEmulator::RunningEmulatorPorts())
        CBoxPort->addItem(QString::fromStdString(path));
    if (BuiltInEmulator::Available())
        CBoxPort->addItem(BuiltInEntry());
    CBoxPort->setCurrentIndex(CBoxPort->count() > 0 ? 0 : -1);
}

void TFormPort::BeforeShowing() {
    Skor->setCurrentIndex(SkorPos);
    Parit->setCurrentIndex(ParitPos);
    StBit->setCurrentIndex(StBitPos);
    TComPortClass& port = main_.ComPort();
    portWasOpen_ = port.IsOpen();
    port.ClosePort();
    FillPortList();
    // Sized to this showing's entries, so that they are whole.
    layout()->activate();
    adjustSize();
}

bool TFormPort::CanClose(int& result) {
    if (result == mr::Ok) {
        // Even parity with two stop bits is not a line the device speaks.
        if (Parit->currentIndex() == 2 && StBit->currentIndex() == 1) {
            result = mr::Abort;
            return true;
        }
        SkorPos = Skor->currentIndex();
        ParitPos = Parit->currentIndex();
        StBitPos = StBit->currentIndex();
        return true;
    }
    if (result == mr::Cancel && portWasOpen_)
        main_.ComPort().ApplyPortSettings(); // reopen the port as it was
    return true;
}

void TFormPort::Button1Click() {
    TFormNastr* nastr = main_.Windows().FormNastr;
    if (nastr && main_.showModal(*nastr) == mr::Ok)
        nastr->ApplyTo(main_.ComPort());
}

QString TFormPort::ChosenPortName() {
    const QString entry = CBoxPort->currentText().trimmed();
    const int listed = CBoxPort->findText(entry, Qt::MatchExactly);
    if (listed < 0)
        return entry; // typed by the operator; the engine decides whether it names a port
    if (entry != BuiltInEntry()) {
        const QVariant name = CBoxPort->itemData(listed);
        return name.isValid() ? name.toString() : entry;
    }
    if (!emulator_)
        emulator_ = std::make_unique<BuiltInEmulator>();
    return QString::fromStdString(emulator_->Start());
}
