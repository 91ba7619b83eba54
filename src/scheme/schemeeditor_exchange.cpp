// The module program exchange: reading and writing the module's records, and what closing
// does with changes not sent yet.

#include "scheme/schemeeditor.h"

#include "dialogs/devicewriter.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/questions.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
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
    ModuleConfig& serv = main_.Modules();
    if (SchemeShown != 0 && main_.Session().labelsPasted != 1) {
        if (serv.FileMode == 1)
            return; // the data come from a file: the device is not asked
        Progress->Begin(U("Модуль %1: чтение").arg(Mod()), 1);
        const int code = ReadModule(main_.Engine(), main_.Document(), Mod());
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
    // Refused before the questions below: a write that cannot happen is not offered.
    if (!CheckWrite(main_.Document(), WindowWriteRequest(main_, WriteScope::Module(Mod() - 1)),
                    &op))
        return;
    if (serv.FileMode == 1)
        return; // nothing is sent while working with a file
    if (SchemeBuilt == 0) {
        if (lum.AskCreate(op, main_.Access().level))
            CloseWith(mr::Cancel);
        return;
    }
    if (lum.SchemeChanged == 0 && op.Ask({"Данные не были изменены.Передавать?",
                                          "Подтвердите передачу данных",
                                          MsgIcon::Question,
                                          {MsgButton::Yes, MsgButton::No},
                                          MsgButton::No}) != MsgButton::Yes)
        return;
    const DeviceWriteReport report =
        WriteFromWindow(main_, Progress, WriteScope::Module(Mod() - 1));
    if (report.end == WriteEnd::Done || report.end == WriteEnd::AlreadyThere)
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
    const MsgButton answer =
        Questions::Transfer(main_.Op(), "Данные были изменены. Передать в прибор?",
                            "Подтвердите передачу данных", true);
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
