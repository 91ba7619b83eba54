#include "dialogs/delaydialog.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/inputprogram.h"
#include "model/keyfilters.h"
#include "model/operator.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

DelayDialog::DelayDialog(WindowContext& main, QWidget* parent) : LumDialog(parent), main_(main) {
    setWindowTitle(U("Программ. задерж. выходов ЛУМ-08"));
    auto* grid = new QGridLayout(this);
    inputLabel = new QLabel(U("Вход №"), this);
    inputCaption = new QLabel(this);
    inputLabel->setStyleSheet("font-weight: bold");
    inputCaption->setStyleSheet("font-weight: bold");
    delayCaption = new QLabel(U("Задержка"), this);
    secondsCaption = new QLabel(U("Время, сек"), this);
    delayEdit = new QLineEdit("00", this);
    delayEdit->setMaxLength(2);
    delayEdit->setToolTip(U("Время, сек (0-60)"));
    delayEdit->setFixedWidth(40);
    rangeCaption = new QLabel(U("(0-60)"), this);
    OK = new QPushButton("OK", this);
    grid->addWidget(inputLabel, 0, 0);
    grid->addWidget(inputCaption, 0, 1, 1, 3);
    grid->addWidget(delayCaption, 1, 0);
    grid->addWidget(secondsCaption, 1, 1);
    grid->addWidget(delayEdit, 1, 2);
    grid->addWidget(rangeCaption, 1, 3);
    grid->addWidget(OK, 2, 2, 1, 2, Qt::AlignRight);
    InstallKeyFilter(delayEdit, KeyFilterKind::Decimal, main_.Op());
    // Installed after the key filter, so asked first: Enter on a value closes the dialog at
    // once (an empty field still gets the filter's error).
    delayEdit->installEventFilter(this);
    connect(OK, &QPushButton::clicked, this, [this] { CloseWith(mr::Cancel); });
}

bool DelayDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == delayEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !delayEdit->text().isEmpty()) {
            CloseWith(mr::Cancel);
            return true;
        }
    }
    return LumDialog::eventFilter(watched, event);
}

void DelayDialog::SetHeading(int inputFrom1, const QString& identifier) {
    inputCaption->setText(QString::number(inputFrom1) + "      " + identifier);
}

void DelayDialog::FillDelay(int seconds) {
    delayEdit->setText(QString::number(seconds));
}

bool DelayDialog::CanClose(int&) {
    if (delayEdit->text().isEmpty())
        delayEdit->setText("00");
    return true;
}

int DelayDialog::TakeDelay() {
    Operator& op = main_.Op();
    const std::string text = delayEdit->text().toStdString();
    long long value = 0;
    const bool number = ParseDecimal(text, value);
    if (number && value == 0) {
        op.Tell("Не задана уставка времени задержки", "Предупреждение", MsgIcon::Warning);
        return 0;
    }
    if (!number || CheckValue(text, CheckKind::Delay) != 0) {
        ErrorInput(op, delayEdit);
        op.Tell("Не задана уставка времени задержки", "Предупреждение", MsgIcon::Warning);
        return 0;
    }
    return int(value);
}
