#include "report/obrinform.h"

#include "dialogs/cp1251.h"
#include "dialogs/lummain.h"
#include "dialogs/obrtext_mb.h"
#include "dialogs/obrvh_mb.h"
#include "dialogs/uitext.h"
#include "model/keyfilters.h"
#include "model/operator.h"
#include "model/proglumclass.h"
#include "model/reservblocks.h"
#include "model/servclass.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

namespace {
struct Column {
    const char* header;
    int width;
};
const Column kColumns[TInform::KolCol] = {
    {"  № ", 43},      {"Идентификатор ", 137}, {"   Адрес", 71}, {"Текст.реквизит", 132},
    {"вых на МР", 84},
};

// The label dialog closes with 2 whichever way it is closed, and its text is then taken.
constexpr int TextAccepted = mr::Cancel;
} // namespace

TInform::TInform(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    FormCreate();
}

void TInform::FormCreate() {
    setWindowTitle(U("Информация о входах"));
    auto* v = new QVBoxLayout(this);
    Label1 = new QLabel(U("Дискретные сигналы"), this);
    Label1->setStyleSheet("font-weight: bold");
    v->addWidget(Label1, 0, Qt::AlignHCenter);

    StringGrid1 = new QTableWidget(KolRow, KolCol, this);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setWordWrap(false);
    int width = 0;
    for (int c = 0; c < KolCol; ++c) {
        auto* header = new QTableWidgetItem(U(kColumns[c].header));
        header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        StringGrid1->setHorizontalHeaderItem(c, header);
        StringGrid1->setColumnWidth(c, kColumns[c].width);
        width += kColumns[c].width;
    }
    StringGrid1->setMinimumSize(width + 24, 400);
    v->addWidget(StringGrid1, 1);

    PopupMenu1 = new QMenu(this);
    CopyTextGroup = PopupMenu1->addAction(U("Копировать группу текст. реквизитов"));
    InsertTextGroup = PopupMenu1->addAction(U("Заменить группу текст. реквизитов"));
    InsertTextGroup->setEnabled(false); // nothing has been copied yet
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);

    BNew1 = new QPushButton(U("Создание и печать файла .rtf"), this);
    v->addWidget(BNew1, 0, Qt::AlignHCenter);

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setReadOnly(true);
    RichEdit1->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    RichEdit1->hide();

    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { StringGrid1DblClick(); });
    connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        StringGrid1MouseDown();
        PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(at));
    });
    connect(CopyTextGroup, &QAction::triggered, this, [this] { CopyTextGroupClick(); });
    connect(InsertTextGroup, &QAction::triggered, this, [this] { InsertTextGroupClick(); });
    connect(BNew1, &QPushButton::clicked, this, [this] { BNew1Click(); });
}

void TInform::showEvent(QShowEvent* event) {
    TLumDialog::showEvent(event);
    StringGrid1->setFocus();
}

QString TInform::Cell(int c, int r) const {
    if (r < 1 || r > KolRow || c < 0 || c >= KolCol)
        return QString();
    const QTableWidgetItem* item = StringGrid1->item(r - 1, c);
    return item ? item->text() : QString();
}

void TInform::SetCell(int c, int r, const QString& text) {
    QTableWidgetItem* item = StringGrid1->item(r - 1, c);
    if (item)
        item->setText(text);
    else
        StringGrid1->setItem(r - 1, c, new QTableWidgetItem(text));
}

int TInform::KolVh() const {
    return main_.Serv().GetKolVh();
}

void TInform::ClearRows() {
    for (int r = 1; r <= KolRow; ++r)
        for (int c = 0; c < KolCol; ++c)
            if (StringGrid1->item(r - 1, c))
                SetCell(c, r, QString());
}

void TInform::FillRows() {
    const TServClass& serv = main_.Serv();
    for (int i = 0; i < KolVh(); ++i) {
        const int r = i + 1;
        SetCell(0, r, QString::number(r));
        SetCell(1, r, QString::fromStdString(serv.GetIdVh(i)));
        SetCell(2, r, " 0x" + QStringLiteral("%1").arg(i, 2, 16, QChar('0')).toUpper());
        SetCell(ColText, r, FromCp1251(serv.GetTextVh(i)));
    }
}

void TInform::RefreshLabels() {
    for (int i = 0; i < KolVh(); ++i)
        SetCell(ColText, i + 1, FromCp1251(main_.Serv().GetTextVh(i)));
}

void TInform::FillAndShow() {
    ClearRows();
    RichEdit1->clear();
    // A showing for reference hides the report button; the main window's table has it.
    BNew1->show();
    FillRows();
    main_.showModal(*this);
}

void TInform::ShowForReference() {
    ClearRows();
    RichEdit1->clear();
    RichEdit1->hide();
    BNew1->hide();
    FillRows();
    for (int r = 1; r <= KolVh(); ++r)
        SetCell(4, r, QString(8, ' '));
    main_.showModal(*this);
}

void TInform::StringGrid1DblClick() {
    const int c = StringGrid1->currentColumn();
    const int r = StringGrid1->currentRow() + 1;
    LastCol = c;
    if (r < 1 || r > KolVh() || c != ColText)
        return;
    TServClass& serv = main_.Serv();
    TFormText& dialog = *main_.Windows().FormText;
    const int i = r - 1;
    dialog.SetHeading(r, QString::fromStdString(serv.GetIdVh(i)));
    dialog.FillFrom(i);
    if (main_.showModal(dialog) == TextAccepted)
        dialog.StoreTo(i);
    SetCell(ColText, r, FromCp1251(serv.GetTextVh(i)));
    if (serv.FlagText == 1 && serv.FlagFile == 1)
        serv.FlagChange = 1;
    serv.FlagText = 0;
}

void TInform::StringGrid1MouseDown() {
    LastCol = StringGrid1->currentColumn();
}

long long TInform::FieldNumber(const QLineEdit* field) {
    long long value = 0;
    if (!ParseDecimal(field->text().toStdString(), value) || value < 1)
        return 0;
    return value;
}

void TInform::WarnWrongNumber() {
    main_.Op().Tell("Неверно задан № входа", "Предупреждение", MsgIcon::Warning);
}

void TInform::CopyTextGroupClick() {
    if (LastCol != ColText)
        return;
    TFormVh& dialog = *main_.Windows().FormVh;
    dialog.PrepareGroupMode();
    if (main_.showModal(dialog) != TFormVh::Accepted)
        return;
    const long long first = FieldNumber(dialog.Edit1);
    const long long last = FieldNumber(dialog.Edit2);
    const long long n = KolVh();
    if (first < 1 || first > n || last > n || first > last) {
        WarnWrongNumber();
        return;
    }
    TCopyBlocksClass& copy = main_.CopyBlocks();
    const TServClass& serv = main_.Serv();
    for (long long i = first - 1; i < last; ++i)
        std::memcpy(copy.CopyText[i], serv.TextVh[i], TServClass::TextLen);
    copy.FirstCopy = int(first - 1);
    copy.LastCopy = int(last - 1);
    InsertTextGroup->setEnabled(true);
}

void TInform::InsertTextGroupClick() {
    // The scheme of the module counts as edited as soon as a replacement is asked for.
    main_.ProgLum().FlagScheme = 1;
    TFormVh& dialog = *main_.Windows().FormVh;
    dialog.PrepareInsertMode();
    if (main_.showModal(dialog) != TFormVh::Accepted)
        return;
    const long long d = FieldNumber(dialog.Edit3);
    const int n = KolVh();
    if (d < 1 || d > n) {
        WarnWrongNumber();
        return;
    }
    const TCopyBlocksClass& copy = main_.CopyBlocks();
    TServClass& serv = main_.Serv();
    TProgLumClass& lum = main_.ProgLum();
    // The clipboard is plain data; never reach outside its 36 rows.
    const int from = std::max(copy.FirstCopy, 0);
    const int to = std::min(copy.LastCopy, TServClass::KolVhMax - 1);
    bool changed = false;
    for (int src = from, dst = int(d - 1); src <= to && dst < n; ++src, ++dst) {
        if (std::memcmp(serv.TextVh[dst], copy.CopyText[src], TServClass::TextLen) != 0)
            changed = true;
        std::memcpy(serv.TextVh[dst], copy.CopyText[src], TServClass::TextLen);
        lum.FlagNoRead = 1;
    }
    // Replaced labels of a file are offered for saving like any other label edit.
    if (changed && serv.FlagFile == 1)
        serv.FlagChange = 1;
    if (lum.FlagNoRead == 1)
        RefreshLabels();
}
