// The signalling and delay dialogs of the current row: filled from its record, stored back.

#include "scheme/schemeeditor.h"

#include "dialogs/delaydialog.h"
#include "dialogs/signallingdialog.h"
#include "dialogs/windowcontext.h"
#include "model/edithistory.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "scheme/alarmcell.h"
#include "scheme/delaycell.h"

#include <QLabel>

void SchemeEditor::EditAlarmClick() {
    InputProgram& inputProgram = main_.Program();
    if (Refuse(SelectedInput < 0, "Не выбран № входа или № ФБ") ||
        Refuse(!alarmCells[size_t(SelectedCell)],
               "Панель сигн. для входа с таким номером не создана"))
        return;
    const int a = SelectedInput;
    const size_t i = size_t(SelectedCell);
    // The main window's child, as every block dialog.
    SignallingDialog dialog(main_, parentWidget());
    dialog.SetHeading(a + 1, QString::fromStdString(main_.Modules().GetInputId(a)));
    dialog.FillFrom(inputProgram, a);
    if (main_.showModal(dialog) != mr::Cancel)
        return;
    const Signalling chosen = dialog.Chosen();
    main_.Document().Edit(InputStepName(a, "сигнализация"), [&] {
        inputProgram.PutAlarmType(a, chosen.alarmType);
        inputProgram.PutColor(a, chosen.colorCode);
        inputProgram.PutSound(a, chosen.sound);
        alarmCells[i]->PutTypeCaption(chosen.alarmType);
        alarmCells[i]->PaintNumber(dialog.PanelColor());
        delete soundMarks[i];
        soundMarks[i] = nullptr;
        if (inputProgram.GetSound(a) == 1) {
            CreateSoundMark(int(i));
            soundMarks[i]->show();
        }
    });
}

void SchemeEditor::EditDelayClick() {
    InputProgram& inputProgram = main_.Program();
    if (Refuse(SelectedInput < 0, "Не выбран № входа или № ФБ") ||
        Refuse(!delayCells[size_t(SelectedCell)],
               "Панель задерж. для входа с таким номером не создана"))
        return;
    const int a = SelectedInput;
    DelayDialog dialog(main_, parentWidget());
    dialog.SetHeading(a + 1, QString::fromStdString(main_.Modules().GetInputId(a)));
    dialog.FillDelay(inputProgram.GetDelay(a));
    if (main_.showModal(dialog) != mr::Cancel)
        return;
    main_.Document().Edit(InputStepName(a, "задержка"), [&] {
        const int value = dialog.TakeDelay();
        delayCells[size_t(SelectedCell)]->PutTimeDelay(value, 1);
        inputProgram.PutDelay(a, value);
    });
}
