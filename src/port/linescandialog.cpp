#include "port/linescandialog.h"
#include "words/linkwords.h"

#include "dialogs/commandrun.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"
#include "model/moduleconfig.h"
#include "platform/portline.h"
#include "port/builtinemulator.h"
#include "port/portdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSerialPortInfo>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const char* const kParityNames[] = {"нет", "нечет", "чет"};
const char kParityLetters[] = {'N', 'O', 'E'};

QString ParityName(char letter) {
    for (int i = 0; i < 3; ++i)
        if (kParityLetters[i] == letter)
            return U(kParityNames[i]);
    return QString(QChar(letter));
}

// "МЛВ (0), МСЮ (3)": the modules fitted, by slot.
QString ModulesText(const std::vector<uint8_t>& config) {
    QStringList modules;
    for (size_t slot = 0; slot < 16 && slot + 1 < config.size(); ++slot)
        if (const int code = config[slot + 1]; code != 0)
            modules << QString::fromStdString(ModuleConfig::ModuleCodeName(code)) +
                           U(" (%1)").arg(slot);
    return modules.isEmpty() ? U("нет") : modules.join(U(", "));
}

QString StateText(const ProbeFinding& f) {
    switch (f.verdict) {
    case ProbeVerdict::Found:
        return U("найден");
    case ProbeVerdict::Refused:
        return U("отвечает исключением %1").arg(f.exception);
    case ProbeVerdict::GatewayNoAnswer:
        return U("шлюз: прибор не ответил");
    case ProbeVerdict::CrcErrors:
        break;
    }
    return U("отвечает с ошибками CRC");
}

// The columns sized to their headers and cells, and the table at least as wide as them with a
// scroll bar beside, so that no column is cut (as far as the screen allows).
void KeepColumnsWhole(QTableWidget* table) {
    // Measured unstretched: a stretched last column is as wide as the table already is.
    QHeaderView* header = table->horizontalHeader();
    header->setStretchLastSection(false);
    table->resizeColumnsToContents();
    const int needed =
        header->length() + 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    header->setStretchLastSection(true);
    const QScreen* screen = table->screen();
    const int most = screen ? screen->availableGeometry().width() * 9 / 10 - 40 : needed;
    table->setMinimumWidth(std::min(needed, most));
}

} // namespace

LineScanDialog::LineScanDialog(WindowContext& main, QWidget* parent)
    : LumDialog(parent), main_(main) {
    setWindowTitle(U("Обзор линии"));
    auto* v = new QVBoxLayout(this);
    v->addWidget(CreateSettings());

    progress = new ExchangeProgress(main_, this);
    v->addWidget(progress);

    Table = new QTableWidget(0, 7, this);
    Table->setHorizontalHeaderLabels({U("Номер"), U("Скорость"), U("Чётность"), U("Стоп-биты"),
                                      U("Исполнение"), U("Модули"), U("Состояние")});
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setMinimumHeight(8 * Table->verticalHeader()->defaultSectionSize());
    // Sized once for a typical finding, so that the window keeps its size when results come.
    Table->setRowCount(1);
    const QString sample[] = {"31",
                              "115200",
                              U("нечет"),
                              "2",
                              "0000000000000000",
                              U("МЛВ (0), МЛВ (1), МСЮ (2)"),
                              U("отвечает с ошибками CRC")};
    for (int c = 0; c < 7; ++c)
        Table->setItem(0, c, new QTableWidgetItem(sample[c]));
    KeepColumnsWhole(Table);
    Table->setRowCount(0);
    v->addWidget(Table, 1);

    stateLabel =
        new QLabel(U("Отметьте скорости и номера приборов и нажмите «Начать обзор»."), this);
    stateLabel->setWordWrap(true);
    // Room for two lines from the start: a longer state does not grow the window.
    stateLabel->setMinimumHeight(2 * stateLabel->fontMetrics().lineSpacing() + 4);
    v->addWidget(stateLabel);

    auto* buttons = new QHBoxLayout;
    startButton = new QPushButton(U("&Начать обзор"), this);
    takeButton = new QPushButton(U("&Выбрать"), this);
    closeButton = new QPushButton(U("&Закрыть"), this);
    takeButton->setEnabled(false);
    buttons->addWidget(startButton);
    buttons->addStretch();
    buttons->addWidget(takeButton);
    buttons->addWidget(closeButton);
    v->addLayout(buttons);
    startButton->setDefault(true);

    connect(startButton, &QPushButton::clicked, this, [this] { StartClick(); });
    connect(takeButton, &QPushButton::clicked, this, [this] { TakeClick(); });
    // Closing mid-scan stops it, as "Стоп" does, and the window closes when the scan is over.
    KeepLiveDuringCommands(closeButton);
    connect(closeButton, &QPushButton::clicked, this, [this] {
        if (!scanning_) {
            CloseWith(mr::Cancel);
            return;
        }
        closeAfterScan_ = true;
        main_.Engine().RequestStop();
    });
    connect(Table, &QTableWidget::doubleClicked, this, [this] { TakeClick(); });
    connect(Table, &QTableWidget::itemSelectionChanged, this,
            [this] { takeButton->setEnabled(!scanning_ && Table->currentRow() >= 0); });
}

QWidget* LineScanDialog::CreateSettings() {
    auto* box = new QGroupBox(this);
    auto* grid = new QGridLayout(box);
    portBox = new QComboBox(box);
    portBox->setEditable(true);
    portBox->setInsertPolicy(QComboBox::NoInsert);
    portBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    portBox->setMinimumWidth(220);
    auto* portLabel = new QLabel(U("&Порт:"), box);
    portLabel->setBuddy(portBox);
    grid->addWidget(portLabel, 0, 0);
    grid->addWidget(portBox, 0, 1, 1, 4);

    grid->addWidget(new QLabel(U("Скорости (бит/с):"), box), 1, 0);
    for (size_t i = 0; i < Speeds.size(); ++i) {
        speedBoxes[i] = new QCheckBox(QString::number(Speeds[i]), box);
        speedBoxes[i]->setChecked(true);
        grid->addWidget(speedBoxes[i], 1, 1 + int(i));
    }

    parityBox = new QComboBox(box);
    for (const char* name : kParityNames)
        parityBox->addItem(U(name));
    stopBitsBox = new QComboBox(box);
    stopBitsBox->addItems({"1", "2"});
    auto* parityLabel = new QLabel(U("Ч&етность:"), box);
    parityLabel->setBuddy(parityBox);
    auto* stopLabel = new QLabel(U("С&топовые биты:"), box);
    stopLabel->setBuddy(stopBitsBox);
    grid->addWidget(parityLabel, 2, 0);
    grid->addWidget(parityBox, 2, 1);
    grid->addWidget(stopLabel, 2, 2);
    grid->addWidget(stopBitsBox, 2, 3);

    firstDeviceBox = new QSpinBox(box);
    lastDeviceBox = new QSpinBox(box);
    for (QSpinBox* s : {firstDeviceBox, lastDeviceBox})
        s->setRange(1, 31);
    firstDeviceBox->setValue(1);
    lastDeviceBox->setValue(31);
    auto* fromLabel = new QLabel(U("Номера приборов &с"), box);
    fromLabel->setBuddy(firstDeviceBox);
    auto* toLabel = new QLabel(U("по"), box);
    toLabel->setBuddy(lastDeviceBox);
    grid->addWidget(fromLabel, 3, 0);
    grid->addWidget(firstDeviceBox, 3, 1);
    grid->addWidget(toLabel, 3, 2, Qt::AlignRight);
    grid->addWidget(lastDeviceBox, 3, 3);
    return box;
}

void LineScanDialog::FillPortList() {
    portBox->clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        portBox->addItem(
            PortDialog::PortEntry(info.portName(), info.description(), info.manufacturer()),
            info.portName());
    for (const std::string& path : BuiltInEmulator::RunningEmulatorPorts())
        portBox->addItem(QString::fromStdString(path), QString::fromStdString(path));
    // The main window's port first when it is in the list, else as typed.
    const QString current = QString::fromStdString(main_.Engine().PortName);
    const int listed = portBox->findData(current);
    if (listed >= 0)
        portBox->setCurrentIndex(listed);
    else
        portBox->setEditText(current);
}

void LineScanDialog::BeforeShowing() {
    FillPortList();
    const ExchangeEngine& port = main_.Engine();
    for (int i = 0; i < 3; ++i)
        if (!port.Parity.empty() && port.Parity[0] == kParityLetters[i])
            parityBox->setCurrentIndex(i);
    stopBitsBox->setCurrentIndex(port.StopBits == "1" ? 0 : 1);
    portBox->setFocus();
}

bool LineScanDialog::TakePlan(ScanPlan& plan) {
    plan.speeds.clear();
    for (size_t i = 0; i < Speeds.size(); ++i)
        if (speedBoxes[i]->isChecked())
            plan.speeds.push_back(Speeds[i]);
    Operator& op = main_.Op();
    if (plan.speeds.empty()) {
        op.Tell("Отметьте хотя бы одну скорость", "Обзор линии", MsgIcon::Warning);
        return false;
    }
    plan.firstDevice = firstDeviceBox->value();
    plan.lastDevice = lastDeviceBox->value();
    if (plan.firstDevice > plan.lastDevice) {
        op.Tell("Первый номер прибора больше последнего", "Обзор линии", MsgIcon::Warning);
        return false;
    }
    // Even parity with two stop bits is not a line the device speaks (as in the port settings).
    if (parityBox->currentIndex() == 2 && stopBitsBox->currentIndex() == 1) {
        op.Tell("Четность «чет» не сочетается с двумя стоповыми битами", "Обзор линии",
                MsgIcon::Warning);
        return false;
    }
    plan.probeMs = BusScan::MinProbeMs;
    plan.latencyMs = main_.Engine().AdapterLatencyMs;
    return true;
}

void LineScanDialog::StartClick() {
    if (scanning_)
        return;
    ScanPlan plan;
    if (!TakePlan(plan))
        return;
    ExchangeEngine& engine = main_.Engine();
    auto* line = dynamic_cast<PortLine*>(&engine.Line());
    if (!line) {
        main_.Op().Tell("Обзор линии возможен только на порту этого компьютера", "Обзор линии",
                        MsgIcon::Warning);
        return;
    }
    const QString typed = portBox->currentText().trimmed();
    const int listed = portBox->findText(typed, Qt::MatchExactly);
    port_ = listed >= 0 ? portBox->itemData(listed).toString() : typed;
    parity_ = kParityLetters[parityBox->currentIndex()];
    stopBits_ = stopBitsBox->currentIndex() == 0 ? 1 : 2;

    // The main window's port as it was, to be put back after the scan.
    const std::string name = engine.PortName, speed = engine.Speed, parity = engine.Parity,
                      stopBits = engine.StopBits;
    const bool wasOpen = engine.IsOpen();
    engine.PortName = port_.toStdString();
    engine.Parity = std::string(1, parity_);
    engine.StopBits = std::to_string(stopBits_);

    found_.clear();
    Table->setRowCount(0);
    scanning_ = true;
    for (QWidget* w : std::initializer_list<QWidget*>{startButton, takeButton, portBox, parityBox,
                                                      stopBitsBox, firstDeviceBox, lastDeviceBox})
        w->setEnabled(false);
    stateLabel->setText(U("Идёт обзор линии…"));
    progress->Begin(U("Обзор линии"));
    closeAfterScan_ = false;
    int failed = 0;
    // Stays so when the command could not start.
    int code = ResultCode::Stopped;
    bool reopened = true;
    // What the scan tells on its way is shown at once; it waits for nothing but that.
    auto here = [this](const std::function<void()>& fn) { OnWindowsThread(main_, fn); };
    RunCommand(main_, [&](ExchangeEngine& engine) {
        code = ScanLine(
            engine, *line, plan,
            [&](int s) {
                engine.Speed = std::to_string(s);
                if (engine.ApplyPortSettings() == 0)
                    return true;
                here([&] { ReportError(engine, 0, ResultCode::PortCannotOpen); });
                return false;
            },
            [&](int s, int device, int done, int total) {
                here([&] {
                    progress->Share(done, total, U("%1 бит/с, прибор %2").arg(s).arg(device));
                });
            },
            &engine.Listeners(), &found_, &failed,
            [&](const ScanHit& hit) { here([&] { ShowHeard(hit); }); });
        // The main window's port as it was.
        engine.PortName = name;
        engine.Speed = speed;
        engine.Parity = parity;
        engine.StopBits = stopBits;
        if (wasOpen)
            reopened = engine.ApplyPortSettings() == 0;
        else
            engine.ClosePort();
    });
    progress->End();
    scanning_ = false;
    if (!reopened)
        ReportError(engine, 0, ResultCode::PortCannotOpen);
    for (QWidget* w : std::initializer_list<QWidget*>{startButton, portBox, parityBox, stopBitsBox,
                                                      firstDeviceBox, lastDeviceBox})
        w->setEnabled(true);
    ShowFound(code, failed);
    if (closeAfterScan_)
        CloseWith(mr::Cancel);
}

void LineScanDialog::FillRow(int row, const ScanHit& hit) {
    const bool good = hit.finding.verdict == ProbeVerdict::Found;
    const QString cells[] = {QString::number(hit.device),
                             QString::number(hit.speed),
                             ParityName(parity_),
                             QString::number(stopBits_),
                             good ? QString::fromStdString(ModificationCode(hit.finding.config))
                                  : U("?"),
                             good ? ModulesText(hit.finding.config) : U("?"),
                             StateText(hit.finding)};
    for (int c = 0; c < 7; ++c)
        Table->setItem(row, c, new QTableWidgetItem(cells[c]));
}

void LineScanDialog::ShowHeard(const ScanHit& hit) {
    // A device is listed the moment it answers; a second answer of the same one updates its row.
    int row = 0;
    for (; row < Table->rowCount(); ++row)
        if (Table->item(row, 0)->text().toInt() == hit.device &&
            Table->item(row, 1)->text().toInt() == hit.speed)
            break;
    if (row == Table->rowCount())
        Table->insertRow(row);
    FillRow(row, hit);
    KeepColumnsWhole(Table);
}

void LineScanDialog::ShowFound(int code, int failedDevice) {
    Table->setRowCount(int(found_.size()));
    for (int r = 0; r < int(found_.size()); ++r)
        FillRow(r, found_[size_t(r)]);
    // Within the table's width (a scroll bar for a longer finding): the window keeps its size.
    Table->resizeColumnsToContents();
    QString state;
    if (code == ResultCode::Stopped)
        state = U("Обзор прерван. ");
    if (found_.empty())
        state += U("Ни один прибор не ответил.");
    else
        state += U("Найдено приборов: %1. Двойной щелчок или Enter выбирает прибор для "
                   "главного окна.")
                     .arg(found_.size());
    stateLabel->setText(state);
    if (code == ResultCode::PortFailure)
        ReportError(main_.Engine(), failedDevice - 1, code);
    if (!found_.empty()) {
        Table->selectRow(0);
        Table->setFocus();
        takeButton->setEnabled(true);
        takeButton->setDefault(true);
    }
}

void LineScanDialog::TakeClick() {
    const int row = Table->currentRow();
    if (scanning_ || row < 0 || row >= int(found_.size()))
        return;
    const ScanHit& hit = found_[size_t(row)];
    chosen_ = {port_, hit.speed, parity_, stopBits_, hit.device};
    CloseWith(mr::Ok);
}

bool LineScanDialog::CanClose(int&) {
    // A close that comes while the scan runs is the stop's; the window stays until it ends.
    return !scanning_;
}
