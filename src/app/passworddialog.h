#pragma once
// The password dialog "Введите пароль и нажмите  <ENTER>": checks the entry at start-up, or
// stores a new password while the password-change mode is on.

#include "dialogs/lumdialog.h"

#include <string>

class WindowContext;
class QLabel;
class QLineEdit;

class PasswordDialog : public LumDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(WindowContext& main, QWidget* parent = nullptr);

    // Prepares the dialog for the start-up check or for a password change.
    void PrepareCheck();
    void PrepareChange();
    // The password typed, after the check closed the dialog.
    std::string Entered() const;

    QLabel* promptLabel = nullptr;
    QLineEdit* passwordEdit = nullptr;

    // The file that keeps the password, in the working directory.
    static QString PasswordFilePath();

protected:
    bool CanClose(int& result) override;

private:
    void PasswordKeyRejected();
    int StoreNewPassword();

    WindowContext& main_;
};
