// "Файл": the last five configuration files and "Выход". The list lives in the program's own
// settings file, so that it outlasts the run.

#include "app/mainwindow.h"

#include "dialogs/documentgate.h"

#include "dialogs/uitext.h"
#include "model/devicedocument.h"
#include "platform/devicehistory.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {
constexpr int kRecentCount = 5;
const char kRecentKey[] = "recentFiles";

QSettings ProgramSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "lum08", "lum08");
}
} // namespace

QStringList MainWindow::RecentFiles() {
    QStringList files = ProgramSettings().value(kRecentKey).toStringList();
    files.removeAll(QString());
    return files.mid(0, kRecentCount);
}

void MainWindow::RememberRecentFile(const QString& name) {
    // The device history's back-ups have their own window.
    if (name.isEmpty() || DeviceHistory::IsInHistory(name))
        return;
    const QString path = QDir::cleanPath(QFileInfo(name).absoluteFilePath());
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    ProgramSettings().setValue(kRecentKey, files.mid(0, kRecentCount));
}

void MainWindow::CreateRecentFiles(QMenu* file) {
    file->addSeparator();
    for (int i = 0; i < kRecentCount; ++i) {
        auto* a = file->addAction(QString());
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, a] { OpenRecentFile(a->data().toString()); });
        recentFileActions_.push_back(a);
    }
    recentSeparator_ = file->addSeparator();
    exitAction = file->addAction(U("Выход"), this, [this] { close(); });
    exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    exitAction->setShortcutContext(Qt::ApplicationShortcut);
    // Filled each time the menu opens: another run of the program may have added a file.
    connect(file, &QMenu::aboutToShow, this, [this] { ShowRecentFiles(); });
    ShowRecentFiles();
}

void MainWindow::ShowRecentFiles() {
    const QStringList files = RecentFiles();
    for (int i = 0; i < kRecentCount; ++i) {
        QAction* a = recentFileActions_[size_t(i)];
        const bool used = i < files.size();
        a->setVisible(used);
        if (!used)
            continue;
        // "&1 name.lum": the number is the key; the whole path is the tooltip and status tip.
        QString shown = QFileInfo(files[i]).fileName();
        a->setText(QString("&%1 %2").arg(i + 1).arg(shown.replace('&', "&&")));
        a->setData(files[i]);
        a->setToolTip(QDir::toNativeSeparators(files[i]));
        a->setStatusTip(QDir::toNativeSeparators(files[i]));
    }
    recentSeparator_->setVisible(!files.isEmpty());
}

void MainWindow::OpenRecentFile(const QString& name) {
    if (!QFileInfo::exists(name)) {
        op_->Tell("Файл не найден:\n" + QDir::toNativeSeparators(name).toStdString() +
                      "\nОн убран из списка последних файлов.",
                  "Открытие файла", MsgIcon::Warning);
        QStringList files = RecentFiles();
        files.removeAll(name);
        ProgramSettings().setValue(kRecentKey, files);
        ShowRecentFiles();
        return;
    }
    if (!MayDropDocument(*this))
        return;
    OpenConfigFile(name);
}
