#include "dialogs/obrtext_mb.h"

#include "dialogs/cp1251.h"
#include "dialogs/fieldcheck.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "model/servclass.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// Enter in the label field moves on to the next control.
class EnterMovesOn : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                FocusNext(static_cast<QWidget*>(watched));
                return true;
            }
        }
        return false;
    }
};
} // namespace

TFormText::TFormText(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(U("Задание текстового реквизита входа"));
    auto* grid = new QGridLayout(this);
    LabNVh = new QLabel(U("Вход №"), this);
    Label2 = new QLabel(this);
    LabNVh->setStyleSheet("font-weight: bold");
    Label2->setStyleSheet("font-weight: bold");
    Label1 = new QLabel(U("Текстовый реквизит"), this);
    EditText = new QLineEdit(this);
    EditText->setMaxLength(14);
    EditText->setMinimumWidth(160);
    EditText->installEventFilter(new EnterMovesOn(EditText));
    OK = new QPushButton("OK", this);
    grid->addWidget(LabNVh, 0, 0);
    grid->addWidget(Label2, 0, 1);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(EditText, 1, 1);
    grid->addWidget(OK, 2, 1, Qt::AlignRight);
    connect(EditText, &QLineEdit::textEdited, this, [this] { main_.Serv().FlagText = 1; });
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Cancel); });
}

void TFormText::SetHeading(int inputFrom1, const QString& identifier) {
    Label2->setText(QString::number(inputFrom1) + "      " + identifier);
}

void TFormText::showEvent(QShowEvent* event) {
    TLumDialog::showEvent(event);
    EditText->setFocus();
    main_.Serv().FlagText = 0;
}

bool TFormText::CanClose(int&) {
    // An emptied label is stored as blanks.
    if (EditText->text().isEmpty())
        EditText->setText(QString(10, ' '));
    return true;
}

void TFormText::FillFrom(int input) {
    EditText->setText(FromCp1251(main_.Serv().GetTextVh(input)));
}

void TFormText::StoreTo(int input) {
    main_.Serv().PutTextVh(ToCp1251(EditText->text()), input);
}
