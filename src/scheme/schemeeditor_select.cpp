// Selection of rows with the mouse, hover highlighting and the context menu's decision.

#include "scheme/schemeeditor.h"

#include "dialogs/windowcontext.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "scheme/alarmcell.h"
#include "scheme/cellbutton.h"
#include "scheme/delaycell.h"
#include "scheme/inputcell.h"
#include "scheme/relaycell.h"
#include "scheme/schemecolors.h"
#include "scheme/schemeline.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>

bool SchemeEditor::ElementEvent(QObject* watched, QEvent* event) {
    const int k = RowOf(watched);
    if (k < 0)
        return false;
    const size_t i = size_t(k);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        InputMouseDown(watched, mouse->button(), mouse->modifiers());
        // The input panel still sees its press: its click toggles its highlight.
        return watched != PanInp[i];
    }
    case QEvent::MouseMove:
        RelayMouseMove(watched);
        return false;
    case QEvent::MouseButtonDblClick:
        if (watched == LabText[i])
            EditLabelClick(watched);
        else if (watched == PanSign[i]) {
            PanelDblClick(k);
            EditAlarmClick();
        } else if (watched == PanZader[i]) {
            PanelDblClick(k);
            EditDelayClick();
        }
        return true; // a double click is no second press
    case QEvent::ContextMenu:
        if (menuAssigned_)
            contextMenu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default:
        return false;
    }
}

int SchemeEditor::RowOf(QObject* element) const {
    if (!element)
        return -1;
    for (int k = 0; k < RowCount; ++k) {
        const size_t i = size_t(k);
        for (QObject* o : std::initializer_list<QObject*>{
                 ShRow[i], ShLine[i], PanInp[i], LabTitle[i], LabText[i], PanSign[i], ImZvuk[i],
                 PanZader[i], PanMR[i], ImRele[i], ImArrow1[i], ImArrow2[i], ImArrow3[i]})
            if (o == element)
                return k;
    }
    return -1;
}

bool SchemeEditor::RowSelected(int k) const {
    return k >= 0 && k < RowCount && ShRow[size_t(k)] &&
           ShRow[size_t(k)]->BrushColor() == scheme::SkyBlue();
}

void SchemeEditor::PaintRow(int k, bool selected) {
    if (k >= 0 && k < RowCount && ShRow[size_t(k)])
        ShRow[size_t(k)]->SetBrushColor(selected ? scheme::SkyBlue() : scheme::ButtonFace());
}

void SchemeEditor::InputMouseDown(QObject* sender, Qt::MouseButton button,
                                  Qt::KeyboardModifiers shift) {
    InputProgram& lum = main_.Program();
    const bool currentText = lum.SelectedCell >= 0 && sender == LabText[size_t(lum.SelectedCell)];
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

void SchemeEditor::CtrlToggle(int k) {
    InputProgram& lum = main_.Program();
    if (RowSelected(k)) {
        PaintRow(k, false);
        lum.MarkedRows[k] = 0;
        lum.SelectedCount = std::max(0, lum.SelectedCount - 1);
        int marked = 0;
        int last = -1;
        for (int r = 0; r < RowCount; ++r)
            if (lum.MarkedRows[r] == 1) {
                ++marked;
                last = r;
            }
        if (lum.SelectedCount == 1 && marked == 1) {
            lum.SelectedCell = last;
            lum.SelectedInput = Base() + last;
            lum.SelectedCount = 0;
        }
    } else {
        PaintRow(k, true);
        lum.MarkedRows[k] = 1;
        lum.SelectedCount = lum.SelectedCount + 1;
        if (lum.SelectedCell >= 0) {
            lum.MarkedRows[lum.SelectedCell] = 1;
            lum.SelectedCount = lum.SelectedCount + 1;
        }
    }
    if (lum.SelectedCount > 1) {
        lum.SelectedCell = -1;
        lum.SelectedInput = -1;
    }
}

void SchemeEditor::SingleSelect(int k) {
    InputProgram& lum = main_.Program();
    for (int r = 0; r < RowCount; ++r)
        if (ShRow[size_t(r)])
            lum.MarkedRows[r] = 0;
    PaintRow(k, true);
    if (k != lum.SelectedCell) {
        if (lum.SelectedCell >= 0) {
            PaintRow(lum.SelectedCell, false);
            if (InputCell* p = PanInp[size_t(lum.SelectedCell)])
                p->SetColor(scheme::ButtonFace());
        }
        SchemeAreaClick(false);
        lum.SelectedCount = 0;
        lum.SelectedCell = k;
        lum.SelectedInput = Base() + k;
    }
    PaintRow(lum.SelectedCell, true);
    lum.MarkedRows[lum.SelectedCell] = 1;
}

bool SchemeEditor::RowKey(QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    const int current = main_.Program().SelectedCell;
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const int step = key == Qt::Key_Up ? -1 : 1;
        int k = current < 0 ? (step > 0 ? -1 : RowCount) : current;
        for (k += step; k >= 0 && k < RowCount; k += step)
            if (ShRow[size_t(k)] && ShRow[size_t(k)]->isVisible()) {
                EndLabelEdit();
                SingleSelect(k);
                schemeScroll->ensureWidgetVisible(ShRow[size_t(k)], 0, RowHeight / 2);
                break;
            }
        return true;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Menu)
        return false;
    if (current < 0 || !ShRow[size_t(current)])
        return true;
    DecideContextMenu(current);
    if (menuAssigned_) {
        const QWidget* row = PanInp[size_t(current)]
                                 ? static_cast<QWidget*>(PanInp[size_t(current)])
                                 : ShRow[size_t(current)];
        contextMenu->popup(row->mapToGlobal(row->rect().center()));
    }
    return true;
}

void SchemeEditor::EndLabelEdit() {
    if (!labelEdit->isVisible())
        return;
    schemeScroll->setFocus();
    if (labelEdit->isVisible())
        LabelEditLeft(); // the focus did not move (the window is not active)
}

void SchemeEditor::DecideContextMenu(int k) {
    menuAssigned_ = RowSelected(k);
    if (menuAssigned_)
        EnablePopupItems();
}

void SchemeEditor::EnablePopupItems() {
    InputProgram& lum = main_.Program();
    const bool multiple = lum.SelectedCount > 1;
    const int r = lum.SelectedCell;
    const size_t i = size_t(std::max(0, r));
    const bool sign = r >= 0 && PanSign[i];
    const bool zader = r >= 0 && PanZader[i];
    const bool rele = r >= 0 && PanMR[i];
    createAlarmAction->setEnabled(!multiple && !sign);
    editAlarmAction->setEnabled(!multiple && sign);
    deleteAlarmAction->setEnabled(!multiple && sign);
    createDelayAction->setEnabled(!multiple && !zader);
    editDelayAction->setEnabled(!multiple && zader);
    deleteDelayAction->setEnabled(!multiple && zader);
    createRelayAction->setEnabled(!multiple && !rele);
    deleteRelayAction->setEnabled(!multiple && rele);
    createRelayAction->setVisible(ModType() == 1);
    deleteRelayAction->setVisible(ModType() == 1);
    labelAction->setEnabled(!multiple);
    archiveAction->setEnabled(!multiple);
}

void SchemeEditor::RelayMouseMove(QObject* sender) {
    const int k = RowOf(sender);
    menuAssigned_ = RowSelected(k);
    if (menuAssigned_)
        EnablePopupItems();
    for (int r = 0; r < RowCount; ++r) {
        const size_t i = size_t(r);
        for (SchemePanel* p :
             std::initializer_list<SchemePanel*>{PanInp[i], PanSign[i], PanZader[i], PanMR[i]})
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
    for (SchemePanel* p :
         std::initializer_list<SchemePanel*>{PanInp[i], PanSign[i], PanZader[i], PanMR[i]})
        if (p && sender == p)
            p->SetColor(scheme::TooltipBackground());
}

void SchemeEditor::SchemeAreaClick(bool fromArea) {
    InputProgram& lum = main_.Program();
    for (int k = 0; k < RowCount; ++k) {
        const size_t i = size_t(k);
        if (lum.MarkedRows[k] == 1) {
            lum.MarkedRows[k] = 0;
            if (PanInp[i])
                PanInp[i]->SetColor(scheme::ButtonFace());
        }
        for (SchemePanel* p :
             std::initializer_list<SchemePanel*>{PanMR[i], PanSign[i], PanZader[i]})
            if (p)
                p->SetColor(scheme::ButtonFace());
        if (ShRow[i]) {
            PaintRow(k, false);
            if (PanInp[i])
                PanInp[i]->SetColor(scheme::ButtonFace());
        }
    }
    lum.SelectedCell = -1;
    lum.SelectedInput = -1;
    if (fromArea) {
        EndLabelEdit();
        lum.SelectedCount = 0;
    }
}

void SchemeEditor::SelectAllClick() {
    InputProgram& lum = main_.Program();
    lum.SelectedCount = 0;
    for (int k = 0; k < RowCount; ++k)
        if (ShRow[size_t(k)]) {
            PaintRow(k, true);
            lum.MarkedRows[k] = 1;
            lum.SelectedCount = lum.SelectedCount + 1;
        }
    lum.SelectedCell = -1;
    lum.SelectedInput = -1;
}

void SchemeEditor::PanelDblClick(int k) {
    if (InputCell* p = PanInp[size_t(k)])
        p->Click();
    main_.Program().MarkedRows[k] = 1;
}
