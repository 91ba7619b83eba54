// The row buttons (contact type, processing, signal type) and the module-level groups (pump
// blocking, relay action).

#include "scheme/schemeeditor.h"

#include "dialogs/windowcontext.h"
#include "model/edithistory.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/operator.h"
#include "scheme/cellbutton.h"

#include <QLabel>
#include <QLineEdit>

void SchemeEditor::InputButtonClick(int k) {
    InputProgram& inputProgram = main_.Program();
    main_.Document().Edit(InputStepName(Base() + k, "вид контакта"), [&] {
        inputProgram.PutContact(Base() + k, contactButtons[size_t(k)]->Down() ? 1 : 0);
    });
}

void SchemeEditor::ArchiveClick(int k) {
    InputProgram& inputProgram = main_.Program();
    main_.Document().Edit(InputStepName(Base() + k, "архивирование"), [&] {
        inputProgram.PutArchive(Base() + k, archiveButtons[size_t(k)]->Down() ? 1 : 0);
    });
}

void SchemeEditor::ContactClick(int k) {
    InputProgram& inputProgram = main_.Program();
    main_.Document().Edit(InputStepName(Base() + k, "тип входа"), [&] {
        main_.Op().Tell("N_Mod=" + std::to_string(ModuleNumber()) +
                            " i_beg=" + std::to_string(Base()),
                        "", MsgIcon::Information);
        const int a = Base() + k;
        inputProgram.PutNamur(a, inputTypeButtons[size_t(k)]->Down() ? 1 : 0);
        if (ModuleType() == 2 && k >= 2 && k <= 4) {
            // These inputs of a valve module are always dry contacts.
            inputTypeButtons[size_t(k)]->SetDown(false);
            inputProgram.PutNamur(a, 0);
        }
    });
}

void SchemeEditor::PumpClick() {
    InputProgram& inputProgram = main_.Program();
    main_.Document().Edit(ModuleStepName("блокировка насоса"), [&] {
        const bool on = pumpButton->Down();
        inputProgram.PutModuleParameter(ModuleNumber() - 1, on ? 1 : 0);
        sensorEdit->setText("1");
        sensorEdit->setVisible(on);
        sensorLabel->setVisible(on);
    });
}

void SchemeEditor::SensorEditLeft() {
    // An emptied edit keeps the sensor number the module had; with the blocking switched off
    // (the edit hidden by that very click) there is no sensor to store.
    if (ModuleType() == 2 || !pumpButton->Down() || sensorEdit->text().isEmpty())
        return;
    main_.Document().Edit(ModuleStepName("№ вх. датчика Рнагн."), [&] {
        main_.Program().PutModuleParameter(ModuleNumber() - 1, sensorEdit->text().toInt());
    });
}

void SchemeEditor::RelayModeClick(int index) {
    InputProgram& inputProgram = main_.Program();
    main_.Document().Edit(ModuleStepName("действие выходного реле"),
                          [&] { inputProgram.PutModuleParameter(ModuleNumber() - 1, index); });
}
