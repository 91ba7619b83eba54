#include "dialogs/inputgroupdialog.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
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
long long InputNumber(const QString& text) {
    long long value = 0;
    return ParseDecimal(text.toStdString(), value) && value > 0 ? value : 0;
}
bool IsInputNumber(const QString& text) {
    return InputNumber(text) > 0;
}
} // namespace

InputGroupDialog::InputGroupDialog(WindowContext& main, QWidget* parent)
    : LumDialog(parent), main_(main) {
    // Only OK and Cancel close this dialog.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* v = new QGridLayout(this);
    // The dialog takes the size of the one group its caller shows.
    v->setSizeConstraint(QLayout::SetFixedSize);
    rangeGroup = new QGroupBox(this);
    auto* g2 = new QGridLayout(rangeGroup);
    firstInputEdit = NumberField(rangeGroup, main_.Op());
    lastInputEdit = NumberField(rangeGroup, main_.Op());
    g2->addWidget(new QLabel(U("Начальный № группы"), rangeGroup), 0, 0);
    g2->addWidget(firstInputEdit, 0, 1);
    g2->addWidget(new QLabel(U("Конечный № группы"), rangeGroup), 1, 0);
    g2->addWidget(lastInputEdit, 1, 1);
    // Room right of the fields for the error marker, which starts 5 pixels into a field.
    g2->setColumnMinimumWidth(2, 40);
    numberGroup = new QGroupBox(this);
    auto* g3 = new QGridLayout(numberGroup);
    groupNumberEdit = NumberField(numberGroup, main_.Op());
    g3->addWidget(new QLabel(U("Заменить группу,       начиная с   №"), numberGroup), 0, 0);
    g3->addWidget(groupNumberEdit, 0, 1);
    g3->setColumnMinimumWidth(2, 40);
    OK = new QPushButton("OK", this);
    Cancel = new QPushButton(U("Отмена"), this);
    v->addWidget(rangeGroup, 0, 0, 1, 2);
    v->addWidget(numberGroup, 1, 0, 1, 2);
    v->addWidget(OK, 2, 0);
    v->addWidget(Cancel, 2, 1);
    rangeGroup->hide();
    numberGroup->hide();
    errorMarker = new ErrorMarker(this);
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(Accepted); });
    connect(Cancel, &QPushButton::clicked, this, [this] { CloseWith(Cancelled); });
    SetCloseBoxResult(Cancelled);
}

void InputGroupDialog::PrepareGroupMode() {
    setWindowTitle(U("Ввод номеров группы текстовых реквизитов"));
    rangeGroup->show();
    numberGroup->hide();
}

void InputGroupDialog::PrepareInsertMode() {
    setWindowTitle(U("Ввод начального № вставки"));
    rangeGroup->hide();
    numberGroup->show();
}

void InputGroupDialog::showEvent(QShowEvent* event) {
    LumDialog::showEvent(event);
    errorMarker->hide();
    (rangeGroup->isVisibleTo(this) ? firstInputEdit : groupNumberEdit)->setFocus();
}

QLineEdit* InputGroupDialog::FirstWrongField() const {
    if (rangeGroup->isVisibleTo(this)) {
        for (QLineEdit* e : {firstInputEdit, lastInputEdit})
            if (!IsInputNumber(e->text()))
                return e;
    }
    if (numberGroup->isVisibleTo(this) && !IsInputNumber(groupNumberEdit->text()))
        return groupNumberEdit;
    return nullptr;
}

bool InputGroupDialog::CanClose(int& result) {
    if (result == Cancelled)
        return true;
    if (QLineEdit* wrong = FirstWrongField()) {
        ShowErrorText(wrong, errorMarker);
        return false;
    }
    result = Accepted;
    return true;
}

long long InputGroupDialog::FirstInput() const {
    return InputNumber(firstInputEdit->text());
}
long long InputGroupDialog::LastInput() const {
    return InputNumber(lastInputEdit->text());
}
long long InputGroupDialog::InsertStart() const {
    return InputNumber(groupNumberEdit->text());
}
