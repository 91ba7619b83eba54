// The block editor's close query: every field is checked and stored in turn, and a failure
// either ends the programming (the whole image back from the reserve copy) or keeps the editor
// open.

#include "network/prog_f15.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/lummain.h"
#include "model/f15check.h"
#include "model/keyfilters.h"
#include "model/operator.h"
#include "model/progf15class.h"
#include "model/reservblocks.h"
#include "model/servclass.h"
#include "network/prog_lnet.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <cstring>

namespace {
// The field's decimal number, or -1 when it holds none.
long long DecimalOf(const QLineEdit* field) {
    return F15Decimal(field->text().toStdString());
}
} // namespace

void TFormF15::LeaveForFirstControl() {
    QWidget* was = focusWidget();
    moveFocus_ = true;
    EditKolVh->setFocus();
    moveFocus_ = false;
    kolVhByQuery_ = true;
    if (was != EditKolVh)
        FieldLeft(was);
}

void TFormF15::PlainMessage(const std::string& text) {
    main_.Op().Tell(text, std::string(), MsgIcon::None);
}

void TFormF15::Fail(const char* message) {
    failed_ = true;
    if (message)
        PlainMessage(message);
}

bool TFormF15::CanClose(int& result) {
    closePending_ = false;
    inQuery_ = true;
    failed_ = result == mr::Yes;
    LeaveForFirstControl();
    const long long kodF = DecimalOf(EditKodF);
    TProgF15Class& f15 = main_.ProgF15();
    if (!failed_) {
        if (kodF == 0 && f15.GetKodF(block_) == 0) {
            inQuery_ = false;
            return true;
        }
        CheckAndStore();
    }
    if (TFormLNet* net = main_.Windows().FormLNet)
        net->ShowBlockButton(block_, kodF != 0);
    bool close = false;
    if (failed_) {
        close = main_.Op().YesNo("Ошибка программирования \nЗакончить?",
                                 "Подтвердите окончание программирования");
        if (close) {
            RestoreImage();
            f15.FlagNoChange = false;
            ErrorText->hide();
            result = mr::Yes;
        }
    } else {
        close = CloseAfterChecks(result);
    }
    inQuery_ = false;
    return close;
}

bool TFormF15::CheckAndStore() {
    F15Fields fields;
    fields.kodF = EditKodF->text().toStdString();
    fields.slaveIndex = CBoxUstr->currentIndex();
    fields.kolVh = EditKolVh->text().toStdString();
    fields.adBegDat = EditAdBegDat->text().toStdString();
    fields.kolDat = EditKolDat->text().toStdString();
    for (int k = 0; k < KolSign; ++k)
        fields.numSign[size_t(k)] = Edit[size_t(k)]->text().toStdString();
    fields.kvit = Kvit->isChecked();
    fields.sbros = Sbros->isChecked();
    TProgF15Class& f15 = main_.ProgF15();
    const F15Check check = CheckAndStoreF15(fields, f15, block_);
    QLineEdit* marked = check.marker == F15Check::Marker::KodF       ? EditKodF
                        : check.marker == F15Check::Marker::KolVh    ? EditKolVh
                        : check.marker == F15Check::Marker::AdBegDat ? EditAdBegDat
                                                                     : nullptr;
    if (marked)
        ShowErrorText(marked, ErrorText);
    if (check.restoreKolVh)
        EditKolVh->setText(QString::number(f15.GetKolVh(block_)));
    if (check.failed)
        Fail(check.message.empty() ? nullptr : check.message.c_str());
    return !check.failed;
}

void TFormF15::RestoreImage() {
    TProgF15Class& f15 = main_.ProgF15();
    std::memcpy(f15.BufF15, main_.Reserv().ReservF15, sizeof f15.BufF15);
    if (TFormLNet* net = main_.Windows().FormLNet)
        net->ShowBlockButton(block_, f15.GetKodF(block_));
}

bool TFormF15::CloseAfterChecks(int& result) {
    TProgF15Class& f15 = main_.ProgF15();
    TServClass& serv = main_.Serv();
    result = mr::Cancel;
    if (serv.FlagFile) {
        if (!f15.FlagNoChange)
            serv.FlagChange = 1;
        return true;
    }
    if (f15.FlagNoChange)
        return true;
    const MsgButton answer = main_.Op().Ask({"База  была изменена.Сохранить?",
                                             "Подтвердите сохранение базы данных",
                                             MsgIcon::Question,
                                             {MsgButton::Yes, MsgButton::No, MsgButton::Cancel},
                                             MsgButton::No});
    if (answer == MsgButton::Yes) {
        // A failed write has been reported; the image still differs from the device, so the
        // network window's close offers the transfer again.
        SaveClick();
        return true;
    }
    if (answer == MsgButton::No) {
        RestoreImage();
        f15.FlagNoChange = false;
        return true;
    }
    return false;
}
