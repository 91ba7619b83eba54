#include "dialogs/obrza_mb.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "model/keyfilters.h"
#include "model/operator.h"
#include "model/proglumclass.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFormZa::TFormZa(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(U("Программ. задерж. выходов ЛУМ-08"));
    auto* grid = new QGridLayout(this);
    LabNVh = new QLabel(U("Вход №"), this);
    Label2 = new QLabel(this);
    LabNVh->setStyleSheet("font-weight: bold");
    Label2->setStyleSheet("font-weight: bold");
    Label1 = new QLabel(U("Задержка"), this);
    Label4 = new QLabel(U("Время, сек"), this);
    EditT = new QLineEdit("00", this);
    EditT->setMaxLength(2);
    EditT->setToolTip(U("Время, сек (0-60)"));
    EditT->setFixedWidth(40);
    OK = new QPushButton("OK", this);
    grid->addWidget(LabNVh, 0, 0);
    grid->addWidget(Label2, 0, 1, 1, 2);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(Label4, 1, 1);
    grid->addWidget(EditT, 1, 2);
    grid->addWidget(OK, 2, 2);
    InstallKeyFilter(EditT, KeyFilterKind::Decimal, main_.Op());
    connect(EditT, &QLineEdit::textEdited, this, [this] {
        if (!filling_ && main_.SchemeEditorShown())
            main_.ProgLum().FlagScheme = 1;
    });
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Cancel); });
}

void TFormZa::SetHeading(int inputFrom1, const QString& identifier) {
    Label2->setText(QString::number(inputFrom1) + "      " + identifier);
}

void TFormZa::FillDelay(int seconds) {
    filling_ = true;
    EditT->setText(QString::number(seconds));
    filling_ = false;
}

bool TFormZa::CanClose(int&) {
    if (EditT->text().isEmpty())
        EditT->setText("00");
    return true;
}

int TFormZa::TakeDelay() {
    Operator& op = main_.Op();
    const std::string text = EditT->text().toStdString();
    long long value = 0;
    const bool number = ParseDecimal(text, value);
    if (number && value == 0) {
        op.Tell("Не задана уставка времени задержки", "Предупреждение", MsgIcon::Warning);
        return 0;
    }
    if (!number || CheckValue(text, CheckKind::Delay) != 0) {
        ErrorInput(op, EditT);
        op.Tell("Не задана уставка времени задержки", "Предупреждение", MsgIcon::Warning);
        return 0;
    }
    return int(value);
}
