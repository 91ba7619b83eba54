// Access control of the main window: the start-up password, raising the access later, and the
// password change.

#include "app/mainwindow.h"

#include "app/passworddialog.h"
#include "model/passwordfile.h"
#include "platform/filestore.h"

int MainWindow::PasswordLevel() {
    PasswordDialog dialog(*this, this);
    for (;;) {
        dialog.PrepareCheck();
        if (showModal(dialog) == Password::Accepted) {
            const std::string expected =
                ExpectedPassword(ReadWholeFile(PasswordDialog::PasswordFilePath()));
            return CheckPassword(dialog.Entered(), expected).level;
        }
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
}
