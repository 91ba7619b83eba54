// The configuration file commands of the main window: open, save as, create.

#include "app/mainwindow.h"

#include "app/configurationdialog.h"
#include "dialogs/documentgate.h"
#include "dialogs/questions.h"
#include "dialogs/russianfilelist.h"
#include "dialogs/uitext.h"
#include "model/configfile.h"
#include "model/inputprogram.h"
#include "model/labelclipboard.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"
#include "platform/devicehistory.h"
#include "platform/filestore.h"
#include "scheme/schemeeditor.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>
#include <algorithm>

namespace {
FileDialogRequest LumFileRequest(bool save, const char* title, const QString& name) {
    return {save, U(title), name, U("Файлы типа .lum (*.lum);;Все файлы (*)"), "lum"};
}

// The toolkit sizes the file list's columns for English samples; the sizes, types and dates
// in the system's language are often longer and would be cut short.
void FitFileColumns(QFileDialog& dialog) {
    auto* list = dialog.findChild<QTreeView*>("treeView");
    if (!list)
        return;
    const QFontMetrics fm(list->font());
    // As the file list writes them (RussianFileList).
    const int widths[] = {std::max(fm.horizontalAdvance(RussianFileList::SizeText(1023)),
                                   fm.horizontalAdvance(RussianFileList::SizeText(1023 * 1000))),
                          fm.horizontalAdvance(U("текстовый документ")),
                          fm.horizontalAdvance(RussianFileList::DateText(
                              QDateTime(QDate(2026, 12, 30), QTime(23, 59, 59))))};
    for (int column = 1; column <= 3; ++column)
        list->header()->resizeSection(column, widths[column - 1] + 4 * fm.averageCharWidth());
    // The side bar and the frames besides the columns.
    dialog.resize(std::max(dialog.width(), list->header()->length() + 220), dialog.height());
}

// The operator's documents folder, ending in '/' (the file dialog starts there unnamed). One
// that does not exist would send the dialog back to the folder it saw last: the history's.
QString DocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return (QDir(documents).exists() ? documents : QDir::homePath()) + '/';
}

std::string SlotList(const std::vector<int>& list) {
    std::string text;
    for (int slot : list)
        text += (text.empty() ? "" : ", ") + std::to_string(slot);
    return text;
}
} // namespace

QString MainWindow::AskFileName(const FileDialogRequest& request) {
    if (fileHook_)
        return fileHook_(request);
    QFileDialog dialog(request.parent ? request.parent : this, request.title, request.fileName,
                       request.filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog, useQtFileDialog_);
    // A new file's name is asked like a save: any name goes, and the program asks its own
    // question when the file exists.
    const bool anyName = request.save || request.newName;
    dialog.setAcceptMode(anyName ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(anyName ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (request.newName)
        dialog.setLabelText(QFileDialog::Accept, U("Создать"));
    // The commands ask their own question before replacing a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!request.fileName.isEmpty() && !request.fileName.endsWith('/'))
        dialog.selectFile(request.fileName);
    // Sizes and dates in Russian, whatever the system's language.
    dialog.setProxyModel(new RussianFileList(&dialog));
    FitFileColumns(dialog);
    // Like every dialog of the program: the bus monitor stays usable meanwhile.
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

QString MainWindow::WithLumExtension(const QString& name, const char* errorCaption) {
    const std::string named = ::WithLumExtension(name.toStdString());
    if (named.empty())
        op_->Tell("Неверно задано имя файла", errorCaption, MsgIcon::Warning);
    return QString::fromStdString(named);
}

void MainWindow::OpenFileClick() {
    if (!MayDropDocument(*this))
        return;
    const QString name =
        AskFileName(LumFileRequest(false, "Открытие файла конфигурации", curFile_));
    if (!name.isEmpty())
        OpenConfigFile(name);
}

void MainWindow::OpenConfigFile(const QString& name, int backupOfDevice) {
    const auto bytes = ReadWholeFile(name);
    // What is no configuration file is not taken at all; the operator learns which file and why.
    const std::string problem = bytes ? ConfigFileProblem(*bytes) : "файл не читается";
    if (!problem.empty()) {
        op_->Tell("Файл не удается открыть:\n" + QDir::toNativeSeparators(name).toStdString() +
                      "\n" + problem + ", это не файл конфигурации",
                  "Открытие файла", MsgIcon::Warning);
        return;
    }
    DocumentOrigin origin = DocumentOrigin::File(name.toStdString());
    if (backupOfDevice > 0) {
        origin = DocumentOrigin::Backup(name.toStdString());
        origin.device = backupOfDevice - 1;
    }
    document_->Load(*DeviceImage::FromFile(*bytes), origin);
    curFile_ = name;
    RefreshFromFile();
    if (const auto unknown = UnknownModuleSlots(*bytes); !unknown.empty())
        op_->Tell("В файле указаны модули неизвестного типа (слоты " + SlotList(unknown) +
                      ").\nПроверьте конфигурацию перед записью в прибор.",
                  "Предупреждение", MsgIcon::Warning);
}

void MainWindow::ShowFileCaption() {
    fileLabel->SetHeadAndPath(U("Режим работы с файлом "), curFile_);
}

void MainWindow::RefreshFromFile() {
    ModuleConfig& moduleConfig = document_->modules;
    modificationEdit->setText(U(moduleConfig.GetModificationCode()));
    FillModuleTable();
    for (QPushButton* b : {inputsTableButton, networkSettingsButton, f15BlocksButton})
        b->setEnabled(true);
    for (QPushButton* b : {clockButton, testButton})
        b->setEnabled(false);
    ShowFileCaption();
    fileLabel->show();
}

void MainWindow::SaveFileClick() {
    SaveToFile();
}

bool MainWindow::CurFileIsBackup() const {
    return DeviceHistory::IsInHistory(curFile_);
}

bool MainWindow::RefusesBackup(const QString& name, const char* errorCaption) {
    if (!DeviceHistory::IsInHistory(name))
        return false;
    op_->Tell("Это папка истории прибора: резервные копии в ней не заменяются.\n"
              "Сохраните данные в файле другой папки.",
              errorCaption, MsgIcon::Warning);
    return true;
}

bool MainWindow::SaveToFile() {
    QString name;
    for (;;) {
        // A back-up's data go to a new file: the dialog starts outside the history, unnamed.
        const QString start = CurFileIsBackup() ? DocumentsFolder() : curFile_;
        name = AskFileName(LumFileRequest(true, "Сохранить как ...", start));
        if (name.isEmpty())
            return false;
        if (RefusesBackup(name, "Cохранение данных в файл"))
            continue;
        curFile_ = name;
        name = WithLumExtension(name, "Cохранение данных в файл");
        if (name.isEmpty())
            continue;
        curFile_ = name;
        if (!FileCanBeOpened(name) ||
            op_->YesNo("Файл с таким именем существует.\nЗаменить?", "Сохранение файла",
                       MsgIcon::Question, MsgButton::No))
            break;
    }
    const auto bytes = document_->Image().ToFile();
    if (!ReplaceFileAtomically(name, bytes)) {
        op_->Tell("Файл  не удается создать", "Создание файла", MsgIcon::Warning);
        return false;
    }
    // The file holds the work now. A file's document now is this file; a device's stays the
    // device's (what differs from the device is still offered for transfer).
    document_->Saved(name.toStdString());
    schemeEditorCaption_ = U("Программатор ЛУМ-08 - файл ") + curFile_;
    if (schemeEditor_)
        schemeEditor_->setWindowTitle(schemeEditorCaption_);
    // Later saves go to this file: the caption names it.
    ShowFileCaption();
    return true;
}

void MainWindow::ResetForNewFile() {
    modificationEdit->clear();
    designationLabel->clear();
    for (QPushButton* b : {inputsTableButton, clockButton, networkSettingsButton, f15BlocksButton})
        b->setEnabled(false);
    ClearModuleTable();
    inputCountLabel->clear();
    fileLabel->hide();
}

void MainWindow::CreateFileClick() {
    if (!MayDropDocument(*this))
        return;
    ConfigurationDialog dialog(*this, this);
    dialog.Prepare();
    if (showModal(dialog) != ConfigurationDialog::Accepted) {
        op_->Tell("ошибка ввода конфигурации", "Ошибка", MsgIcon::Error);
        return;
    }
    QString name;
    for (;;) {
        FileDialogRequest request =
            LumFileRequest(false, "Создание файла конфигурации", dialog.ModificationCode());
        request.newName = true; // a new file needs a name no file has yet
        name = AskFileName(request);
        // A cancelled creation leaves the configuration in memory as it was.
        if (name.isEmpty())
            return;
        name = WithLumExtension(name, "задание имени файла");
        if (!name.isEmpty() && !RefusesBackup(name, "задание имени файла"))
            break;
    }
    if (FileCanBeOpened(name) && !op_->YesNo("Файл с таким именем существует.\nСоздать его заново?",
                                             "Создание файла", MsgIcon::Question, MsgButton::No))
        return;
    if (!ReplaceFileAtomically(name, MakeCreatedConfigFile(dialog.Result()))) {
        op_->Tell("Файл конфигурации не удается создать", "Создание файла", MsgIcon::Warning);
        return;
    }
    curFile_ = name;
    op_->Tell("Создан файл конфигурации " + name.toStdString(), "Подтверждение",
              MsgIcon::Information);
    ResetForNewFile();
    OpenConfigFile(name);
}
