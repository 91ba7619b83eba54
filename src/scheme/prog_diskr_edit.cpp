// The context menu of the scheme and the block commands on the current row: adding and
// deleting signalling, delay and relay blocks.

#include "scheme/prog_diskr.h"

#include "dialogs/lummain.h"
#include "dialogs/uitext.h"
#include "model/proglumclass.h"
#include "model/servclass.h"
#include "scheme/paninp.h"
#include "scheme/panmr.h"
#include "scheme/pansign.h"
#include "scheme/panzader.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {
template <class T> void Destroy(T*& element) {
    delete element;
    element = nullptr;
}
} // namespace

void TFormPrgD::CreatePopupMenu() {
    PopupMenu1 = new QMenu(this);
    auto item = [this](const char* text, void (TFormPrgD::*slot)()) {
        QAction* a = PopupMenu1->addAction(U(text));
        if (slot)
            connect(a, &QAction::triggered, this, slot);
        return a;
    };
    PMenuCreatSign = item("Добавить блок сигнализации", &TFormPrgD::CreatSignButClick);
    PMenuEditSign = item("Редактировать сигнализацию", &TFormPrgD::PMenu1SignClick);
    PMenuDelSign = item("Удалить сигнализацию", &TFormPrgD::DelSignClick);
    PopupMenu1->addSeparator();
    PMenuCreatZader = item("Добавить блок задержки", &TFormPrgD::CreatZaderButClick);
    PMenuEditZader = item("Редактировать задержку", &TFormPrgD::PMenu1ZaderClick);
    PMenuDelZader = item("Удалить задержку", &TFormPrgD::DelZaderClick);
    PopupMenu1->addSeparator();
    PMenuCreatVyh = item("Добавить  выход на реле", &TFormPrgD::CreatVyhButClick);
    PMenuDelVyh = item("Удалить выход на реле", &TFormPrgD::DelVyhClick);
    PopupMenu1->addSeparator();
    PMenuText = item("Ввод текст. реквизитов", nullptr);
    connect(PMenuText, &QAction::triggered, this, [this] { PMenu2TextClick(); });
    PMenuText->setVisible(false);
    PMenuArhiv = item("Архивирование", nullptr);
    PMenuArhiv->setVisible(false);
}

bool TFormPrgD::RefuseNoInput() {
    return Refuse(main_.ProgLum().NVhSel < 0, "Не выбран № входа");
}

bool TFormPrgD::RefuseNoPanel() {
    return Refuse(!PanInp[size_t(main_.ProgLum().NPanSel)], "Вход с таким номером не создан");
}

// The commands below change the model only once they are accepted: a refused command leaves
// the scheme unchanged, and so does FlagScheme.

void TFormPrgD::CreatSignButClick() {
    TProgLumClass& lum = main_.ProgLum();
    if (Refuse(main_.Serv().GetKolMod() == 0, "Недоступная функция") || RefuseNoInput() ||
        RefuseNoPanel())
        return;
    const int k = lum.NPanSel;
    if (PanSign[size_t(k)])
        return;
    lum.FlagScheme = 1;
    CreateSignPanel(k);
    ShowRows();
    PMenu1SignClick();
}

void TFormPrgD::DelSignClick() {
    TProgLumClass& lum = main_.ProgLum();
    if (Refuse(main_.Serv().GetKolMod() == 0, "Недоступная функция") || RefuseNoInput())
        return;
    lum.FlagScheme = 1;
    const int a = lum.NVhSel;
    lum.PutTipSign(a, 0);
    lum.PutColor(a, 0);
    lum.PutZvuk(a, 0);
    const size_t i = size_t(lum.NPanSel);
    Destroy(PanSign[i]);
    Destroy(ImArrow1[i]);
    Destroy(ImZvuk[i]);
    StretchLine(int(i));
}

void TFormPrgD::CreatZaderButClick() {
    TProgLumClass& lum = main_.ProgLum();
    if (RefuseNoInput() ||
        Refuse(ModType() == 2 && lum.NPanSel != 3 && lum.NPanSel != 4, "Недоступная функция") ||
        RefuseNoPanel())
        return;
    const int k = lum.NPanSel;
    if (PanZader[size_t(k)])
        return;
    lum.FlagScheme = 1;
    CreateZaderPanel(k, 0);
    ShowRows();
    PMenu1ZaderClick();
}

void TFormPrgD::DelZaderClick() {
    TProgLumClass& lum = main_.ProgLum();
    if (RefuseNoInput() || RefuseNoPanel())
        return;
    lum.FlagScheme = 1;
    lum.PutZader(lum.NVhSel, 0);
    const size_t i = size_t(lum.NPanSel);
    Destroy(PanZader[i]);
    Destroy(ImArrow2[i]);
    StretchLine(int(i));
}

void TFormPrgD::CreatVyhButClick() {
    TProgLumClass& lum = main_.ProgLum();
    if (RefuseNoInput() || RefuseNoPanel() ||
        Refuse(ModType() == 2 && lum.NPanSel != 3 && lum.NPanSel != 4, "Недоступная функция"))
        return;
    lum.FlagScheme = 1;
    const int k = lum.NPanSel;
    if (!PanMR[size_t(k)]) {
        CreateRelePanel(k);
        ShowRows();
    }
    lum.PutRele(lum.NVhSel, 1);
}

void TFormPrgD::DelVyhClick() {
    TProgLumClass& lum = main_.ProgLum();
    if (RefuseNoInput() || RefuseNoPanel())
        return;
    lum.FlagScheme = 1;
    lum.PutRele(lum.NVhSel, 0);
    const size_t i = size_t(lum.NPanSel);
    Destroy(ImRele[i]);
    Destroy(PanMR[i]);
    Destroy(ImArrow3[i]);
    StretchLine(int(i));
}
