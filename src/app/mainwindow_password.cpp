// Access control of the main window: the start-up password and the password change.

#include "app/mainwindow.h"

#include "app/passworddialog.h"
#include "model/passwordfile.h"
#include "platform/filestore.h"

void MainWindow::AskPassword() {
    access_.level = 0;
    access_.passwordChange = 0;
    PasswordDialog dialog(*this, this);
    for (;;) {
        dialog.PrepareCheck();
        if (showModal(dialog) == Password::Accepted) {
            const std::string expected =
                ExpectedPassword(ReadWholeFile(PasswordDialog::PasswordFilePath()));
            access_.level = CheckPassword(dialog.Entered(), expected).level;
            return;
        }
        const MsgButton again = op_->Ask({"Введенный пароль неверен",
                                          "Ошибка",
                                          MsgIcon::Error,
                                          {MsgButton::Retry, MsgButton::Cancel},
                                          MsgButton::Retry});
        if (again != MsgButton::Retry) {
            close();
            return;
        }
    }
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
