#pragma once
// The password dialog "Введите пароль и нажмите  <ENTER>": checks the entry at start-up, or
// stores a new password while the password-change mode is on.

#include "dialogs/lumdialog.h"

class LumMain;
class QLabel;
class QLineEdit;

class TFPSW : public TLumDialog {
    Q_OBJECT
public:
    explicit TFPSW(LumMain& main, QWidget* parent = nullptr);

    // Prepares the dialog for the start-up check or for a password change.
    void PrepareCheck();
    void PrepareChange();

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;

    // The file that keeps the password, in the working directory.
    static QString PasswordFilePath();

protected:
    bool CanClose(int& result) override;

private:
    void Edit1KeyRejected();
    int StoreNewPassword();

    LumMain& main_;
};
