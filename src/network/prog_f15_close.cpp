// The block editor's close query: every field is checked and stored in turn, and a failure
// either ends the programming (the whole image back from the reserve copy) or keeps the editor
// open.

#include "network/prog_f15.h"

#include "dialogs/fieldcheck.h"
#include "dialogs/lummain.h"
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
constexpr int KodF15 = 15;
constexpr int MaxNumSign = 36;

// The field's decimal number, or -1 when it holds none: such a value fails every check.
long long DecimalOf(const QLineEdit* field) {
    long long value = -1;
    return ParseDecimal(field->text().toStdString(), value) ? value : -1;
}

// The start address: up to four hexadecimal digits, empty reading as 0; false for anything
// else (pasted text passes no key filter).
bool HexOf(const QString& text, int& value) {
    const QString t = text.trimmed();
    value = 0;
    if (t.size() > 4)
        return false;
    for (QChar c : t) {
        const char16_t u = c.unicode();
        int digit = 0;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else
            return false;
        value = value * 16 + digit;
    }
    return true;
}
} // namespace

void TFormF15::LeaveForFirstControl() {
    QWidget* was = focusWidget();
    moveFocus_ = true;
    EditKolVh->setFocus();
    moveFocus_ = false;
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
    TProgF15Class& f15 = main_.ProgF15();
    // (a) the function code: a wrong one is marked and the other checks still run.
    const long long kodF = DecimalOf(EditKodF);
    if (kodF != 0 && kodF != KodF15) {
        ShowErrorText(EditKodF, ErrorText);
        Fail(nullptr);
    } else if (kodF == KodF15) {
        f15.PutKodF(block_, KodF15);
    }
    // (b) the slave address.
    if (CBoxUstr->currentIndex() < 0) {
        f15.PutAdrSlave(block_, 0);
        Fail("адрес Slave в локальной сети не задан");
        return false;
    }
    f15.PutAdrSlave(block_, CBoxUstr->currentIndex() + 1);
    // (c) the number of inputs.
    int kolVh = 0;
    if (!CheckKolVh(kolVh))
        return false;
    // (d) the start data address.
    int adr = 0;
    if (!HexOf(EditAdBegDat->text(), adr)) {
        ShowErrorText(EditAdBegDat, ErrorText);
        Fail(nullptr);
        return false;
    }
    f15.PutAdrBegDat(block_, adr);
    // (e) the data count: one datum per block input.
    if (DecimalOf(EditKolDat) != kolVh) {
        Fail("ошибка в количестве данных в запросе");
        return false;
    }
    f15.PutKolDat(block_, kolVh);
    // (f) the signals, (g) the switches.
    if (!CheckSignals(kolVh))
        return false;
    f15.PutKvit(block_, Kvit->isChecked() ? 1 : 0);
    f15.PutSbros(block_, Sbros->isChecked() ? 1 : 0);
    return true;
}

bool TFormF15::CheckKolVh(int& kolVh) {
    TProgF15Class& f15 = main_.ProgF15();
    long long value = 0;
    if (!ParseDecimal(EditKolVh->text().toStdString(), value) || value == 0) {
        ShowErrorText(EditKolVh, ErrorText);
        EditKolVh->setText(QString::number(f15.GetKolVh(block_)));
        Fail(nullptr);
        return false;
    }
    if (value < 1 || value > KolSign) {
        Fail("ошибка в количестве входов блока");
        return false;
    }
    kolVh = int(value);
    f15.PutKolVh(block_, kolVh);
    return true;
}

bool TFormF15::CheckSignals(int kolVh) {
    TProgF15Class& f15 = main_.ProgF15();
    for (int k = 0; k < kolVh; ++k) {
        const long long value = DecimalOf(Edit[k]);
        if (value < 0 || value > MaxNumSign) {
            Fail(("ошибка в адресе дискретного сигнала " + std::to_string(k + 1)).c_str());
            return false;
        }
        f15.PutNumSign(block_, k, int(value));
    }
    return true;
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
        SaveClick();
        // A failed write has been reported; the editor still counts it as its save point.
        f15.FlagNoChange = true;
        return true;
    }
    if (answer == MsgButton::No) {
        RestoreImage();
        f15.FlagNoChange = false;
        return true;
    }
    return false;
}
