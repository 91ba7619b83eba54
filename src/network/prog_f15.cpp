#include "network/prog_f15.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/fieldcheck.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "model/keyfilters.h"
#include "model/progf15class.h"
#include "network/networkwrite.h"
#include "report/obrinform.h"

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
constexpr int KodF15 = 15;
constexpr int KolAdrSlave = 32;

QLineEdit* NumberField(const QString& name, const char* text, int maxLength, int width,
                       QWidget* parent) {
    auto* field = new QLineEdit(QString::fromLatin1(text), parent);
    field->setObjectName(name);
    field->setMaxLength(maxLength);
    field->setFixedWidth(width);
    return field;
}
} // namespace

TFormF15::TFormF15(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(U("Программирование функционального блока MBM"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateHeading());
    layout->addWidget(CreateRequestGroup());
    layout->addWidget(CreateSignalGroup());
    Progress = new ExchangeProgress(main_, this);
    Progress->hide(); // takes no room until a write runs
    ProgressBar1 = Progress->Bar();
    layout->addWidget(Progress);
    InformBut = new QPushButton(U("Входные сигналы"), this);
    OK = new QPushButton("OK", this);
    for (QPushButton* b : {InformBut, OK})
        b->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(InformBut);
    bottom->addStretch();
    bottom->addWidget(OK);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Created last so that it lies above every field it marks.
    ErrorText = new TErrorMarker(this);

    // Tab order: the number of inputs is the first control (the close query starts there),
    // then the request, the signals and the buttons.
    QWidget* order[] = {EditKolVh, EditKodF, CBoxUstr, EditAdBegDat, EditKolDat};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    setTabOrder(EditKolDat, Edit[0]);
    for (int k = 1; k < KolSign; ++k)
        setTabOrder(Edit[k - 1], Edit[k]);
    setTabOrder(Edit[KolSign - 1], InformBut);
    setTabOrder(InformBut, OK);
    ConnectEditing();
}

TFormF15::~TFormF15() {
    // The fields lose the focus while the widget part is taken down; this part is gone by then.
    disconnect(focusWatch_);
}

QWidget* TFormF15::CreateHeading() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    LabFB = new QLabel(U("Функциональный блок ModBus Master  Ф15"), box);
    LabN_MBM = new QLabel("1", box);
    for (QLabel* l : {LabFB, LabN_MBM})
        l->setStyleSheet("font-weight: bold");
    EditKolVh = NumberField("EditKolVh", "00", 2, 40, box);
    EditKolVh->setToolTip(U("для ЮКС-03 - 16 или 32, для других <=32"));
    Kvit = new QToolButton(box);
    Sbros = new QToolButton(box);
    for (QToolButton* b : {Kvit, Sbros}) {
        b->setCheckable(true);
        b->setFixedSize(24, 24);
        // A switch, not a field: pressing it leaves the focus where it was.
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(U("Кнопка внешнего квитирования"));
        // Down must be told from up at a glance.
        b->setStyleSheet("QToolButton { border: 1px solid gray; background: white; }"
                         "QToolButton:checked { border: 2px inset gray; background: #3a6ea5; }");
    }
    grid->addWidget(LabFB, 0, 0, 1, 3);
    grid->addWidget(LabN_MBM, 0, 3);
    grid->addWidget(new QLabel(U("Количество  входов блока      "), box), 1, 0);
    grid->addWidget(EditKolVh, 1, 1);
    auto* switches = new QHBoxLayout;
    switches->addSpacing(20);
    switches->addWidget(Kvit);
    switches->addWidget(new QLabel(U("Квитирование"), box));
    switches->addSpacing(12);
    switches->addWidget(Sbros);
    switches->addWidget(new QLabel(U("Сброс"), box));
    switches->addStretch();
    grid->addLayout(switches, 1, 2, 1, 2);
    return box;
}

QWidget* TFormF15::CreateRequestGroup() {
    auto* box = new QGroupBox(U("Данные запроса протокола ModBus"), this);
    auto* grid = new QGridLayout(box);
    EditKodF = NumberField("EditKodF", "0", 2, 40, box);
    EditAdBegDat = NumberField("EditAdBegDat", "0000", 4, 56, box);
    EditKolDat = NumberField("EditKolDat", "00", 2, 40, box);
    CBoxUstr = new QComboBox(box);
    for (int a = 1; a <= KolAdrSlave; ++a)
        CBoxUstr->addItem(QString::number(a));
    CBoxUstr->setCurrentIndex(-1);
    const std::pair<const char*, QWidget*> rows[] = {
        {"Код функции    ModBus", EditKodF},
        {"Адрес Slave в локальной  сети", CBoxUstr},
        {"Начальный адрес данных в запросе (Hex) ", EditAdBegDat},
        {"Количество  данных в запросе  (Dec) ", EditKolDat},
    };
    int r = 0;
    for (const auto& [caption, field] : rows) {
        grid->addWidget(new QLabel(U(caption), box), r, 0);
        grid->addWidget(field, r++, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);
    return box;
}

QWidget* TFormF15::CreateSignalGroup() {
    auto* box = new QGroupBox(U("Номера  дискретных сигналов"), this);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel(U("   1-36   --   номера входных сигналов "), box));
    auto* grid = new QGridLayout;
    constexpr int PerRow = 8;
    for (int k = 0; k < KolSign; ++k) {
        Edit[k] = NumberField("Edit" + QString::number(k + 1), "0", 3, 40, box);
        Edit[k]->setEnabled(false);
        auto* label = new QLabel(QString::number(k + 1), box);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(label, k / PerRow, 2 * (k % PerRow));
        grid->addWidget(Edit[k], k / PerRow, 2 * (k % PerRow) + 1);
    }
    layout->addLayout(grid);
    return box;
}

void TFormF15::ConnectEditing() {
    Operator& op = main_.Op();
    for (QLineEdit* field : {EditKolVh, EditKodF, EditKolDat})
        InstallKeyFilter(field, KeyFilterKind::Decimal, op);
    for (QLineEdit* field : Edit)
        InstallKeyFilter(field, KeyFilterKind::Decimal, op);
    InstallKeyFilter(EditAdBegDat, KeyFilterKind::Hex, op);
    // Installed after the key filters, so that it sees the keys first.
    for (QLineEdit* field : {EditKolVh, EditKodF, EditKolDat, EditAdBegDat})
        field->installEventFilter(this);
    for (QLineEdit* field : Edit)
        field->installEventFilter(this);

    for (QLineEdit* field : {EditKolVh, EditKodF, EditAdBegDat, EditKolDat})
        connect(field, &QLineEdit::textChanged, this, [this] { EditKolVhChange(); });
    for (QLineEdit* field : Edit)
        connect(field, &QLineEdit::textChanged, this, [this] { EditKolVhChange(); });
    connect(CBoxUstr, &QComboBox::currentIndexChanged, this, [this] { EditKolVhChange(); });
    // A count the operator types is theirs: leaving the field then applies it.
    connect(EditKolVh, &QLineEdit::textEdited, this, [this] { kolVhByQuery_ = false; });
    connect(Kvit, &QToolButton::clicked, this, [this] { KvitClick(); });
    connect(Sbros, &QToolButton::clicked, this, [this] { SbrosClick(); });
    connect(InformBut, &QPushButton::clicked, this, [this] { InformButClick(); });
    connect(OK, &QPushButton::clicked, this, [this] { OKClick(); });
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this,
                          [this](QWidget* old, QWidget* now) { FocusChanged(old, now); });
}

bool TFormF15::eventFilter(QObject* watched, QEvent* event) {
    // Tab and Shift+Tab only move between the fields: the key filters must not take them for
    // input (the accepted Enter moves on with a Tab of its own, too).
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ControlModifier))
            return focusNextPrevChild(true);
        if (key->key() == Qt::Key_Backtab)
            return focusNextPrevChild(false);
    }
    return TLumDialog::eventFilter(watched, event);
}

void TFormF15::FillBlock(int n) {
    block_ = n - 1;
    failed_ = false;
    kolVhByQuery_ = false;
    closePending_ = false;
    ErrorText->hide();
    filling_ = true;
    LabN_MBM->setText(QString::number(n));
    if (main_.ProgF15().GetKodF(block_) != 0)
        FillExisting();
    else
        FillEmpty();
    filling_ = false;
    EditKodF->setFocus();
}

void TFormF15::FillExisting() {
    TProgF15Class& f15 = main_.ProgF15();
    EditKodF->setText(QString::number(f15.GetKodF(block_)));
    // A slave address of 0 (or one no list entry stands for) selects nothing.
    const int adr = f15.GetAdrSlave(block_);
    CBoxUstr->setCurrentIndex(adr >= 1 && adr <= KolAdrSlave ? adr - 1 : -1);
    f15.FlagNoChangeCopy = f15.FlagNoChange;
    Kvit->setChecked(f15.GetKvit(block_) != 0);
    Sbros->setChecked(f15.GetSbros(block_) != 0);
    f15.FlagNoChange = f15.FlagNoChangeCopy;
    const int kolVh = f15.GetKolVh(block_);
    EditKolVh->setText(QString::number(kolVh));
    EditAdBegDat->setText(QString("%1").arg(f15.GetAdrBegDat(block_), 4, 16, QChar('0')).toUpper());
    EditKolDat->setText(QString::number(f15.GetKolDat(block_)));
    // Fields past the block's inputs are not part of it: they show "0" rather than whatever
    // the previous opening left there.
    for (int k = 0; k < KolSign; ++k) {
        const bool used = k < kolVh;
        Edit[k]->setEnabled(used);
        Edit[k]->setText(QString::number(used ? f15.GetNumSign(block_, k) : 0));
    }
}

void TFormF15::FillEmpty() {
    EditKodF->setText("0");
    CBoxUstr->setCurrentIndex(-1);
    EditKolVh->setText("00");
    EditKolDat->setText("00");
    EditAdBegDat->setText("0000");
    for (QLineEdit* field : Edit) {
        field->setEnabled(false);
        field->setText("0");
    }
    Kvit->setChecked(false);
    Sbros->setChecked(false);
}

void TFormF15::EditKolVhChange() {
    if (!filling_)
        main_.ProgF15().FlagNoChange = false;
}

void TFormF15::KvitClick() {
    main_.ProgF15().FlagNoChange = false;
}

void TFormF15::SbrosClick() {
    main_.ProgF15().FlagNoChange = false;
}

void TFormF15::InformButClick() {
    if (TInform* inform = main_.Windows().Inform)
        inform->ShowForReference();
}

void TFormF15::FocusChanged(QWidget* old, QWidget* now) {
    // Only a move inside this window leaves a field; a message box taking the focus does not.
    if (moveFocus_ || !isVisible() || !now || now->window() != this)
        return;
    FieldLeft(old);
}

void TFormF15::FieldLeft(QWidget* field) {
    if (field == EditKodF) {
        EditKodFExit();
    } else if (field == EditKolVh) {
        const bool byQuery = kolVhByQuery_;
        kolVhByQuery_ = false;
        if (!byQuery)
            EditKolVhExit();
    }
}

void TFormF15::EditKodFExit() {
    TProgF15Class& f15 = main_.ProgF15();
    long long value = -1;
    const bool number = ParseDecimal(EditKodF->text().toStdString(), value);
    if (number && value == 0 && f15.GetKodF(block_) == 0)
        return;
    if (number && value == KodF15) {
        f15.PutKodF(block_, KodF15);
        return;
    }
    ShowErrorText(EditKodF, ErrorText);
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

void TFormF15::EditKolVhExit() {
    for (QLineEdit* field : Edit) {
        field->setEnabled(false);
        field->setText("0");
    }
    long long value = 0;
    if (!ParseDecimal(EditKolVh->text().toStdString(), value)) {
        ShowErrorText(EditKolVh, ErrorText);
        EditKolVh->setText(QString::number(main_.ProgF15().GetKolVh(block_)));
        return;
    }
    const int used = int(std::clamp<long long>(value, 0, KolSign));
    for (int k = 0; k < used; ++k)
        Edit[k]->setEnabled(true);
}

void TFormF15::OKClick() {
    CloseWith(mr::Cancel);
}

void TFormF15::SaveClick() {
    WriteNetworkWithProgress(main_, *Progress);
}
