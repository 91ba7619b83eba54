// Selection of rows with the mouse, hover highlighting and the context menu's decision.

#include "scheme/prog_diskr.h"

#include "dialogs/lummain.h"
#include "model/proglumclass.h"
#include "model/servclass.h"
#include "scheme/paninp.h"
#include "scheme/panmr.h"
#include "scheme/pansign.h"
#include "scheme/panzader.h"
#include "scheme/schemecolors.h"
#include "scheme/shapehorz.h"
#include "scheme/spbut.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>

bool TFormPrgD::ElementEvent(QObject* watched, QEvent* event) {
    const int k = RowOf(watched);
    if (k < 0)
        return false;
    const size_t i = size_t(k);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        ShVh1MouseDown(watched, mouse->button(), mouse->modifiers());
        // The input panel still sees its press: its click toggles its highlight.
        return watched != PanInp[i];
    }
    case QEvent::MouseMove:
        PanMR1MouseMove(watched);
        return false;
    case QEvent::MouseButtonDblClick:
        if (watched == LabText[i])
            PMenu2TextClick(watched);
        else if (watched == PanSign[i]) {
            PanelDblClick(k);
            PMenu1SignClick();
        } else if (watched == PanZader[i]) {
            PanelDblClick(k);
            PMenu1ZaderClick();
        }
        return true; // a double click is no second press
    case QEvent::ContextMenu:
        if (menuAssigned_)
            PopupMenu1->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default:
        return false;
    }
}

int TFormPrgD::RowOf(QObject* element) const {
    if (!element)
        return -1;
    for (int k = 0; k < KolRows; ++k) {
        const size_t i = size_t(k);
        for (QObject* o : std::initializer_list<QObject*>{
                 ShRow[i], ShLine[i], PanInp[i], LabTitle[i], LabText[i], PanSign[i], ImZvuk[i],
                 PanZader[i], PanMR[i], ImRele[i], ImArrow1[i], ImArrow2[i], ImArrow3[i]})
            if (o == element)
                return k;
    }
    return -1;
}

bool TFormPrgD::RowSelected(int k) const {
    return k >= 0 && k < KolRows && ShRow[size_t(k)] &&
           ShRow[size_t(k)]->BrushColor() == scheme::SkyBlue();
}

void TFormPrgD::PaintRow(int k, bool selected) {
    if (k >= 0 && k < KolRows && ShRow[size_t(k)])
        ShRow[size_t(k)]->SetBrushColor(selected ? scheme::SkyBlue() : scheme::ButtonFace());
}

void TFormPrgD::ShVh1MouseDown(QObject* sender, Qt::MouseButton button,
                               Qt::KeyboardModifiers shift) {
    TProgLumClass& lum = main_.ProgLum();
    const bool currentText = lum.NPanSel >= 0 && sender == LabText[size_t(lum.NPanSel)];
    if (!currentText)
        EndLabelEdit();
    const int k = RowOf(sender);
    if (k < 0)
        return;
    if (button == Qt::LeftButton && (shift & Qt::ControlModifier))
        CtrlToggle(k);
    else if (button == Qt::LeftButton)
        SingleSelect(k);
    else if (button == Qt::RightButton)
        DecideContextMenu(k);
}

void TFormPrgD::CtrlToggle(int k) {
    TProgLumClass& lum = main_.ProgLum();
    if (RowSelected(k)) {
        PaintRow(k, false);
        lum.MarkPan[k] = 0;
        lum.KolSel = std::max(0, lum.KolSel - 1);
        int marked = 0;
        int last = -1;
        for (int r = 0; r < KolRows; ++r)
            if (lum.MarkPan[r] == 1) {
                ++marked;
                last = r;
            }
        if (lum.KolSel == 1 && marked == 1) {
            lum.NPanSel = last;
            lum.NVhSel = Base() + last;
            lum.KolSel = 0;
        }
    } else {
        PaintRow(k, true);
        lum.MarkPan[k] = 1;
        lum.KolSel = lum.KolSel + 1;
        if (lum.NPanSel >= 0) {
            lum.MarkPan[lum.NPanSel] = 1;
            lum.KolSel = lum.KolSel + 1;
        }
    }
    if (lum.KolSel > 1) {
        lum.NPanSel = -1;
        lum.NVhSel = -1;
    }
}

void TFormPrgD::SingleSelect(int k) {
    TProgLumClass& lum = main_.ProgLum();
    for (int r = 0; r < KolRows; ++r)
        if (ShRow[size_t(r)])
            lum.MarkPan[r] = 0;
    PaintRow(k, true);
    if (k != lum.NPanSel) {
        if (lum.NPanSel >= 0) {
            PaintRow(lum.NPanSel, false);
            if (TPanInp* p = PanInp[size_t(lum.NPanSel)])
                p->SetColor(scheme::ButtonFace());
        }
        ScrollBox1Click(false);
        lum.KolSel = 0;
        lum.NPanSel = k;
        lum.NVhSel = Base() + k;
    }
    PaintRow(lum.NPanSel, true);
    lum.MarkPan[lum.NPanSel] = 1;
}

void TFormPrgD::EndLabelEdit() {
    if (!EditText->isVisible())
        return;
    ScrollBox1->setFocus();
    if (EditText->isVisible())
        EditTextExit(); // the focus did not move (the window is not active)
}

void TFormPrgD::DecideContextMenu(int k) {
    menuAssigned_ = RowSelected(k);
    if (menuAssigned_)
        EnablePopupItems();
}

void TFormPrgD::EnablePopupItems() {
    TProgLumClass& lum = main_.ProgLum();
    const bool multiple = lum.KolSel > 1;
    const int r = lum.NPanSel;
    const size_t i = size_t(std::max(0, r));
    const bool sign = r >= 0 && PanSign[i];
    const bool zader = r >= 0 && PanZader[i];
    const bool rele = r >= 0 && PanMR[i];
    PMenuCreatSign->setEnabled(!multiple && !sign);
    PMenuEditSign->setEnabled(!multiple && sign);
    PMenuDelSign->setEnabled(!multiple && sign);
    PMenuCreatZader->setEnabled(!multiple && !zader);
    PMenuEditZader->setEnabled(!multiple && zader);
    PMenuDelZader->setEnabled(!multiple && zader);
    PMenuCreatVyh->setEnabled(!multiple && !rele);
    PMenuDelVyh->setEnabled(!multiple && rele);
    PMenuCreatVyh->setVisible(ModType() == 1);
    PMenuDelVyh->setVisible(ModType() == 1);
    PMenuText->setEnabled(!multiple);
    PMenuArhiv->setEnabled(!multiple);
}

void TFormPrgD::PanMR1MouseMove(QObject* sender) {
    const int k = RowOf(sender);
    menuAssigned_ = RowSelected(k);
    if (menuAssigned_)
        EnablePopupItems();
    for (int r = 0; r < KolRows; ++r) {
        const size_t i = size_t(r);
        for (TPanel* p :
             std::initializer_list<TPanel*>{PanInp[i], PanSign[i], PanZader[i], PanMR[i]})
            if (p)
                p->SetColor(scheme::ButtonFace());
        if (QLabel* text = LabText[i]) {
            QPalette pal = text->palette();
            if (pal.color(QPalette::Window) != scheme::ButtonFace()) {
                pal.setColor(QPalette::Window, scheme::ButtonFace());
                text->setPalette(pal);
            }
        }
    }
    if (k < 0)
        return;
    const size_t i = size_t(k);
    if (sender == LabText[i]) {
        QPalette pal = LabText[i]->palette();
        pal.setColor(QPalette::Window, scheme::TooltipBackground());
        LabText[i]->setPalette(pal);
        return;
    }
    for (TPanel* p : std::initializer_list<TPanel*>{PanInp[i], PanSign[i], PanZader[i], PanMR[i]})
        if (p && sender == p)
            p->SetColor(scheme::TooltipBackground());
}

void TFormPrgD::ScrollBox1Click(bool fromArea) {
    TProgLumClass& lum = main_.ProgLum();
    for (int k = 0; k < KolRows; ++k) {
        const size_t i = size_t(k);
        if (lum.MarkPan[k] == 1) {
            lum.MarkPan[k] = 0;
            if (PanInp[i])
                PanInp[i]->SetColor(scheme::ButtonFace());
        }
        for (TPanel* p : std::initializer_list<TPanel*>{PanMR[i], PanSign[i], PanZader[i]})
            if (p)
                p->SetColor(scheme::ButtonFace());
        if (ShRow[i]) {
            PaintRow(k, false);
            if (PanInp[i])
                PanInp[i]->SetColor(scheme::ButtonFace());
        }
    }
    lum.NPanSel = -1;
    lum.NVhSel = -1;
    if (fromArea) {
        EndLabelEdit();
        lum.KolSel = 0;
    }
}

void TFormPrgD::ChooseAllClick() {
    TProgLumClass& lum = main_.ProgLum();
    lum.KolSel = 0;
    for (int k = 0; k < KolRows; ++k)
        if (ShRow[size_t(k)]) {
            PaintRow(k, true);
            lum.MarkPan[k] = 1;
            lum.KolSel = lum.KolSel + 1;
        }
    lum.NPanSel = -1;
    lum.NVhSel = -1;
}

void TFormPrgD::PanelDblClick(int k) {
    if (TPanInp* p = PanInp[size_t(k)])
        p->Click();
    main_.ProgLum().MarkPan[k] = 1;
}
