// The configuration file commands of the main window: open, save as, create.

#include "app/obr_lum08.h"

#include "app/obrconfig.h"
#include "dialogs/uitext.h"
#include "link/filestore.h"
#include "model/configfile.h"
#include "model/progf15class.h"
#include "model/proglumclass.h"
#include "model/reservblocks.h"
#include "model/servclass.h"
#include "scheme/prog_diskr.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>

namespace {
FileDialogRequest LumDialog(bool save, const char* title, const QString& name) {
    return {save, U(title), name, U("Файлы типа .lum (*.lum);;Все файлы (*)"), "lum"};
}

// The toolkit sizes the file list's columns for English samples; the sizes, types and dates
// in the system's language are often longer and would be cut short.
void FitFileColumns(QFileDialog& dialog) {
    auto* list = dialog.findChild<QTreeView*>("treeView");
    if (!list)
        return;
    const QFontMetrics fm(list->font());
    const QLocale system = QLocale::system(); // what the file list writes them in
    const int widths[] = {
        std::max(fm.horizontalAdvance(system.formattedDataSize(1023)),
                 fm.horizontalAdvance(system.formattedDataSize(1023 * 1000))),
        fm.horizontalAdvance(U("текстовый документ")),
        fm.horizontalAdvance(system.toString(QDateTime(QDate(2026, 12, 30), QTime(23, 59, 59)),
                                             QLocale::ShortFormat))};
    for (int column = 1; column <= 3; ++column)
        list->header()->resizeSection(column, widths[column - 1] + 4 * fm.averageCharWidth());
    // The side bar and the frames besides the columns.
    dialog.resize(std::max(dialog.width(), list->header()->length() + 220), dialog.height());
}

std::string SlotList(const std::vector<int>& list) {
    std::string text;
    for (int slot : list)
        text += (text.empty() ? "" : ", ") + std::to_string(slot);
    return text;
}
} // namespace

QString TForm1::AskFileName(const FileDialogRequest& request) {
    if (fileHook_)
        return fileHook_(request);
    QFileDialog dialog(this, request.title, request.fileName, request.filter);
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
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    FitFileColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

QString TForm1::WithLumExtension(const QString& name, const char* errorCaption) {
    const std::string named = ::WithLumExtension(name.toStdString());
    if (named.empty())
        op_->Tell("Неверно задано имя файла", errorCaption, MsgIcon::Warning);
    return QString::fromStdString(named);
}

void TForm1::OpenFileClick() {
    TServClass& serv = *ServClass;
    QString name = curFile_;
    if (serv.FlagOpenCur != 1) {
        if (!KeepFileEdits())
            return;
        name = AskFileName(LumDialog(false, "Открытие файла конфигурации", curFile_));
        if (name.isEmpty()) {
            serv.FlagOpenCur = 0;
            return;
        }
    }
    OpenConfigFile(name);
}

void TForm1::OpenConfigFile(const QString& name) {
    TServClass& serv = *ServClass;
    const auto bytes = ReadWholeFile(name);
    std::string text = "Файл не удается открыть";
    if (bytes && CheckConfigFile(*bytes) != ConfigFileCheck::Ok)
        text += "\nэто не файл конфигурации";
    // A short file, or bytes that are plainly something else, are not taken at all.
    if (!bytes || !LoadConfigFile(*bytes, serv, *ProgLumClass, *ProgF15Class, *ReservBlocks)) {
        op_->Tell(text, "Открытие файла", MsgIcon::Warning);
        serv.FlagOpenCur = 0;
        return;
    }
    curFile_ = name;
    RefreshFromFile();
    if (const auto unknown = UnknownModuleSlots(*bytes); !unknown.empty())
        op_->Tell("В файле указаны модули неизвестного типа (слоты " + SlotList(unknown) +
                      ").\nПроверьте конфигурацию перед записью в прибор.",
                  "Предупреждение", MsgIcon::Warning);
}

bool TForm1::KeepFileEdits() {
    if (ServClass->FlagFile != 1 || ServClass->FlagChange != 1)
        return true;
    const MsgButton answer = op_->Ask({"Данные были изменены. Сохранить в файле?",
                                       "Подтвердите запись в файл",
                                       MsgIcon::Question,
                                       {MsgButton::Yes, MsgButton::No, MsgButton::Cancel},
                                       MsgButton::No});
    if (answer == MsgButton::Yes)
        return SaveToFile();
    return answer == MsgButton::No;
}

void TForm1::ShowFileCaption() {
    LabelFile->SetHeadAndPath(U("Режим работы с файлом "), curFile_);
}

void TForm1::RefreshFromFile() {
    TServClass& serv = *ServClass;
    EditModif->setText(U(serv.GetModifCode()));
    FillModuleTable(true);
    for (QPushButton* b : {InformBut, LocNetObm, LocNet15})
        b->setEnabled(true);
    for (QPushButton* b : {ButTimeDate, ButTest})
        b->setEnabled(false);
    ShowFileCaption();
    LabelFile->show();
    serv.FlagFile = 1;
    serv.FlagChange = 0;
    serv.FlagOpenCur = 0;
}

void TForm1::SaveFileClick() {
    SaveToFile();
}

bool TForm1::SaveToFile() {
    QString name;
    for (;;) {
        name = AskFileName(LumDialog(true, "Сохранить как ...", curFile_));
        if (name.isEmpty())
            return false;
        curFile_ = name;
        name = WithLumExtension(name, "Cохранение данных в файл");
        if (name.isEmpty())
            continue;
        curFile_ = name;
        if (!FileCanBeOpened(name) ||
            op_->YesNo("Файл с таким именем существует.\nЗаменить?", "Сохранение файла"))
            break;
    }
    const auto bytes = SaveConfigFile(*ServClass, *ProgLumClass, *ProgF15Class);
    if (!ReplaceFileAtomically(name, bytes)) {
        op_->Tell("Файл  не удается создать", "Создание файла", MsgIcon::Warning);
        return false;
    }
    ServClass->FlagChange = 0;
    ProgLumClass->FlagScheme = 0;
    windows_.FormPrgD->setWindowTitle(U("Программатор ЛУМ-08 - файл ") + curFile_);
    // Later saves go to this file: the caption names it.
    ShowFileCaption();
    return true;
}

void TForm1::ResetForNewFile() {
    EditModif->clear();
    StLUM->clear();
    for (QPushButton* b : {InformBut, ButTimeDate, LocNetObm, LocNet15})
        b->setEnabled(false);
    ClearModuleTable();
    StKVhD->clear();
    LabelFile->hide();
    ServClass->FlagFile = 1;
}

void TForm1::CreatFileClick() {
    if (!KeepFileEdits())
        return;
    TConfig& dialog = *windows_.Config;
    dialog.Prepare();
    if (showModal(dialog) != TConfig::Accepted) {
        op_->Tell("ошибка ввода конфигурации", "Ошибка", MsgIcon::Error);
        return;
    }
    QString name;
    for (;;) {
        FileDialogRequest request =
            LumDialog(false, "Создание файла конфигурации", dialog.ModifCode());
        request.newName = true; // a new file needs a name no file has yet
        name = AskFileName(request);
        // A cancelled creation leaves the configuration in memory as it was.
        if (name.isEmpty())
            return;
        name = WithLumExtension(name, "задание имени файла");
        if (!name.isEmpty())
            break;
    }
    if (FileCanBeOpened(name) &&
        !op_->YesNo("Файл с таким именем существует.\nСоздать его заново?", "Создание файла"))
        return;
    if (!ReplaceFileAtomically(name, MakeCreatedConfigFile(dialog.Result()))) {
        op_->Tell("Файл конфигурации не удается создать", "Создание файла", MsgIcon::Warning);
        return;
    }
    curFile_ = name;
    op_->Tell("Создан файл конфигурации " + name.toStdString(), "Подтверждение",
              MsgIcon::Information);
    ResetForNewFile();
    ServClass->FlagOpenCur = 1;
    OpenFileClick();
}
