// The context menu of the scheme and the block commands on the current row: adding and
// deleting signalling, delay and relay blocks.

#include "scheme/schemeeditor.h"

#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/edithistory.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "scheme/alarmcell.h"
#include "scheme/delaycell.h"
#include "scheme/inputcell.h"
#include "scheme/relaycell.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {
template <class T> void Destroy(T*& element) {
    delete element;
    element = nullptr;
}
} // namespace

void SchemeEditor::CreatePopupMenu() {
    contextMenu = new QMenu(this);
    auto item = [this](const char* text, void (SchemeEditor::*slot)()) {
        QAction* a = contextMenu->addAction(U(text));
        if (slot)
            connect(a, &QAction::triggered, this, slot);
        return a;
    };
    createAlarmAction = item("Добавить блок сигнализации", &SchemeEditor::CreateAlarmClick);
    editAlarmAction = item("Редактировать сигнализацию", &SchemeEditor::EditAlarmClick);
    deleteAlarmAction = item("Удалить сигнализацию", &SchemeEditor::DeleteAlarmClick);
    contextMenu->addSeparator();
    createDelayAction = item("Добавить блок задержки", &SchemeEditor::CreateDelayClick);
    editDelayAction = item("Редактировать задержку", &SchemeEditor::EditDelayClick);
    deleteDelayAction = item("Удалить задержку", &SchemeEditor::DeleteDelayClick);
    contextMenu->addSeparator();
    createRelayAction = item("Добавить  выход на реле", &SchemeEditor::CreateRelayClick);
    deleteRelayAction = item("Удалить выход на реле", &SchemeEditor::DeleteRelayClick);
    contextMenu->addSeparator();
    labelAction = item("Ввод текст. реквизитов", nullptr);
    connect(labelAction, &QAction::triggered, this, [this] { EditLabelClick(); });
    labelAction->setVisible(false);
    archiveAction = item("Архивирование", nullptr);
    archiveAction->setVisible(false);
}

bool SchemeEditor::RefuseNoInput() {
    return Refuse(SelectedInput < 0, "Не выбран № входа");
}

bool SchemeEditor::RefuseNoPanel() {
    return Refuse(!inputCells[size_t(SelectedCell)], "Вход с таким номером не создан");
}

// The commands below change the model only once they are accepted: a refused command leaves
// the scheme unchanged, and makes no step.

void SchemeEditor::CreateAlarmClick() {
    if (Refuse(main_.Modules().GetModuleCount() == 0, "Недоступная функция") || RefuseNoInput() ||
        RefuseNoPanel())
        return;
    const int k = SelectedCell;
    if (alarmCells[size_t(k)])
        return;
    main_.Document().Edit(InputStepName(SelectedInput, "добавлена сигнализация"), [&] {
        CreateAlarmCell(k);
        ShowRows();
        EditAlarmClick();
    });
}

void SchemeEditor::DeleteAlarmClick() {
    InputProgram& inputProgram = main_.Program();
    if (Refuse(main_.Modules().GetModuleCount() == 0, "Недоступная функция") || RefuseNoInput())
        return;
    main_.Document().Edit(InputStepName(SelectedInput, "удалена сигнализация"), [&] {
        const int a = SelectedInput;
        inputProgram.PutAlarmType(a, 0);
        inputProgram.PutColor(a, 0);
        inputProgram.PutSound(a, 0);
        const size_t i = size_t(SelectedCell);
        Destroy(alarmCells[i]);
        Destroy(alarmArrows[i]);
        Destroy(soundMarks[i]);
        StretchLine(int(i));
    });
}

void SchemeEditor::CreateDelayClick() {
    if (RefuseNoInput() ||
        Refuse(ModuleType() == 2 && SelectedCell != 3 && SelectedCell != 4,
               "Недоступная функция") ||
        RefuseNoPanel())
        return;
    const int k = SelectedCell;
    if (delayCells[size_t(k)])
        return;
    main_.Document().Edit(InputStepName(SelectedInput, "добавлена задержка"), [&] {
        CreateDelayCell(k, 0);
        ShowRows();
        EditDelayClick();
    });
}

void SchemeEditor::DeleteDelayClick() {
    InputProgram& inputProgram = main_.Program();
    if (RefuseNoInput() || RefuseNoPanel())
        return;
    main_.Document().Edit(InputStepName(SelectedInput, "удалена задержка"), [&] {
        inputProgram.PutDelay(SelectedInput, 0);
        const size_t i = size_t(SelectedCell);
        Destroy(delayCells[i]);
        Destroy(delayArrows[i]);
        StretchLine(int(i));
    });
}

void SchemeEditor::CreateRelayClick() {
    InputProgram& inputProgram = main_.Program();
    if (RefuseNoInput() || RefuseNoPanel() ||
        Refuse(ModuleType() == 2 && SelectedCell != 3 && SelectedCell != 4, "Недоступная функция"))
        return;
    main_.Document().Edit(InputStepName(SelectedInput, "добавлен выход на реле"), [&] {
        const int k = SelectedCell;
        if (!relayCells[size_t(k)]) {
            CreateRelayCell(k);
            ShowRows();
        }
        inputProgram.PutRelay(SelectedInput, 1);
    });
}

void SchemeEditor::DeleteRelayClick() {
    InputProgram& inputProgram = main_.Program();
    if (RefuseNoInput() || RefuseNoPanel())
        return;
    main_.Document().Edit(InputStepName(SelectedInput, "удалён выход на реле"), [&] {
        inputProgram.PutRelay(SelectedInput, 0);
        const size_t i = size_t(SelectedCell);
        Destroy(relayMarks[i]);
        Destroy(relayCells[i]);
        Destroy(relayArrows[i]);
        StretchLine(int(i));
    });
}
