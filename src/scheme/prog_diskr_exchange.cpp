// The module program exchange: reading and writing the module's records, and what closing
// does with changes not sent yet.

#include "scheme/prog_diskr.h"

#include "dialogs/lummain.h"
#include "link/comportclass.h"
#include "link/devicesequences.h"
#include "model/operator.h"
#include "model/proglumclass.h"
#include "model/reservblocks.h"
#include "model/servclass.h"

#include <QLineEdit>
#include <QScrollArea>
#include <cstring>

QString TFormPrgD::DeviceCaption() const {
    return QString::fromUtf8("Программирование обработки дискретных входов ЛУМ-08 устройство ") +
           QString::number(main_.Serv().NumUstr + 1);
}

void TFormPrgD::InPortClick() {
    TProgLumClass& lum = main_.ProgLum();
    TServClass& serv = main_.Serv();
    if (lum.FlagShow != 0 && lum.FlagNoRead != 1) {
        if (serv.FlagFile == 1) {
            HideProgress(); // the data come from a file: the device is not asked
            return;
        }
        ShowProgress(120, 5);
        StepProgress();
        const int code =
            ReadModule(main_.ComPort(), {serv, lum, main_.ProgF15(), main_.Reserv()}, Mod());
        if (code != 0) {
            main_.ComPort().ReportError(serv.NumUstr, code);
            HideProgress();
            return;
        }
    }
    Build(true);
}

void TFormPrgD::OutPortClick() {
    TProgLumClass& lum = main_.ProgLum();
    TServClass& serv = main_.Serv();
    Operator& op = main_.Op();
    if (lum.Dostup != 1) {
        op.Tell("Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт", "Предупреждение",
                MsgIcon::Warning);
        return;
    }
    if (serv.FlagFile == 1) {
        HideProgress(); // nothing is sent while working with a file
        return;
    }
    if (lum.FlagBuilt == 0) {
        if (lum.AskCreate(op))
            CloseWith(mr::Cancel);
        return;
    }
    if (lum.FlagScheme == 0 && op.Ask({"Данные не были изменены.Передавать?",
                                       "Подтвердите передачу данных",
                                       MsgIcon::Question,
                                       {MsgButton::Yes, MsgButton::No},
                                       MsgButton::No}) != MsgButton::Yes)
        return;
    ShowProgress(120, 12);
    lum.FlagScheme = 0;
    StepProgress();
    const int code = WriteModule(main_.ComPort(), {serv, lum, main_.ProgF15(), main_.Reserv()},
                                 Mod(), [this] { StepProgress(); });
    if (code != 0) {
        // The device lacks the edits: closing offers the transfer again.
        lum.FlagScheme = 1;
        main_.ComPort().ReportError(serv.NumUstr, code);
        HideProgress();
        return;
    }
    setWindowTitle(DeviceCaption());
    HideProgress();
}

bool TFormPrgD::CanClose(int&) {
    // An open label edit is stored first.
    ScrollBox1->setFocus();
    if (EditText->isVisible())
        EditTextExit();
    TProgLumClass& lum = main_.ProgLum();
    TServClass& serv = main_.Serv();
    if (lum.FlagScheme == 0)
        return true;
    if (serv.FlagFile == 1) {
        serv.FlagChange = 1; // offered for saving when the main window closes
        return true;
    }
    const MsgButton answer = main_.Op().Ask({"Данные были изменены. Передать в прибор?",
                                             "Подтвердите передачу данных",
                                             MsgIcon::Question,
                                             {MsgButton::Yes, MsgButton::No, MsgButton::Cancel},
                                             MsgButton::No});
    if (answer == MsgButton::Yes) {
        // A failed write keeps the editor, and the edits, open.
        OutPortClick();
        return lum.FlagScheme == 0;
    }
    if (answer == MsgButton::No) {
        lum.FlagScheme = 0;
        const int first = 18 * (Mod() - 1);
        std::memcpy(lum.RecVh + first, main_.Reserv().ReservRecVh + first, 18);
        return true;
    }
    return false;
}
