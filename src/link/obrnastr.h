#pragma once
// "Настройка параметров обмена": the pause before every transmission and, in controls that stay
// hidden, the pause before receiving and the two repeat counts of the engine.

#include "dialogs/lumdialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TComPortClass;

class TFormNastr : public TLumDialog {
    Q_OBJECT
public:
    // Takes the engine's delays as its first remembered values.
    explicit TFormNastr(const TComPortClass& engine, QWidget* parent = nullptr);

    // Writes the four values into the engine; the caller does it only after OK.
    void ApplyTo(TComPortClass& engine) const;
    // "Проверять запись чтением": every write is read back and compared (on at start).
    bool VerifyWrite() const { return verify_; }

    QLabel* Label5 = nullptr;
    QSpinBox* Edit1 = nullptr; // with its up/down arrows (UpDown1); typing is not possible
    QLabel* Label2 = nullptr;
    QSpinBox* Edit2 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* CBoxPovt1 = nullptr;
    QLabel* Label11 = nullptr;
    QComboBox* CBoxPovt2 = nullptr;
    QCheckBox* CheckVerify = nullptr;
    QPushButton* OK = nullptr;

protected:
    bool CanClose(int& result) override;

private:
    void PutRemembered();

    int povt1_ = 1;
    int povt2_ = 1;
    int delayTx_;
    int delayRx_;
    bool verify_ = true;
};
