// The module program exchange: reading and writing the module's records, and what closing
// does with changes not sent yet.

#include "scheme/schemeeditor.h"
#include "words/linkwords.h"

#include "dialogs/commandrun.h"
#include "dialogs/devicewriter.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/questions.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/devicesequences.h"
#include "link/exchangeengine.h"
#include "model/edithistory.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/operator.h"

#include <QLineEdit>
#include <QScrollArea>
#include <algorithm>

QString SchemeEditor::DeviceCaption() const {
    return QString::fromUtf8("Программирование обработки дискретных входов ЛУМ-08 устройство ") +
           QString::number(main_.Modules().BusNumber + 1);
}

void SchemeEditor::ReadModuleClick() {
    ModuleConfig& moduleConfig = main_.Modules();
    if (SchemeShown != 0 && main_.Settings().labelsPasted != 1) {
        if (main_.Document().IsFileMode())
            return; // the data come from a file: the device is not asked
        Progress->Begin(U("Модуль %1: чтение").arg(ModuleNumber()), 1);
        const int m = ModuleNumber();
        // Stays so when the command could not start.
        int code = ResultCode::Stopped;
        RunDocumentCommand(main_, [&](ExchangeEngine& engine, DeviceDocument& doc) {
            code = ReadModule(engine, doc, m);
        });
        Progress->End();
        if (code != 0) {
            ReportError(main_.Engine(), moduleConfig.BusNumber, code);
            return;
        }
    }
    Build(true);
}

void SchemeEditor::WriteDeviceClick() {
    InputProgram& inputProgram = main_.Program();
    Operator& op = main_.Op();
    // Refused before the questions below: a write that cannot happen is not offered.
    if (!CheckWrite(main_.Document(),
                    WindowWriteRequest(main_, WriteScope::Module(ModuleNumber() - 1)), &op))
        return;
    if (main_.Document().IsFileMode())
        return; // nothing is sent while working with a file
    if (SchemeBuilt == 0) {
        if (inputProgram.AskCreate(op, main_.Access().level))
            CloseWith(mr::Cancel);
        return;
    }
    if (!ModuleEdited() && op.Ask({"Данные не были изменены.Передавать?",
                                   "Подтвердите передачу данных",
                                   MsgIcon::Question,
                                   {MsgButton::Yes, MsgButton::No},
                                   MsgButton::No}) != MsgButton::Yes)
        return;
    const DeviceWriteReport report =
        WriteFromWindow(main_, Progress, WriteScope::Module(ModuleNumber() - 1));
    if (report.end == WriteEnd::Done || report.end == WriteEnd::AlreadyThere)
        setWindowTitle(DeviceCaption());
}

bool SchemeEditor::CanClose(int&) {
    // An open label edit is stored first.
    schemeScroll->setFocus();
    if (labelEdit->isVisible())
        LabelEditLeft();
    // A file's edits are offered for saving when the main window closes.
    if (!ModuleEdited() || main_.Document().IsFileMode())
        return true;
    const MsgButton answer =
        Questions::Transfer(main_.Op(), "Данные были изменены. Передать в прибор?",
                            "Подтвердите передачу данных", true);
    if (answer == MsgButton::Yes) {
        // A failed write keeps the editor, and the edits, open.
        WriteDeviceClick();
        return !ModuleEdited();
    }
    if (answer == MsgButton::No) {
        // The module goes back to what the device holds; the step undoes that too.
        main_.Document().RevertModule(ModuleNumber() - 1, ModuleStepName("изменения отменены"));
        return true;
    }
    return false;
}

bool SchemeEditor::ModuleEdited() const {
    return main_.Document().ModuleChanged(ModuleNumber() - 1);
}

std::string SchemeEditor::ModuleStepName(const char* what) const {
    return "Модуль " + std::to_string(ModuleNumber()) + ": " + what;
}

std::string SchemeEditor::InputStepName(int input, const char* what) const {
    return "Модуль " + std::to_string(ModuleNumber()) + ", вход " +
           main_.Modules().InputName(input) + ": " + what;
}
