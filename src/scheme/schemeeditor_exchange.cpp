// The module program exchange: reading and writing the module's records, and what closing
// does with changes not sent yet.

#include "scheme/schemeeditor.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "dialogs/writeguard.h"
#include "link/devicesequences.h"
#include "link/exchangeengine.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/operator.h"
#include "model/reservecopies.h"

#include <QLineEdit>
#include <QScrollArea>
#include <cstring>

QString SchemeEditor::DeviceCaption() const {
    return QString::fromUtf8("Программирование обработки дискретных входов ЛУМ-08 устройство ") +
           QString::number(main_.Modules().BusNumber + 1);
}

void SchemeEditor::ReadModuleClick() {
    InputProgram& lum = main_.Program();
    ModuleConfig& serv = main_.Modules();
    if (lum.SchemeShown != 0 && lum.NotRead != 1) {
        if (serv.FileMode == 1)
            return; // the data come from a file: the device is not asked
        Progress->Begin(U("Модуль %1: чтение").arg(Mod()), 1);
        const int code =
            ReadModule(main_.Engine(), {serv, lum, main_.Network(), main_.Reserve()}, Mod());
        Progress->End();
        if (code != 0) {
            main_.Engine().ReportError(serv.BusNumber, code);
            return;
        }
    }
    Build(true);
}

void SchemeEditor::WriteDeviceClick() {
    InputProgram& lum = main_.Program();
    ModuleConfig& serv = main_.Modules();
    Operator& op = main_.Op();
    if (lum.AccessLevel != 1) {
        op.Tell("Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт", "Предупреждение",
                MsgIcon::Warning);
        return;
    }
    if (serv.FileMode == 1)
        return; // nothing is sent while working with a file
    if (lum.SchemeBuilt == 0) {
        if (lum.AskCreate(op))
            CloseWith(mr::Cancel);
        return;
    }
    if (lum.SchemeChanged == 0 && op.Ask({"Данные не были изменены.Передавать?",
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
        lum.SchemeChanged = 0;
        const int code = WriteModule(main_.Engine(), {serv, lum, main_.Network(), main_.Reserve()},
                                     Mod(), onSend);
        // The device lacks the edits: closing offers the transfer again.
        if (code != ResultCode::Ok)
            lum.SchemeChanged = 1;
        return code;
    };
    if (GuardedBlockWrite(main_, *Progress, block) == ResultCode::Ok)
        setWindowTitle(DeviceCaption());
}

bool SchemeEditor::CanClose(int&) {
    // An open label edit is stored first.
    schemeScroll->setFocus();
    if (labelEdit->isVisible())
        LabelEditLeft();
    InputProgram& lum = main_.Program();
    ModuleConfig& serv = main_.Modules();
    if (lum.SchemeChanged == 0)
        return true;
    if (serv.FileMode == 1) {
        serv.FileChanged = 1; // offered for saving when the main window closes
        return true;
    }
    const MsgButton answer = main_.Op().Ask({"Данные были изменены. Передать в прибор?",
                                             "Подтвердите передачу данных",
                                             MsgIcon::Question,
                                             {MsgButton::Yes, MsgButton::No, MsgButton::Cancel},
                                             MsgButton::Cancel});
    if (answer == MsgButton::Yes) {
        // A failed write keeps the editor, and the edits, open.
        WriteDeviceClick();
        return lum.SchemeChanged == 0;
    }
    if (answer == MsgButton::No) {
        lum.SchemeChanged = 0;
        const int first = 18 * (Mod() - 1);
        std::memcpy(lum.Records + first, main_.Reserve().RecordsCopy + first, 18);
        return true;
    }
    return false;
}
