// Access control of the main window: the start-up password, raising the access later, and the
// password change.

#include "app/mainwindow.h"

#include "app/passworddialog.h"
#include "model/passwordfile.h"
#include "platform/filestore.h"

namespace {
// A new password typed while the change mode is on: refused with the reasons, or stored in the
// password file. The change mode stays on when the file could not be written.
void StoreNewPassword(Operator& op, OperatorAccess& access, const std::string& entered) {
    const NewPassword parsed = ParseNewPassword(entered);
    if (!parsed.ok) {
        for (const std::string& m : parsed.messages)
            op.Tell(m, "Предупреждение", MsgIcon::Warning);
        return;
    }
    const auto bytes = PasswordBytes(parsed.value);
    if (!ReplaceFileAtomically(PasswordDialog::PasswordFilePath(), {bytes.begin(), bytes.end()})) {
        op.Tell("Файл не удается создать", "Ошибка", MsgIcon::Error);
        return;
    }
    op.Tell("Пароль заменен!", "Подтверждение", MsgIcon::Information);
    access.passwordChange = 0;
}
} // namespace

int MainWindow::PasswordLevel() {
    PasswordDialog dialog(*this, this);
    for (;;) {
        dialog.PrepareCheck();
        showModal(dialog);
        // However the dialog was closed, the entry decides: an empty one opens view only.
        const std::string expected =
            ExpectedPassword(ReadWholeFile(PasswordDialog::PasswordFilePath()));
        const PasswordCheck check = CheckPassword(dialog.Entered(), expected);
        if (check.result == Password::Accepted)
            return check.level;
        const MsgButton again = op_->Ask({"Введенный пароль неверен",
                                          "Ошибка",
                                          MsgIcon::Error,
                                          {MsgButton::Retry, MsgButton::Cancel},
                                          MsgButton::Retry});
        if (again != MsgButton::Retry)
            return -1;
    }
}

void MainWindow::AskPassword() {
    access_.level = 0;
    access_.passwordChange = 0;
    const int level = PasswordLevel();
    if (level < 0) {
        close();
        return;
    }
    access_.level = level;
}

void MainWindow::EnterPasswordClick() {
    // The dialog checks an entry here; a change left pending by a file that could not be
    // created is not taken up by it.
    access_.passwordChange = 0;
    // An empty entry or a given-up one leaves the access as it was.
    if (PasswordLevel() != 1)
        return;
    access_.level = 1;
    op_->Tell("Полный доступ открыт до конца работы программы", "Подтверждение",
              MsgIcon::Information);
}

void MainWindow::ChangePasswordClick() {
    if (access_.level != 1) {
        op_->Tell("Ваш уровень доступа не позволяет\nменять пароль", "Предупреждение",
                  MsgIcon::Warning);
        return;
    }
    access_.passwordChange = 0;
    if (!op_->YesNo("Будете менять пароль?", "Подтвердите замену пароля"))
        return;
    access_.passwordChange = 1;
    PasswordDialog dialog(*this, this);
    dialog.PrepareChange();
    showModal(dialog);
    StoreNewPassword(*op_, access_, dialog.Entered());
}
