// The main window's commands for the port, the exchange settings, the device number and
// closing; the other windows' commands hand over to those windows.

#include "app/obr_lum08.h"

#include "clock/prog_timedate.h"
#include "dialogs/uitext.h"
#include "link/comportclass.h"
#include "link/devicesequences.h"
#include "link/obrnastr.h"
#include "link/obrport.h"
#include "model/proglumclass.h"
#include "model/servclass.h"
#include "network/prog_lnet.h"
#include "report/obrinform.h"
#include "scheme/prog_diskr.h"

#include <QCloseEvent>
#include <QComboBox>

void TForm1::APortExecute() {
    TFormPort& dialog = *windows_.FormPort;
    for (;;) {
        const int r = showModal(dialog);
        if (r == mr::Ok)
            break;
        if (r != mr::Abort)
            return;
        const MsgButton again = op_->Ask({"Ошибочные данные ",
                                          "Ошибка",
                                          MsgIcon::Error,
                                          {MsgButton::Retry, MsgButton::Cancel},
                                          MsgButton::Retry});
        if (again != MsgButton::Retry)
            return;
    }
    static const char* const parity[] = {"N", "O", "E"};
    TComPortClass& port = *ComPort1;
    port.Parity = parity[dialog.ParitPos];
    port.Speed = dialog.Skor->currentText().toStdString();
    port.StopBits = dialog.StBitPos == 0 ? "1" : "2";
    port.PortName = dialog.ChosenPortName().toStdString();
    if (port.ApplyPortSettings() == -1)
        port.ReportError(ServClass->NumUstr, ResultCode::PortCannotOpen);
}

void TForm1::ANastrExecute() {
    TFormNastr& dialog = *windows_.FormNastr;
    if (showModal(dialog) == mr::Ok)
        dialog.ApplyTo(*ComPort1);
}

void TForm1::CBoxUstrClick() {
    const int chosen = CBoxUstr->currentText().toInt();
    if (chosen != ServClass->NumUstr + 1)
        ServClass->NumUstr = chosen - 1;
}

void TForm1::CBoxUstrZClick() {
    const int n = CBoxUstrZ->currentText().toInt();
    const int from = ServClass->NumUstr + 1;
    BeginExchange(U("Смена номера %1 → %2").arg(from).arg(n));
    const int code = ChangeBusNumber(*ComPort1, *ServClass, n - 1,
                                     [this] { ShowDeviceNumber(ServClass->NumUstr); });
    EndExchange();
    if (code != ResultCode::Ok) {
        ShowDone(U("Номер прибора не изменен"));
        ComPort1->ReportError(ServClass->NumUstr, code);
    } else {
        ShowDone(U("Номер прибора изменен: %1 → %2").arg(from).arg(n));
    }
}

void TForm1::ButTimeDateClick() {
    windows_.FormTimeDate->ButTimeDateClick();
}
void TForm1::InformButClick() {
    windows_.Inform->FillAndShow();
}
void TForm1::LocNetObmClick() {
    windows_.FormLNet->LocNetObmClick();
}
void TForm1::LocNet15Click() {
    windows_.FormLNet->LocNet15Click();
}

bool TForm1::FormCloseQuery() {
    if (ServClass->FlagFile == 1) {
        if (ServClass->FlagChange == 1) {
            // A save that failed or was cancelled keeps the window, and the edits, open.
            if (op_->YesNo("Данные были изменены. Сохранить в файле?",
                           "Подтвердите запись в файл") &&
                !SaveToFile())
                return false;
            if (ProgLumClass->Dostup == 1 && op_->YesNo("Данные были изменены. Передать в прибор?",
                                                        "Подтвердите передачу данных"))
                OutPortClick();
        }
        ComPort1->ClosePort();
    }
    return true;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

bool TForm1::SchemeEditorShown() const {
    return windows_.FormPrgD && windows_.FormPrgD->isVisible();
}
