#pragma once
// The list of differences between two device images, one line each, with copying to the
// clipboard and saving as a text file. Shown after "Сверить с прибором" and after a write the
// device did not keep.

#include "dialogs/lumdialog.h"

#include <string>
#include <vector>

class WindowContext;
class QLabel;
class QListWidget;
class QPushButton;

class DifferencesDialog : public LumDialog {
    Q_OBJECT
public:
    // With confirm, "Записать" (mr::Ok) and "Отмена" (mr::Cancel, the default) instead of OK.
    DifferencesDialog(WindowContext& main, const QString& heading,
                      const std::vector<std::string>& lines, QWidget* parent = nullptr,
                      bool confirm = false);

    void CopyClick(); // "Копировать": every line to the clipboard
    void SaveClick(); // "Сохранить ...": a UTF-8 text file, replaced atomically
    QString Text() const;

    QLabel* Heading = nullptr;
    QListWidget* List = nullptr;
    QPushButton* Copy = nullptr;
    QPushButton* Save = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr; // only when asking to confirm

private:
    WindowContext& main_;
};

// Shows the differences modally through the main window's hook.
void ShowDifferences(WindowContext& main, const QString& heading,
                     const std::vector<std::string>& lines);

// Shows what a write would change, with "Записать" and "Отмена": true writes.
bool ConfirmChanges(WindowContext& main, const QString& heading,
                    const std::vector<std::string>& lines);

// Saves text (UTF-8) to a text file the operator names; a failure is told with its reason.
// what names the text in that message ("Журнал обмена"); the file dialog is modal to parent
// (none: the main window).
void SaveTextFile(WindowContext& main, const QString& title, const QString& fileName,
                  const std::string& text, const std::string& what, QWidget* parent = nullptr);
