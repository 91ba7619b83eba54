// Text labels on the scheme: the label dialog, typing a label in place on its row, and the
// row's texts afterwards.

#include "scheme/schemeeditor.h"

#include "dialogs/cp1251.h"
#include "dialogs/labeldialog.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/edithistory.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "scheme/inputcell.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>

void SchemeEditor::EditLabelClick(QObject* sender) {
    if (RefuseNoInput() || RefuseNoPanel())
        return;
    const int k = SelectedCell;
    MarkedRows[k] = 1;
    if (sender && sender == labelTexts[size_t(k)]) {
        StartInPlaceEdit();
        return;
    }
    const int a = SelectedInput;
    LabelDialog dialog(main_, parentWidget());
    dialog.SetHeading(a + 1, QString::fromStdString(main_.Modules().GetInputId(a)));
    dialog.FillFrom(a);
    if (main_.showModal(dialog) != mr::Cancel)
        return;
    StoreLabel(k, dialog.Text());
}

void SchemeEditor::StartInPlaceEdit() {
    const int k = SelectedCell;
    const QLabel* text = labelTexts[size_t(k)];
    editRow_ = k;
    SetEditShortcuts(false); // the keys belong to the editor while it is open
    labelEdit->setText(FromCp1251(main_.Modules().GetLabel(Base() + k)).left(14));
    labelEdit->move(text->x(), text->y() - 4);
    menuAssigned_ = false;
    labelEdit->show();
    labelEdit->raise();
    labelEdit->setFocus();
}

bool SchemeEditor::EditFilter(QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Only a focus that moves on within the window ends the edit.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            LabelEditLeft();
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter moves on, which ends the edit.
            schemeScroll->setFocus(Qt::TabFocusReason);
            if (labelEdit->isVisible())
                LabelEditLeft();
            return true;
        }
    }
    return false;
}

void SchemeEditor::LabelEditLeft() {
    if (editExiting_ || !labelEdit->isVisible())
        return;
    editExiting_ = true;
    SetEditShortcuts(true);
    // The label goes to the row it was typed on, even when the selection has moved since.
    if (editRow_ >= 0 && inputCells[size_t(editRow_)])
        StoreLabel(editRow_, labelEdit->text());
    editRow_ = -1;
    labelEdit->hide();
    labelEdit->clear();
    editExiting_ = false;
}

void SchemeEditor::StoreLabel(int k, const QString& text) {
    main_.Document().Edit(InputStepName(Base() + k, "текст"), [&] {
        main_.Modules().PutLabel(ToCp1251(text), Base() + k);
        RefreshRow(k);
    });
}

void SchemeEditor::RefreshRow(int k) {
    const size_t i = size_t(k);
    const int a = Base() + k;
    const QString label = FromCp1251(main_.Modules().GetLabel(a));
    if (inputCells[i])
        inputCells[i]->SetHint(U("номер входа  на схеме ") + QString::number(k + 1) + "\n" +
                               U("адрес сигнала в базе ") + QString::number(a + 1) + "\n" + label);
    if (labelTexts[i])
        labelTexts[i]->setText("  " + label);
    // The title keeps the module's own row names: a valve module's rows keep theirs.
    if (titleLabels[i])
        titleLabels[i]->setText(TitleText(k));
}

void SchemeEditor::SetEditShortcuts(bool on) {
    deleteAction->setShortcut(on ? QKeySequence(Qt::Key_Delete) : QKeySequence());
    copyAction->setShortcut(on ? QKeySequence(Qt::CTRL | Qt::Key_C) : QKeySequence());
    pasteAction->setShortcut(on ? QKeySequence(Qt::CTRL | Qt::Key_V) : QKeySequence());
    selectAllAction->setShortcut(on ? QKeySequence(Qt::CTRL | Qt::Key_A) : QKeySequence());
    cutAction->setShortcut(on ? QKeySequence(Qt::CTRL | Qt::Key_X) : QKeySequence());
}
