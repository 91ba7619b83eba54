// Reading and writing a whole device from the main window, the module table, the program
// buttons and the test menu.

#include "app/mainwindow.h"

#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "dialogs/writeguard.h"
#include "link/devicesequences.h"
#include "link/exchangeengine.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"
#include "model/reservecopies.h"
#include "scheme/schemeeditor.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

void MainWindow::ClearModuleTable() {
    for (int r = 0; r < 6; ++r) {
        for (QLabel* cell : {InputId[r], IdVyh[r], M[r], KM[r], AdrM[r]})
            cell->clear();
        Prg[r]->setText(QString());
        Prg[r]->setEnabled(false);
    }
}

void MainWindow::FillModuleTable(bool fromFile) {
    const ModuleConfig& serv = *moduleConfig_;
    ClearModuleTable();
    designationLabel->setText(U(serv.GetDesignation()));
    inputCountLabel->setText(U(serv.GetInputCountText()));
    for (int k = 0; k < serv.GetModuleCount(); ++k) {
        const ModuleRowText row = serv.GetModuleRow(k);
        AdrM[k]->setText(U(row.address));
        KM[k]->setText(U(row.code));
        const bool known = serv.ModuleType[k] == ModuleConfig::TypeMLV ||
                           serv.ModuleType[k] == ModuleConfig::TypeMSU;
        // A device's "МЛВ" has no program of its own; a file's modules are all open to editing.
        const bool programmable = fromFile || serv.ModuleType[k] == ModuleConfig::TypeMSU;
        if (known)
            M[k]->setText(U(row.name));
        if (known && programmable) {
            InputId[k]->setText(U(row.range));
            Prg[k]->setText(QString::fromUtf8("программ."));
        } else if (!fromFile) {
            Prg[k]->setText(QString::fromUtf8("нет"));
        }
        Prg[k]->setEnabled(programmable);
    }
}

void MainWindow::ReadDeviceClick() {
    if (!KeepFileEdits())
        return;
    BeginExchange(U("Конфигурация"));
    for (QPushButton* b : {clockButton, networkSettingsButton, f15BlocksButton})
        b->setEnabled(false);
    ReadProgress progress;
    bool replaced = false;
    progress.configTaken = [this, &replaced] {
        replaced = true;
        modificationEdit->setText(U(moduleConfig_->GetModificationCode()));
        newNumberBox->setCurrentIndex(moduleConfig_->GetNewBusNumber());
        FillModuleTable(false);
    };
    progress.share = [this](int done, int total, const std::string& step) {
        ShowShare(done, total, U(step));
    };
    const int code = ReadWholeDevice(
        *engine_, {*moduleConfig_, *inputProgram_, *networkBlocks_, *reserveCopies_},
        deviceNumberBox->currentText().toInt() - 1, progress);
    EndExchange();
    // A read that failed before the configuration came replaced nothing: a file stays a file.
    if (replaced) {
        fileLabel->hide();
        moduleConfig_->FileMode = 0;
    }
    if (code == ResultCode::Ok) {
        for (QPushButton* b :
             {inputsTableButton, clockButton, testButton, networkSettingsButton, f15BlocksButton})
            b->setEnabled(true);
        ShowDone(U("Прочитано: ") + ModulesText(moduleConfig_->GetModuleCount()));
    } else {
        ShowDone(U("Чтение не завершено"));
        engine_->ReportError(moduleConfig_->BusNumber, code);
    }
}

void MainWindow::WriteDeviceClick() {
    WriteGuard guard(*this, WriteScope::WholeDevice(moduleConfig_->GetModuleCount()));
    BeginExchange(U("Резервная копия"));
    if (!guard.Start()) {
        EndExchange();
        return;
    }
    const int device = moduleConfig_->BusNumber + 1;
    auto started = [this] { ShowShare(0, 1, U("Модуль 1")); };
    auto share = [this](int done, int total, const std::string& step) {
        ShowShare(done, total, U(step));
    };
    WriteReport report;
    const int code = WriteWholeDevice(
        *engine_, {*moduleConfig_, *inputProgram_, *networkBlocks_, *reserveCopies_}, *op_,
        modificationEdit->text().toStdString(), started, nullptr, &report, share);
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

void MainWindow::ReportWriteFailure(int code, const WriteReport& report) {
    // Refused before anything was sent: nothing to say of the device.
    engine_->ReportError(moduleConfig_->BusNumber, code,
                         report.modulesTotal == 0 ? std::string() : PartialWriteText(report));
}

void MainWindow::OpenSchemeClick(int row) {
    ModuleConfig& serv = *moduleConfig_;
    serv.PutCurrentModule(row);
    if (serv.ModuleType[row - 1] == 0)
        return;
    SchemeEditor& editor = *windows_.schemeEditor;
    editor.SetHeadings(row, M[row - 1]->text(),
                       QString::fromUtf8("входы ") + InputId[row - 1]->text());
    inputProgram_->SchemeShown = 0;
    if (showModal(editor) == mr::Abort)
        op_->Tell("программирование закончено с ошибкой", "Ошибка", MsgIcon::Error);
}

void MainWindow::CreateTestMenu() {
    testMenu = new QMenu(this);
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
        QMenu* target = testMenu;
        if (it.submenu) {
            if (subName != QString::fromUtf8(it.submenu)) {
                subName = QString::fromUtf8(it.submenu);
                sub = testMenu->addMenu(subName);
            }
            target = sub;
        }
        QAction* a = target->addAction(QString::fromUtf8(it.caption));
        const TestPreset preset = it.preset;
        connect(a, &QAction::triggered, this, [this, preset] { ApplyTestPreset(int(preset)); });
        // The default database is a service item, kept out of sight.
        a->setVisible(it.submenu != nullptr);
    }
    connect(testButton, &QPushButton::clicked, this,
            [this] { testMenu->popup(testButton->mapToGlobal(QPoint(0, testButton->height()))); });
}

void MainWindow::ApplyTestPreset(int preset) {
    inputProgram_->ApplyPreset(TestPreset(preset), *moduleConfig_);
    WriteDeviceClick();
}
