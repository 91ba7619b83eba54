// Reading and writing a whole device from the main window, the module table, the program
// buttons and the test menu.

#include "app/mainwindow.h"
#include "words/linkwords.h"

#include "dialogs/accelerators.h"
#include "dialogs/commandrun.h"
#include "dialogs/devicewriter.h"
#include "dialogs/documentgate.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/uitext.h"
#include "link/devicecommands.h"
#include "link/devicesequences.h"
#include "link/exchangeengine.h"
#include "model/inputprogram.h"
#include "model/labelclipboard.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"
#include "scheme/schemeeditor.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

void MainWindow::ClearModuleTable() {
    for (int r = 0; r < 6; ++r) {
        for (QLabel* cell : {inputRangeLabels[r], outputLabels[r], moduleTypeLabels[r],
                             moduleCodeLabels[r], moduleAddressLabels[r]})
            cell->clear();
        programButtons[r]->setText(QString());
        programButtons[r]->setEnabled(false);
    }
}

void MainWindow::FillModuleTable() {
    const ModuleConfig& moduleConfig = document_->modules;
    ClearModuleTable();
    designationLabel->setText(U(moduleConfig.GetDesignation()));
    inputCountLabel->setText(U(moduleConfig.GetInputCountText()));
    for (int k = 0; k < moduleConfig.GetModuleCount(); ++k) {
        const ModuleRowText row = moduleConfig.GetModuleRow(k);
        moduleAddressLabels[k]->setText(U(row.address));
        moduleCodeLabels[k]->setText(U(row.code));
        const int type = moduleConfig.ModuleType[k];
        const bool known = type == ModuleConfig::TypeMLV || type == ModuleConfig::TypeMSU;
        // An "МЛВ" has no program of its own, whether the data came from the device or from a
        // file saved from it: the same row either way.
        const bool programmable = type == ModuleConfig::TypeMSU;
        if (known)
            moduleTypeLabels[k]->setText(U(row.name));
        if (programmable) {
            inputRangeLabels[k]->setText(U(row.range));
            programButtons[k]->setText(QString::fromUtf8("программ."));
        } else if (known) {
            programButtons[k]->setText(QString::fromUtf8("нет"));
        }
        programButtons[k]->setEnabled(programmable);
    }
}

void MainWindow::ReadDeviceClick() {
    if (!MayDropDocument(*this))
        return;
    BeginExchange(U("Конфигурация"));
    for (QPushButton* b : {clockButton, networkSettingsButton, f15BlocksButton})
        b->setEnabled(false);
    ReadProgress progress;
    bool replaced = false;
    DeviceDocument* work = nullptr;
    // The module table shows the configuration as soon as it is in, while the modules follow.
    progress.configTaken = [this, &replaced, &work] {
        OnWindowsThread(*this, [&] {
            replaced = true;
            document_->modules = work->modules;
            modificationEdit->setText(U(document_->modules.GetModificationCode()));
            newNumberBox->setCurrentIndex(document_->modules.GetNewBusNumber());
            FillModuleTable();
        });
    };
    progress.share = OnWindowsThread<void, int, int, const std::string&>(
        *this,
        [this](int done, int total, const std::string& step) { ShowShare(done, total, U(step)); });
    const int shownNumber = deviceNumberBox->currentText().toInt() - 1;
    // Stays so when the command could not start.
    int code = ResultCode::Stopped;
    RunDocumentCommand(*this, [&](ExchangeEngine& engine, DeviceDocument& doc) {
        work = &doc;
        code = ReadWholeDevice(engine, doc, shownNumber, progress);
    });
    EndExchange();
    // A read that failed before the configuration came replaced nothing: a file stays a file.
    if (replaced)
        fileLabel->hide();
    if (code == ResultCode::Ok) {
        for (QPushButton* b :
             {inputsTableButton, clockButton, testButton, networkSettingsButton, f15BlocksButton})
            b->setEnabled(true);
        ShowDone(U("Прочитано: ") + ::ModulesText(document_->modules.GetModuleCount()));
    } else {
        ShowDone(U("Чтение не завершено"));
        ReportError(*engine_, document_->modules.BusNumber, code);
    }
}

void MainWindow::WriteDeviceClick() {
    BeginExchange(U("Резервная копия"));
    WriteFromWindow(*this, progress_, WriteScope::WholeDevice(document_->modules.GetModuleCount()));
    EndExchange();
}

void MainWindow::OpenSchemeClick(int row) {
    ModuleConfig& moduleConfig = document_->modules;
    moduleConfig.PutCurrentModule(row);
    if (moduleConfig.ModuleType[row - 1] == 0)
        return;
    SchemeEditor editor(*this, this);
    if (!schemeEditorCaption_.isEmpty())
        editor.setWindowTitle(schemeEditorCaption_);
    editor.SetHeadings(row, moduleTypeLabels[row - 1]->text(),
                       QString::fromUtf8("входы ") + inputRangeLabels[row - 1]->text());
    schemeEditor_ = &editor;
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
        const QString caption = QString::fromUtf8(it.caption);
        connect(a, &QAction::triggered, this,
                [this, preset, caption] { ApplyTestPreset(int(preset), caption); });
        // The default database is a service item, kept out of sight.
        a->setVisible(it.submenu != nullptr);
    }
    GiveAccelerators(testMenu);
    connect(testButton, &QPushButton::clicked, this,
            [this] { testMenu->popup(testButton->mapToGlobal(QPoint(0, testButton->height()))); });
}

void MainWindow::ApplyTestPreset(int preset, const QString& caption) {
    // An edit like any other: Ctrl+Z takes it back whatever the write did.
    document_->ApplyPreset(TestPreset(preset), "Тестирование: " + caption.toStdString());
    WriteDeviceClick();
}
