#include "dialogs/obrvh_mb.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "model/keyfilters.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QLineEdit* NumberField(QWidget* parent, Operator& op) {
    auto* e = new QLineEdit(parent);
    e->setMaxLength(10);
    e->setFixedWidth(70);
    InstallKeyFilter(e, KeyFilterKind::Decimal, op);
    return e;
}

// Pasted text may be anything; only a whole number above 0 is an input number.
bool IsInputNumber(const QString& text) {
    long long value = 0;
    return ParseDecimal(text.toStdString(), value) && value > 0;
}
} // namespace

TFormVh::TFormVh(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    // Only OK and Cancel close this dialog.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* v = new QGridLayout(this);
    // The dialog takes the size of the one group its caller shows.
    v->setSizeConstraint(QLayout::SetFixedSize);
    GroupBox2 = new QGroupBox(this);
    auto* g2 = new QGridLayout(GroupBox2);
    Edit1 = NumberField(GroupBox2, main_.Op());
    Edit2 = NumberField(GroupBox2, main_.Op());
    g2->addWidget(new QLabel(U("Начальный № группы"), GroupBox2), 0, 0);
    g2->addWidget(Edit1, 0, 1);
    g2->addWidget(new QLabel(U("Конечный № группы"), GroupBox2), 1, 0);
    g2->addWidget(Edit2, 1, 1);
    // Room right of the fields for the error marker, which starts 5 pixels into a field.
    g2->setColumnMinimumWidth(2, 40);
    GroupBox3 = new QGroupBox(this);
    auto* g3 = new QGridLayout(GroupBox3);
    Edit3 = NumberField(GroupBox3, main_.Op());
    g3->addWidget(new QLabel(U("Заменить группу,       начиная с   №"), GroupBox3), 0, 0);
    g3->addWidget(Edit3, 0, 1);
    g3->setColumnMinimumWidth(2, 40);
    OK = new QPushButton("OK", this);
    Cancel = new QPushButton(U("Отмена"), this);
    v->addWidget(GroupBox2, 0, 0, 1, 2);
    v->addWidget(GroupBox3, 1, 0, 1, 2);
    v->addWidget(OK, 2, 0);
    v->addWidget(Cancel, 2, 1);
    GroupBox2->hide();
    GroupBox3->hide();
    ErrorText = new TErrorMarker(this);
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(Accepted); });
    connect(Cancel, &QPushButton::clicked, this, [this] { CloseWith(Cancelled); });
    SetCloseBoxResult(Cancelled);
}

void TFormVh::PrepareGroupMode() {
    setWindowTitle(U("Ввод номеров группы текстовых реквизитов"));
    GroupBox2->show();
    GroupBox3->hide();
}

void TFormVh::PrepareInsertMode() {
    setWindowTitle(U("Ввод начального № вставки"));
    GroupBox2->hide();
    GroupBox3->show();
}

void TFormVh::showEvent(QShowEvent* event) {
    TLumDialog::showEvent(event);
    ErrorText->hide();
    (GroupBox2->isVisibleTo(this) ? Edit1 : Edit3)->setFocus();
}

QLineEdit* TFormVh::FirstWrongField() const {
    if (GroupBox2->isVisibleTo(this)) {
        for (QLineEdit* e : {Edit1, Edit2})
            if (!IsInputNumber(e->text()))
                return e;
    }
    if (GroupBox3->isVisibleTo(this) && !IsInputNumber(Edit3->text()))
        return Edit3;
    return nullptr;
}

bool TFormVh::CanClose(int& result) {
    if (result == Cancelled)
        return true;
    if (QLineEdit* wrong = FirstWrongField()) {
        ShowErrorText(wrong, ErrorText);
        return false;
    }
    result = Accepted;
    return true;
}
