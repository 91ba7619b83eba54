// The signalling and delay dialogs of the current row: filled from its record, stored back.

#include "scheme/prog_diskr.h"

#include "dialogs/lummain.h"
#include "dialogs/obrsign_mb.h"
#include "dialogs/obrza_mb.h"
#include "model/proglumclass.h"
#include "model/servclass.h"
#include "scheme/pansign.h"
#include "scheme/panzader.h"

#include <QLabel>

void TFormPrgD::PMenu1SignClick() {
    TProgLumClass& lum = main_.ProgLum();
    if (Refuse(lum.NVhSel < 0, "Не выбран № входа или № ФБ") ||
        Refuse(!PanSign[size_t(lum.NPanSel)], "Панель сигн. для входа с таким номером не создана"))
        return;
    const int a = lum.NVhSel;
    const size_t i = size_t(lum.NPanSel);
    TFormSig& dialog = *main_.Windows().FormSig;
    dialog.SetHeading(a + 1, QString::fromStdString(main_.Serv().GetIdVh(a)));
    // Filling the dialog is no change of the scheme.
    lum.FlagSchemeCopy = lum.FlagScheme;
    dialog.FillFrom(lum, a);
    lum.FlagScheme = lum.FlagSchemeCopy;
    if (main_.showModal(dialog) != mr::Cancel)
        return;
    dialog.StoreTo(lum, a);
    PanSign[i]->PutTipS(dialog.AlarmType());
    PanSign[i]->PutColorSign(dialog.PanelColor());
    delete ImZvuk[i];
    ImZvuk[i] = nullptr;
    if (lum.GetZvuk(a) == 1) {
        CreateSoundMark(int(i));
        ImZvuk[i]->show();
    }
}

void TFormPrgD::PMenu1ZaderClick() {
    TProgLumClass& lum = main_.ProgLum();
    if (Refuse(lum.NVhSel < 0, "Не выбран № входа или № ФБ") ||
        Refuse(!PanZader[size_t(lum.NPanSel)],
               "Панель задерж. для входа с таким номером не создана"))
        return;
    const int a = lum.NVhSel;
    TFormZa& dialog = *main_.Windows().FormZa;
    dialog.SetHeading(a + 1, QString::fromStdString(main_.Serv().GetIdVh(a)));
    lum.FlagSchemeCopy = lum.FlagScheme;
    dialog.FillDelay(lum.GetZader(a));
    lum.FlagScheme = lum.FlagSchemeCopy;
    if (main_.showModal(dialog) != mr::Cancel)
        return;
    const int value = dialog.TakeDelay();
    PanZader[size_t(lum.NPanSel)]->PutTimeDelay(value, 1);
    lum.PutZader(a, value);
}
