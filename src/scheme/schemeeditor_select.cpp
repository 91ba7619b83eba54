// Selection of rows with the mouse, hover highlighting and the context menu's decision.

#include "scheme/schemeeditor.h"

#include "dialogs/uitext.h"
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
        return watched != inputCells[i];
    }
    case QEvent::MouseMove:
        RelayMouseMove(watched);
        return false;
    case QEvent::MouseButtonDblClick:
        if (watched == labelTexts[i])
            EditLabelClick(watched);
        else if (watched == alarmCells[i]) {
            PanelDblClick(k);
            EditAlarmClick();
        } else if (watched == delayCells[i]) {
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
                 rowFrames[i], rowLines[i], inputCells[i], titleLabels[i], labelTexts[i],
                 alarmCells[i], soundMarks[i], delayCells[i], relayCells[i], relayMarks[i],
                 alarmArrows[i], delayArrows[i], relayArrows[i]})
            if (o == element)
                return k;
    }
    return -1;
}

bool SchemeEditor::RowSelected(int k) const {
    return k >= 0 && k < RowCount && rowFrames[size_t(k)] &&
           rowFrames[size_t(k)]->BrushColor() == scheme::SkyBlue();
}

void SchemeEditor::PaintRow(int k, bool selected) {
    if (k >= 0 && k < RowCount && rowFrames[size_t(k)])
        rowFrames[size_t(k)]->SetBrushColor(selected ? scheme::SkyBlue() : scheme::ButtonFace());
}

void SchemeEditor::InputMouseDown(QObject* sender, Qt::MouseButton button,
                                  Qt::KeyboardModifiers shift) {
    const bool currentText = SelectedCell >= 0 && sender == labelTexts[size_t(SelectedCell)];
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
    if (RowSelected(k)) {
        PaintRow(k, false);
        MarkedRows[k] = 0;
        SelectedCount = std::max(0, SelectedCount - 1);
        int marked = 0;
        int last = -1;
        for (int r = 0; r < RowCount; ++r)
            if (MarkedRows[r] == 1) {
                ++marked;
                last = r;
            }
        if (SelectedCount == 1 && marked == 1) {
            SelectedCell = last;
            SelectedInput = Base() + last;
            SelectedCount = 0;
        }
    } else {
        PaintRow(k, true);
        MarkedRows[k] = 1;
        SelectedCount = SelectedCount + 1;
        if (SelectedCell >= 0) {
            MarkedRows[SelectedCell] = 1;
            SelectedCount = SelectedCount + 1;
        }
    }
    if (SelectedCount > 1) {
        SelectedCell = -1;
        SelectedInput = -1;
    }
}

void SchemeEditor::SingleSelect(int k) {
    for (int r = 0; r < RowCount; ++r)
        if (rowFrames[size_t(r)])
            MarkedRows[r] = 0;
    PaintRow(k, true);
    if (k != SelectedCell) {
        if (SelectedCell >= 0) {
            PaintRow(SelectedCell, false);
            if (InputCell* p = inputCells[size_t(SelectedCell)])
                p->SetColor(scheme::ButtonFace());
        }
        SchemeAreaClick(false);
        SelectedCount = 0;
        SelectedCell = k;
        SelectedInput = Base() + k;
    }
    PaintRow(SelectedCell, true);
    MarkedRows[SelectedCell] = 1;
}

bool SchemeEditor::RowKey(QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    const int current = SelectedCell;
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const int step = key == Qt::Key_Up ? -1 : 1;
        int k = current < 0 ? (step > 0 ? -1 : RowCount) : current;
        for (k += step; k >= 0 && k < RowCount; k += step)
            if (rowFrames[size_t(k)] && rowFrames[size_t(k)]->isVisible()) {
                EndLabelEdit();
                SingleSelect(k);
                schemeScroll->ensureWidgetVisible(rowFrames[size_t(k)], 0, RowHeight / 2);
                break;
            }
        return true;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Menu)
        return false;
    if (current < 0 || !rowFrames[size_t(current)])
        return true;
    DecideContextMenu(current);
    if (menuAssigned_) {
        const QWidget* row = inputCells[size_t(current)]
                                 ? static_cast<QWidget*>(inputCells[size_t(current)])
                                 : rowFrames[size_t(current)];
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
    const bool multiple = SelectedCount > 1;
    const int r = SelectedCell;
    const size_t i = size_t(std::max(0, r));
    const bool hasAlarm = r >= 0 && alarmCells[i];
    const bool hasDelay = r >= 0 && delayCells[i];
    const bool hasRelay = r >= 0 && relayCells[i];
    // An "МСЮ" module has output delays on its inputs 4 and 5 only.
    const bool delayHere = ModuleType() != 2 || r == 3 || r == 4;
    // A greyed command says why in its tooltip; an enabled one says what it does.
    auto offer = [multiple](QAction* action, bool applies, const char* why) {
        const bool on = !multiple && applies;
        action->setEnabled(on);
        const QString reason =
            multiple ? U("Выбрано несколько входов: команда относится к одному входу") : U(why);
        action->setToolTip(on ? action->text().remove('&') : reason);
        action->setStatusTip(on ? QString() : reason);
    };
    offer(createAlarmAction, !hasAlarm, "У входа уже есть блок сигнализации");
    offer(editAlarmAction, hasAlarm, "У входа нет блока сигнализации");
    offer(deleteAlarmAction, hasAlarm, "У входа нет блока сигнализации");
    offer(createDelayAction, !hasDelay && delayHere,
          hasDelay ? "У входа уже есть блок задержки"
                   : "У модуля МСЮ задержка выхода есть только у входов 4 и 5 модуля");
    offer(editDelayAction, hasDelay, "У входа нет блока задержки");
    offer(deleteDelayAction, hasDelay, "У входа нет блока задержки");
    offer(createRelayAction, !hasRelay, "У входа уже есть выход на реле");
    offer(deleteRelayAction, hasRelay, "У входа нет выхода на реле");
    createRelayAction->setVisible(ModuleType() == 1);
    deleteRelayAction->setVisible(ModuleType() == 1);
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
        for (SchemePanel* p : std::initializer_list<SchemePanel*>{inputCells[i], alarmCells[i],
                                                                  delayCells[i], relayCells[i]})
            if (p)
                p->SetColor(scheme::ButtonFace());
        if (QLabel* text = labelTexts[i]) {
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
    if (sender == labelTexts[i]) {
        QPalette pal = labelTexts[i]->palette();
        pal.setColor(QPalette::Window, scheme::TooltipBackground());
        labelTexts[i]->setPalette(pal);
        return;
    }
    for (SchemePanel* p : std::initializer_list<SchemePanel*>{inputCells[i], alarmCells[i],
                                                              delayCells[i], relayCells[i]})
        if (p && sender == p)
            p->SetColor(scheme::TooltipBackground());
}

void SchemeEditor::SchemeAreaClick(bool fromArea) {
    for (int k = 0; k < RowCount; ++k) {
        const size_t i = size_t(k);
        if (MarkedRows[k] == 1) {
            MarkedRows[k] = 0;
            if (inputCells[i])
                inputCells[i]->SetColor(scheme::ButtonFace());
        }
        for (SchemePanel* p :
             std::initializer_list<SchemePanel*>{relayCells[i], alarmCells[i], delayCells[i]})
            if (p)
                p->SetColor(scheme::ButtonFace());
        if (rowFrames[i]) {
            PaintRow(k, false);
            if (inputCells[i])
                inputCells[i]->SetColor(scheme::ButtonFace());
        }
    }
    SelectedCell = -1;
    SelectedInput = -1;
    if (fromArea) {
        EndLabelEdit();
        SelectedCount = 0;
    }
}

void SchemeEditor::SelectAllClick() {
    SelectedCount = 0;
    for (int k = 0; k < RowCount; ++k)
        if (rowFrames[size_t(k)]) {
            PaintRow(k, true);
            MarkedRows[k] = 1;
            SelectedCount = SelectedCount + 1;
        }
    SelectedCell = -1;
    SelectedInput = -1;
}

void SchemeEditor::PanelDblClick(int k) {
    if (InputCell* p = inputCells[size_t(k)])
        p->Click();
    MarkedRows[k] = 1;
}
