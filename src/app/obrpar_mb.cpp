#include "app/obrpar_mb.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "link/filestore.h"
#include "model/keyfilters.h"
#include "model/operator.h"
#include "model/passwordfile.h"
#include "model/proglumclass.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
// The password field takes digits and editing keys; Enter closes the dialog.
class ParolKeys : public QObject {
public:
    ParolKeys(QLineEdit* field, std::function<void()> rejected, std::function<void()> enter)
        : QObject(field), field_(field), rejected_(std::move(rejected)), enter_(std::move(enter)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != field_ || event->type() != QEvent::KeyPress)
            return false;
        const int r = KeyParol(VirtualKeyOf(static_cast<QKeyEvent*>(event)));
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

TFPSW::TFPSW(LumMain& main, QWidget* parent) : TLumDialog(parent), main_(main) {
    setWindowTitle(U("Введите пароль и нажмите  <ENTER>"));
    SetCentredOnScreen();
    setToolTip(U("Введите пароль и нажмите <Enter>"));
    auto* v = new QVBoxLayout(this);
    Label1 = new QLabel(U("Внимание! Замена пароля!"), this);
    Label1->setStyleSheet("color: red; background: yellow; font-weight: bold");
    Label1->setAlignment(Qt::AlignCenter);
    Label1->hide();
    Edit1 = new QLineEdit(this);
    Edit1->setMaxLength(5);
    Edit1->setEchoMode(QLineEdit::Password);
    QFont bold = Edit1->font();
    bold.setBold(true);
    Edit1->setFont(bold);
    v->addWidget(Label1);
    v->addWidget(Edit1);
    setMinimumWidth(320);
    Edit1->installEventFilter(new ParolKeys(
        Edit1, [this] { Edit1KeyRejected(); }, [this] { CloseWith(mr::Ok); }));
}

QString TFPSW::PasswordFilePath() {
    return QString::fromUtf8(Password::FileName);
}

void TFPSW::PrepareCheck() {
    Label1->hide();
    Edit1->clear();
}

void TFPSW::PrepareChange() {
    Label1->show();
    Edit1->clear();
}

void TFPSW::Edit1KeyRejected() {
    main_.Op().Tell("Пароль - цифровой", "Ошибка", MsgIcon::Error);
    QApplication::beep();
    Edit1->clear();
}

bool TFPSW::CanClose(int& result) {
    if (main_.ProgLum().FlagParol == 1) {
        result = StoreNewPassword();
        return true;
    }
    const std::string expected = ExpectedPassword(ReadWholeFile(PasswordFilePath()));
    result = CheckPassword(Edit1->text().toStdString(), expected).result;
    return true;
}

int TFPSW::StoreNewPassword() {
    Operator& op = main_.Op();
    const NewPassword parsed = ParseNewPassword(Edit1->text().toStdString());
    if (!parsed.ok) {
        for (const std::string& m : parsed.messages)
            op.Tell(m, "Предупреждение", MsgIcon::Warning);
        if (parsed.clearField)
            Edit1->clear();
        return Password::Refused;
    }
    const auto bytes = PasswordBytes(parsed.value);
    if (!ReplaceFileAtomically(PasswordFilePath(), {bytes.begin(), bytes.end()})) {
        op.Tell("Файл не удается создать", "Ошибка", MsgIcon::Error);
        return Password::Refused; // the change mode stays on
    }
    op.Tell("Пароль заменен!", "Подтверждение", MsgIcon::Information);
    main_.ProgLum().FlagParol = 0;
    return Password::Accepted;
}
