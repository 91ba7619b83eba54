// Access control of the main window: the start-up password and the password change.

#include "app/mainwindow.h"

#include "app/passworddialog.h"
#include "model/inputprogram.h"
#include "model/passwordfile.h"
#include "platform/filestore.h"

#include <QLineEdit>

void MainWindow::FormShow() {
    InputProgram& prog = document_->program;
    PasswordDialog& dialog = *windows_.passwordDialog;
    prog.AccessLevel = 0;
    prog.PasswordEntered = 0;
    for (;;) {
        dialog.PrepareCheck();
        if (showModal(dialog) == Password::Accepted) {
            const std::string expected =
                ExpectedPassword(ReadWholeFile(PasswordDialog::PasswordFilePath()));
            prog.AccessLevel =
                CheckPassword(dialog.passwordEdit->text().toStdString(), expected).level;
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
    InputProgram& prog = document_->program;
    if (prog.AccessLevel != 1) {
        op_->Tell("Ваш уровень доступа не позволяет\nменять пароль", "Предупреждение",
                  MsgIcon::Warning);
        return;
    }
    prog.PasswordEntered = 0;
    if (!op_->YesNo("Будете менять пароль?", "Подтвердите замену пароля"))
        return;
    prog.PasswordEntered = 1;
    windows_.passwordDialog->PrepareChange();
    showModal(*windows_.passwordDialog);
}
