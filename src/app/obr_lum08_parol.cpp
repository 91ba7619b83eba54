// Access control of the main window: the start-up password and the password change.

#include "app/obr_lum08.h"

#include "app/obrpar_mb.h"
#include "link/filestore.h"
#include "model/passwordfile.h"
#include "model/proglumclass.h"

#include <QLineEdit>

void TForm1::FormShow() {
    TProgLumClass& prog = *ProgLumClass;
    TFPSW& dialog = *windows_.FPSW;
    prog.Dostup = 0;
    prog.FlagParol = 0;
    for (;;) {
        dialog.PrepareCheck();
        if (showModal(dialog) == Password::Accepted) {
            const std::string expected = ExpectedPassword(ReadWholeFile(TFPSW::PasswordFilePath()));
            prog.Dostup = CheckPassword(dialog.Edit1->text().toStdString(), expected).level;
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

void TForm1::N1ParolClick() {
    TProgLumClass& prog = *ProgLumClass;
    if (prog.Dostup != 1) {
        op_->Tell("Ваш уровень доступа не позволяет\nменять пароль", "Предупреждение",
                  MsgIcon::Warning);
        return;
    }
    prog.FlagParol = 0;
    if (!op_->YesNo("Будете менять пароль?", "Подтвердите замену пароля"))
        return;
    prog.FlagParol = 1;
    windows_.FPSW->PrepareChange();
    showModal(*windows_.FPSW);
}
