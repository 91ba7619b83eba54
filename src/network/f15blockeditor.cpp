#include "network/f15blockeditor.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/fieldcheck.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/keyfilters.h"
#include "model/networkblocks.h"
#include "network/networkwindow.h"
#include "network/networkwrite.h"
#include "report/inputstable.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int F15FunctionCode = 15;
constexpr int SlaveAddressCount = 32;

QLineEdit* NumberField(const QString& name, const char* text, int maxLength, int width,
                       QWidget* parent) {
    auto* field = new QLineEdit(QString::fromLatin1(text), parent);
    field->setObjectName(name);
    field->setMaxLength(maxLength);
    field->setFixedWidth(width);
    return field;
}
} // namespace

F15BlockEditor::F15BlockEditor(WindowContext& main, NetworkWindow* blockList, QWidget* parent)
    : LumDialog(parent), main_(main), blockList_(blockList) {
    setWindowTitle(U("Программирование функционального блока MBM"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateHeading());
    layout->addWidget(CreateRequestGroup());
    layout->addWidget(CreateSignalGroup());
    Progress = new ExchangeProgress(main_, this);
    // Its row keeps its place between writes (the bar and "Стоп" hidden), so that the window
    // does not grow when a write starts.
    progressBar = Progress->Bar();
    layout->addWidget(Progress);
    inputsTableButton = new QPushButton(U("Входные сигналы"), this);
    OK = new QPushButton("OK", this);
    for (QPushButton* b : {inputsTableButton, OK})
        b->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(inputsTableButton);
    bottom->addStretch();
    bottom->addWidget(OK);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Created last so that it lies above every field it marks.
    errorMarker = new ErrorMarker(this);

    // Tab order: the number of inputs is the first control (the close query starts there),
    // then the request, the signals and the buttons.
    QWidget* order[] = {inputCountEdit, functionCodeEdit, deviceNumberBox, startAddressEdit,
                        dataCountEdit};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    setTabOrder(dataCountEdit, signalEdits[0]);
    for (int k = 1; k < SignalCount; ++k)
        setTabOrder(signalEdits[k - 1], signalEdits[k]);
    setTabOrder(signalEdits[SignalCount - 1], inputsTableButton);
    setTabOrder(inputsTableButton, OK);
    ConnectEditing();
}

F15BlockEditor::~F15BlockEditor() {
    // The fields lose the focus while the widget part is taken down; this part is gone by then.
    disconnect(focusWatch_);
}

QWidget* F15BlockEditor::CreateHeading() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    blockLabel = new QLabel(U("Функциональный блок ModBus Master  Ф15"), box);
    masterLabel = new QLabel("1", box);
    for (QLabel* l : {blockLabel, masterLabel})
        l->setStyleSheet("font-weight: bold");
    inputCountEdit = NumberField("inputCountEdit", "00", 2, 40, box);
    inputCountEdit->setToolTip(U("для ЮКС-03 - 16 или 32, для других <=32"));
    acknowledgeButton = new QToolButton(box);
    resetButton = new QToolButton(box);
    for (QToolButton* b : {acknowledgeButton, resetButton}) {
        b->setCheckable(true);
        b->setFixedSize(24, 24);
        // A switch, not a field: pressing it leaves the focus where it was.
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(U("Кнопка внешнего квитирования"));
        // Down must be told from up at a glance.
        b->setStyleSheet("QToolButton { border: 1px solid gray; background: white; }"
                         "QToolButton:checked { border: 2px inset gray; background: #3a6ea5; }");
    }
    grid->addWidget(blockLabel, 0, 0, 1, 3);
    grid->addWidget(masterLabel, 0, 3);
    grid->addWidget(new QLabel(U("Количество  входов блока      "), box), 1, 0);
    grid->addWidget(inputCountEdit, 1, 1);
    auto* switches = new QHBoxLayout;
    switches->addSpacing(20);
    switches->addWidget(acknowledgeButton);
    switches->addWidget(new QLabel(U("Квитирование"), box));
    switches->addSpacing(12);
    switches->addWidget(resetButton);
    switches->addWidget(new QLabel(U("Сброс"), box));
    switches->addStretch();
    grid->addLayout(switches, 1, 2, 1, 2);
    return box;
}

QWidget* F15BlockEditor::CreateRequestGroup() {
    auto* box = new QGroupBox(U("Данные запроса протокола ModBus"), this);
    auto* grid = new QGridLayout(box);
    functionCodeEdit = NumberField("functionCodeEdit", "0", 2, 40, box);
    startAddressEdit = NumberField("startAddressEdit", "0000", 4, 56, box);
    dataCountEdit = NumberField("dataCountEdit", "00", 2, 40, box);
    deviceNumberBox = new QComboBox(box);
    for (int a = 1; a <= SlaveAddressCount; ++a)
        deviceNumberBox->addItem(QString::number(a));
    deviceNumberBox->setCurrentIndex(-1);
    const std::pair<const char*, QWidget*> rows[] = {
        {"Код функции    ModBus", functionCodeEdit},
        {"Адрес Slave в локальной  сети", deviceNumberBox},
        {"Начальный адрес данных в запросе (Hex) ", startAddressEdit},
        {"Количество  данных в запросе  (Dec) ", dataCountEdit},
    };
    int r = 0;
    for (const auto& [caption, field] : rows) {
        grid->addWidget(new QLabel(U(caption), box), r, 0);
        grid->addWidget(field, r++, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);
    return box;
}

QWidget* F15BlockEditor::CreateSignalGroup() {
    auto* box = new QGroupBox(U("Номера  дискретных сигналов"), this);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel(U("   1-36   --   номера входных сигналов "), box));
    auto* grid = new QGridLayout;
    constexpr int PerRow = 8;
    for (int k = 0; k < SignalCount; ++k) {
        signalEdits[k] = NumberField("Edit" + QString::number(k + 1), "0", 3, 40, box);
        signalEdits[k]->setEnabled(false);
        auto* label = new QLabel(QString::number(k + 1), box);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(label, k / PerRow, 2 * (k % PerRow));
        grid->addWidget(signalEdits[k], k / PerRow, 2 * (k % PerRow) + 1);
    }
    layout->addLayout(grid);
    return box;
}

void F15BlockEditor::ConnectEditing() {
    Operator& op = main_.Op();
    for (QLineEdit* field : {inputCountEdit, functionCodeEdit, dataCountEdit})
        InstallKeyFilter(field, KeyFilterKind::Decimal, op);
    for (QLineEdit* field : signalEdits)
        InstallKeyFilter(field, KeyFilterKind::Decimal, op);
    InstallKeyFilter(startAddressEdit, KeyFilterKind::Hex, op);
    // Installed after the key filters, so that it sees the keys first.
    for (QLineEdit* field : {inputCountEdit, functionCodeEdit, dataCountEdit, startAddressEdit})
        field->installEventFilter(this);
    for (QLineEdit* field : signalEdits)
        field->installEventFilter(this);

    // A count the operator types is theirs: leaving the field then applies it.
    connect(inputCountEdit, &QLineEdit::textEdited, this, [this] { inputCountByQuery_ = false; });
    connect(inputsTableButton, &QPushButton::clicked, this, [this] { InputsTableClick(); });
    connect(OK, &QPushButton::clicked, this, [this] { OKClick(); });
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this,
                          [this](QWidget* old, QWidget* now) { FocusChanged(old, now); });
}

bool F15BlockEditor::eventFilter(QObject* watched, QEvent* event) {
    // Tab and Shift+Tab only move between the fields: the key filters must not take them for
    // input (the accepted Enter moves on with a Tab of its own, too).
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ControlModifier))
            return focusNextPrevChild(true);
        if (key->key() == Qt::Key_Backtab)
            return focusNextPrevChild(false);
    }
    return LumDialog::eventFilter(watched, event);
}

void F15BlockEditor::FillBlock(int n) {
    block_ = n - 1;
    failed_ = false;
    inputCountByQuery_ = false;
    closePending_ = false;
    errorMarker->hide();
    filling_ = true;
    masterLabel->setText(QString::number(n));
    if (main_.Network().GetFunctionCode(block_) != 0)
        FillExisting();
    else
        FillEmpty();
    filling_ = false;
    functionCodeEdit->setFocus();
}

void F15BlockEditor::FillExisting() {
    NetworkBlocks& f15 = main_.Network();
    functionCodeEdit->setText(QString::number(f15.GetFunctionCode(block_)));
    // A slave address of 0 (or one no list entry stands for) selects nothing.
    const int adr = f15.GetSlaveAddress(block_);
    deviceNumberBox->setCurrentIndex(adr >= 1 && adr <= SlaveAddressCount ? adr - 1 : -1);
    acknowledgeButton->setChecked(f15.GetAcknowledge(block_) != 0);
    resetButton->setChecked(f15.GetReset(block_) != 0);
    const int inputCount = f15.GetInputCount(block_);
    inputCountEdit->setText(QString::number(inputCount));
    startAddressEdit->setText(
        QString("%1").arg(f15.GetStartAddress(block_), 4, 16, QChar('0')).toUpper());
    dataCountEdit->setText(QString::number(f15.GetDataCount(block_)));
    // Fields past the block's inputs are not part of it: they show "0" rather than whatever
    // the previous opening left there.
    for (int k = 0; k < SignalCount; ++k) {
        const bool used = k < inputCount;
        signalEdits[k]->setEnabled(used);
        signalEdits[k]->setText(QString::number(used ? f15.GetSignal(block_, k) : 0));
    }
}

void F15BlockEditor::FillEmpty() {
    functionCodeEdit->setText("0");
    deviceNumberBox->setCurrentIndex(-1);
    inputCountEdit->setText("00");
    dataCountEdit->setText("00");
    startAddressEdit->setText("0000");
    for (QLineEdit* field : signalEdits) {
        field->setEnabled(false);
        field->setText("0");
    }
    acknowledgeButton->setChecked(false);
    resetButton->setChecked(false);
}

void F15BlockEditor::InputsTableClick() {
    InputsTableWindow table(main_, parentWidget());
    inputsTable_ = &table;
    table.ShowForReference();
}

void F15BlockEditor::ShowLabelsAgain() {
    if (inputsTable_)
        inputsTable_->RefreshLabels();
}

void F15BlockEditor::FocusChanged(QWidget* old, QWidget* now) {
    // Only a move inside this window leaves a field; a message box taking the focus does not.
    if (moveFocus_ || !isVisible() || !now || now->window() != this)
        return;
    FieldLeft(old);
}

void F15BlockEditor::FieldLeft(QWidget* field) {
    if (field == functionCodeEdit) {
        FunctionCodeLeft();
    } else if (field == inputCountEdit) {
        const bool byQuery = inputCountByQuery_;
        inputCountByQuery_ = false;
        if (!byQuery)
            InputCountLeft();
    }
}

void F15BlockEditor::FunctionCodeLeft() {
    NetworkBlocks& f15 = main_.Network();
    long long value = -1;
    const bool number = ParseDecimal(functionCodeEdit->text().toStdString(), value);
    if (number && value == 0 && f15.GetFunctionCode(block_) == 0)
        return;
    if (number && value == F15FunctionCode) {
        f15.PutFunctionCode(block_, F15FunctionCode);
        return;
    }
    ShowErrorText(functionCodeEdit, errorMarker);
    if (inQuery_) {
        failed_ = true;
        return;
    }
    // The close query follows at once, once the focus change that brought us here is over.
    closePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (closePending_ && isVisible())
                CloseWith(mr::Yes);
        },
        Qt::QueuedConnection);
}

void F15BlockEditor::InputCountLeft() {
    for (QLineEdit* field : signalEdits) {
        field->setEnabled(false);
        field->setText("0");
    }
    long long value = 0;
    if (!ParseDecimal(inputCountEdit->text().toStdString(), value)) {
        ShowErrorText(inputCountEdit, errorMarker);
        inputCountEdit->setText(QString::number(main_.Network().GetInputCount(block_)));
        return;
    }
    const int used = int(std::clamp<long long>(value, 0, SignalCount));
    for (int k = 0; k < used; ++k)
        signalEdits[k]->setEnabled(true);
}

void F15BlockEditor::OKClick() {
    CloseWith(mr::Cancel);
}

void F15BlockEditor::SaveClick() {
    WriteNetworkWithProgress(main_, *Progress);
}
