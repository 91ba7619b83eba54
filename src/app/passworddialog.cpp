#include "app/passworddialog.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/keyfilters.h"
#include "model/operator.h"
#include "model/passwordfile.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
// The password field takes digits and editing keys; Enter closes the dialog.
class PasswordKeys : public QObject {
public:
    PasswordKeys(QLineEdit* field, std::function<void()> rejected, std::function<void()> enter)
        : QObject(field), field_(field), rejected_(std::move(rejected)), enter_(std::move(enter)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != field_ || event->type() != QEvent::KeyPress)
            return false;
        const int r = KeyPassword(VirtualKeyOf(static_cast<QKeyEvent*>(event)));
        if (r == KeyResult::Rejected)
            rejected_();
        else if (r == KeyResult::Enter)
            enter_();
        return r != KeyResult::Accepted;
    }

private:
    QLineEdit* field_;
    std::function<void()> rejected_;
    std::function<void()> enter_;
};
} // namespace

PasswordDialog::PasswordDialog(WindowContext& main, QWidget* parent)
    : LumDialog(parent), main_(main) {
    setWindowTitle(U("Введите пароль и нажмите  <ENTER>"));
    SetCentredOnScreen();
    setToolTip(U("Введите пароль и нажмите <Enter>"));
    auto* v = new QVBoxLayout(this);
    promptLabel = new QLabel(U("Внимание! Замена пароля!"), this);
    promptLabel->setObjectName("promptLabel");
    promptLabel->setStyleSheet("color: red; background: yellow; font-weight: bold");
    promptLabel->setAlignment(Qt::AlignCenter);
    promptLabel->hide();
    passwordEdit = new QLineEdit(this);
    passwordEdit->setObjectName("passwordEdit");
    passwordEdit->setMaxLength(5);
    passwordEdit->setEchoMode(QLineEdit::Password);
    QFont bold = passwordEdit->font();
    bold.setBold(true);
    passwordEdit->setFont(bold);
    v->addWidget(promptLabel);
    v->addWidget(passwordEdit);
    setMinimumWidth(320);
    passwordEdit->installEventFilter(new PasswordKeys(
        passwordEdit, [this] { PasswordKeyRejected(); }, [this] { CloseWith(mr::Ok); }));
}

QString PasswordDialog::PasswordFilePath() {
    return QString::fromUtf8(Password::FileName);
}

void PasswordDialog::PrepareCheck() {
    promptLabel->hide();
    passwordEdit->clear();
}

void PasswordDialog::PrepareChange() {
    promptLabel->show();
    passwordEdit->clear();
}

void PasswordDialog::PasswordKeyRejected() {
    main_.Op().Tell("Пароль - цифровой", "Ошибка", MsgIcon::Error);
    QApplication::beep();
    passwordEdit->clear();
}

std::string PasswordDialog::Entered() const {
    return passwordEdit->text().toStdString();
}
