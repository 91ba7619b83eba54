// The row buttons (contact type, processing, signal type) and the module-level groups (pump
// blocking, relay action).

#include "scheme/prog_diskr.h"

#include "dialogs/lummain.h"
#include "model/operator.h"
#include "model/proglumclass.h"
#include "model/servclass.h"
#include "scheme/spbut.h"

#include <QLabel>
#include <QLineEdit>

void TFormPrgD::PanInp1SpBClick(int k) {
    TProgLumClass& lum = main_.ProgLum();
    lum.FlagScheme = 1;
    lum.PutKont(Base() + k, SpKont[size_t(k)]->Down() ? 1 : 0);
}

void TFormPrgD::ArhivClick(int k) {
    TProgLumClass& lum = main_.ProgLum();
    lum.FlagScheme = 1;
    lum.PutArhiv(Base() + k, SpArhiv[size_t(k)]->Down() ? 1 : 0);
}

void TFormPrgD::TVhClick(int k) {
    TProgLumClass& lum = main_.ProgLum();
    lum.FlagScheme = 1;
    main_.Op().Tell("N_Mod=" + std::to_string(Mod()) + " i_beg=" + std::to_string(Base()), "",
                    MsgIcon::Information);
    const int a = Base() + k;
    lum.PutNamur(a, SpTVh[size_t(k)]->Down() ? 1 : 0);
    if (ModType() == 2 && k >= 2 && k <= 4) {
        // These inputs of a valve module are always dry contacts.
        SpTVh[size_t(k)]->SetDown(false);
        lum.PutNamur(a, 0);
    }
}

void TFormPrgD::SpButNasosClick() {
    TProgLumClass& lum = main_.ProgLum();
    lum.FlagScheme = 1;
    const bool on = SpButNasos->Down();
    lum.PutModPar(Mod() - 1, on ? 1 : 0);
    EditNasos->setText("1");
    EditNasos->setVisible(on);
    LabDatchik->setVisible(on);
}

void TFormPrgD::EditNasosExit() {
    // An emptied edit keeps the sensor number the module had; with the blocking switched off
    // (the edit hidden by that very click) there is no sensor to store.
    if (ModType() == 2 || !SpButNasos->Down() || EditNasos->text().isEmpty())
        return;
    main_.ProgLum().PutModPar(Mod() - 1, EditNasos->text().toInt());
}

void TFormPrgD::RadioGroupReleClick(int index) {
    TProgLumClass& lum = main_.ProgLum();
    lum.FlagScheme = 1;
    lum.PutModPar(Mod() - 1, index);
}
