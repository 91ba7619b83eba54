#pragma once
// The password dialog "Введите пароль и нажмите  <ENTER>": takes the password at start-up, or
// the new one while the password-change mode is on. The opener checks and stores what was
// entered.

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
    // The password typed, after the dialog closed.
    std::string Entered() const;

    // The file that keeps the password, in the working directory.
    static QString PasswordFilePath();

private:
    void PasswordKeyRejected();

    WindowContext& main_;
    QLabel* promptLabel = nullptr;
    QLineEdit* passwordEdit = nullptr;
};
