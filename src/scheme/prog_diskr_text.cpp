// Text labels on the scheme: the label dialog, typing a label in place on its row, and the
// row's texts afterwards.

#include "scheme/prog_diskr.h"

#include "dialogs/cp1251.h"
#include "dialogs/lummain.h"
#include "dialogs/obrtext_mb.h"
#include "dialogs/uitext.h"
#include "model/proglumclass.h"
#include "model/servclass.h"
#include "scheme/paninp.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>

void TFormPrgD::PMenu2TextClick(QObject* sender) {
    TProgLumClass& lum = main_.ProgLum();
    if (RefuseNoInput() || RefuseNoPanel())
        return;
    const int k = lum.NPanSel;
    lum.MarkPan[k] = 1;
    if (sender && sender == LabText[size_t(k)]) {
        StartInPlaceEdit();
        return;
    }
    const int a = lum.NVhSel;
    TFormText& dialog = *main_.Windows().FormText;
    dialog.SetHeading(a + 1, QString::fromStdString(main_.Serv().GetIdVh(a)));
    dialog.FillFrom(a);
    if (main_.showModal(dialog) != mr::Cancel)
        return;
    StoreLabel(k, dialog.EditText->text());
}

void TFormPrgD::StartInPlaceEdit() {
    const int k = main_.ProgLum().NPanSel;
    const QLabel* text = LabText[size_t(k)];
    editRow_ = k;
    SetEditShortcuts(false); // the keys belong to the editor while it is open
    EditText->setText(FromCp1251(main_.Serv().GetTextVh(Base() + k)).left(14));
    EditText->move(text->x(), text->y() - 4);
    menuAssigned_ = false;
    EditText->show();
    EditText->raise();
    EditText->setFocus();
}

bool TFormPrgD::EditFilter(QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Only a focus that moves on within the window ends the edit.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            EditTextExit();
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter moves on, which ends the edit.
            ScrollBox1->setFocus(Qt::TabFocusReason);
            if (EditText->isVisible())
                EditTextExit();
            return true;
        }
    }
    return false;
}

void TFormPrgD::EditTextExit() {
    if (editExiting_ || !EditText->isVisible())
        return;
    editExiting_ = true;
    SetEditShortcuts(true);
    // The label goes to the row it was typed on, even when the selection has moved since.
    if (editRow_ >= 0 && PanInp[size_t(editRow_)])
        StoreLabel(editRow_, EditText->text());
    editRow_ = -1;
    EditText->hide();
    EditText->clear();
    editExiting_ = false;
}

void TFormPrgD::StoreLabel(int k, const QString& text) {
    TServClass& serv = main_.Serv();
    serv.PutTextVh(ToCp1251(text), Base() + k);
    // A label edited here belongs to the file like one edited in the inputs table.
    if (serv.FlagText == 1 && serv.FlagFile == 1)
        serv.FlagChange = 1;
    serv.FlagText = 0;
    RefreshRow(k);
}

void TFormPrgD::RefreshRow(int k) {
    const size_t i = size_t(k);
    const int a = Base() + k;
    const QString label = FromCp1251(main_.Serv().GetTextVh(a));
    if (PanInp[i])
        PanInp[i]->SetHint(U("номер входа  на схеме ") + QString::number(k + 1) + "\n" +
                           U("адрес сигнала в базе ") + QString::number(a + 1) + "\n" + label);
    if (LabText[i])
        LabText[i]->setText("  " + label);
    // The title keeps the module's own row names: a valve module's rows keep theirs.
    if (LabTitle[i])
        LabTitle[i]->setText(TitleText(k));
}

void TFormPrgD::SetEditShortcuts(bool on) {
    ADel->setShortcut(on ? QKeySequence(Qt::Key_Delete) : QKeySequence());
    ACopy->setShortcut(on ? QKeySequence(Qt::CTRL | Qt::Key_C) : QKeySequence());
    AInsert->setShortcut(on ? QKeySequence(Qt::CTRL | Qt::Key_V) : QKeySequence());
    AChooseAll->setShortcut(on ? QKeySequence(Qt::CTRL | Qt::Key_A) : QKeySequence());
    ACut->setShortcut(on ? QKeySequence(Qt::CTRL | Qt::Key_X) : QKeySequence());
}
