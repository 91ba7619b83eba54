// The module program exchange: reading and writing the module's records, and what closing
// does with changes not sent yet.

#include "scheme/prog_diskr.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "dialogs/writeguard.h"
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
        if (serv.FlagFile == 1)
            return; // the data come from a file: the device is not asked
        Progress->Begin(U("Модуль %1: чтение").arg(Mod()), 1);
        const int code =
            ReadModule(main_.ComPort(), {serv, lum, main_.ProgF15(), main_.Reserv()}, Mod());
        Progress->End();
        if (code != 0) {
            main_.ComPort().ReportError(serv.NumUstr, code);
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
    if (serv.FlagFile == 1)
        return; // nothing is sent while working with a file
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
    BlockWrite block;
    block.scope = WriteScope::Module(Mod() - 1);
    block.name = "Модуль " + std::to_string(Mod());
    block.notWritten = block.name + " в прибор не записан.";
    block.unconfirmed = block.name + " передан, но прибор не подтвердил его запись.";
    block.write = [&](const std::function<void()>& onSend) {
        lum.FlagScheme = 0;
        const int code = WriteModule(main_.ComPort(), {serv, lum, main_.ProgF15(), main_.Reserv()},
                                     Mod(), onSend);
        // The device lacks the edits: closing offers the transfer again.
        if (code != ResultCode::Ok)
            lum.FlagScheme = 1;
        return code;
    };
    if (GuardedBlockWrite(main_, *Progress, block) == ResultCode::Ok)
        setWindowTitle(DeviceCaption());
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
