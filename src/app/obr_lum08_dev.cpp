// Reading and writing a whole device from the main window, the module table, the program
// buttons and the test menu.

#include "app/obr_lum08.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "dialogs/writeguard.h"
#include "link/comportclass.h"
#include "link/devicesequences.h"
#include "model/progf15class.h"
#include "model/proglumclass.h"
#include "model/reservblocks.h"
#include "model/servclass.h"
#include "scheme/prog_diskr.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

void TForm1::ClearModuleTable() {
    for (int r = 0; r < 6; ++r) {
        for (QLabel* cell : {IdVh[r], IdVyh[r], M[r], KM[r], AdrM[r]})
            cell->clear();
        Prg[r]->setText(QString());
        Prg[r]->setEnabled(false);
    }
}

void TForm1::FillModuleTable(bool fromFile) {
    const TServClass& serv = *ServClass;
    ClearModuleTable();
    StLUM->setText(U(serv.GetDesignation()));
    StKVhD->setText(U(serv.GetKolVhText()));
    for (int k = 0; k < serv.GetKolMod(); ++k) {
        const ModuleRowText row = serv.GetModuleRow(k);
        AdrM[k]->setText(U(row.address));
        KM[k]->setText(U(row.code));
        const bool known =
            serv.TipMod[k] == TServClass::TipMLV || serv.TipMod[k] == TServClass::TipMSU;
        // A device's "МЛВ" has no program of its own; a file's modules are all open to editing.
        const bool programmable = fromFile || serv.TipMod[k] == TServClass::TipMSU;
        if (known)
            M[k]->setText(U(row.name));
        if (known && programmable) {
            IdVh[k]->setText(U(row.range));
            Prg[k]->setText(QString::fromUtf8("программ."));
        } else if (!fromFile) {
            Prg[k]->setText(QString::fromUtf8("нет"));
        }
        Prg[k]->setEnabled(programmable);
    }
}

void TForm1::InPortButClick() {
    if (!KeepFileEdits())
        return;
    BeginExchange(U("Конфигурация"));
    for (QPushButton* b : {ButTimeDate, LocNetObm, LocNet15})
        b->setEnabled(false);
    ReadProgress progress;
    bool replaced = false;
    progress.configTaken = [this, &replaced] {
        replaced = true;
        EditModif->setText(U(ServClass->GetModifCode()));
        CBoxUstrZ->setCurrentIndex(ServClass->GetNumUstrZ());
        FillModuleTable(false);
    };
    progress.share = [this](int done, int total, const std::string& step) {
        ShowShare(done, total, U(step));
    };
    const int code =
        ReadWholeDevice(*ComPort1, {*ServClass, *ProgLumClass, *ProgF15Class, *ReservBlocks},
                        CBoxUstr->currentText().toInt() - 1, progress);
    EndExchange();
    // A read that failed before the configuration came replaced nothing: a file stays a file.
    if (replaced) {
        LabelFile->hide();
        ServClass->FlagFile = 0;
    }
    if (code == ResultCode::Ok) {
        for (QPushButton* b : {InformBut, ButTimeDate, ButTest, LocNetObm, LocNet15})
            b->setEnabled(true);
        ShowDone(U("Прочитано: ") + ModulesText(ServClass->GetKolMod()));
    } else {
        ShowDone(U("Чтение не завершено"));
        ComPort1->ReportError(ServClass->NumUstr, code);
    }
}

void TForm1::OutPortClick() {
    WriteGuard guard(*this, WriteScope::WholeDevice(ServClass->GetKolMod()));
    BeginExchange(U("Резервная копия"));
    if (!guard.Start()) {
        EndExchange();
        return;
    }
    const int device = ServClass->NumUstr + 1;
    auto started = [this] { ShowShare(0, 1, U("Модуль 1")); };
    auto share = [this](int done, int total, const std::string& step) {
        ShowShare(done, total, U(step));
    };
    WriteReport report;
    const int code =
        WriteWholeDevice(*ComPort1, {*ServClass, *ProgLumClass, *ProgF15Class, *ReservBlocks}, *op_,
                         EditModif->text().toStdString(), started, nullptr, &report, share);
    if (code == ResultCode::Ok)
        progress_->Step(U("Проверка записи"));
    const bool verified = code == ResultCode::Ok && guard.Finish();
    EndExchange();
    if (code == ResultCode::Ok && !verified) {
        ShowDone(U("Запись в прибор %1 не подтверждена чтением").arg(device));
    } else if (code == ResultCode::Ok) {
        ShowDone(U("Записано в прибор %1: ").arg(device) + ModulesText(report.modulesWritten) +
                 U(" и сетевые блоки"));
    } else if (code > 0) {
        ShowDone(U("Запись в прибор %1 не завершена").arg(device));
        ReportWriteFailure(code, report);
    }
}

void TForm1::ReportWriteFailure(int code, const WriteReport& report) {
    // Refused before anything was sent: nothing to say of the device.
    ComPort1->ReportError(ServClass->NumUstr, code,
                          report.modulesTotal == 0 ? std::string() : PartialWriteText(report));
}

void TForm1::ButProgDiskrClick(int row) {
    TServClass& serv = *ServClass;
    serv.PutNMod(row);
    if (serv.TipMod[row - 1] == 0)
        return;
    TFormPrgD& editor = *windows_.FormPrgD;
    editor.SetHeadings(row, M[row - 1]->text(),
                       QString::fromUtf8("входы ") + IdVh[row - 1]->text());
    ProgLumClass->FlagShow = 0;
    if (showModal(editor) == mr::Abort)
        op_->Tell("программирование закончено с ошибкой", "Ошибка", MsgIcon::Error);
}

void TForm1::CreateTestMenu() {
    PopupTest = new QMenu(this);
    struct Item {
        const char* submenu;
        const char* caption;
        TestPreset preset;
    };
    const Item items[] = {
        {"Tип входного сигнала", "Namur", TestPreset::Namur},
        {"Tип входного сигнала", "Сухой контакт", TestPreset::DryContact},
        {"Тип контакта", "Нормально разомкнутый", TestPreset::NormallyOpen},
        {"Тип контакта", "Нормально замкнутый", TestPreset::NormallyClosed},
        {"Цвет сигнализации", "Красный", TestPreset::Red},
        {"Цвет сигнализации", "Желтый", TestPreset::Yellow},
        {"Цвет сигнализации", "Зеленый", TestPreset::Green},
        {nullptr, "БД по умолчанию", TestPreset::DefaultDatabase},
    };
    QMenu* sub = nullptr;
    QString subName;
    for (const Item& it : items) {
        QMenu* target = PopupTest;
        if (it.submenu) {
            if (subName != QString::fromUtf8(it.submenu)) {
                subName = QString::fromUtf8(it.submenu);
                sub = PopupTest->addMenu(subName);
            }
            target = sub;
        }
        QAction* a = target->addAction(QString::fromUtf8(it.caption));
        const TestPreset preset = it.preset;
        connect(a, &QAction::triggered, this, [this, preset] { ApplyTestPreset(int(preset)); });
        // The default database is a service item, kept out of sight.
        a->setVisible(it.submenu != nullptr);
    }
    connect(ButTest, &QPushButton::clicked, this,
            [this] { PopupTest->popup(ButTest->mapToGlobal(QPoint(0, ButTest->height()))); });
}

void TForm1::ApplyTestPreset(int preset) {
    ProgLumClass->ApplyPreset(TestPreset(preset), *ServClass);
    OutPortClick();
}
