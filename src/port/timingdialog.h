#pragma once
// "Настройка параметров обмена": the pause before every transmission and, in controls that stay
// hidden, the pause before receiving and the two repeat counts of the engine; and the network's
// round trip to a gateway far away (0 at start: a gateway nearby behaves as a serial line).

#include "dialogs/lumdialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class ExchangeEngine;

class ExchangeTimingDialog : public LumDialog {
    Q_OBJECT
public:
    // Takes the engine's delays as its first remembered values.
    explicit ExchangeTimingDialog(const ExchangeEngine& engine, QWidget* parent = nullptr);

    // Writes the values into the engine; the caller does it only after OK.
    void ApplyTo(ExchangeEngine& engine) const;
    // "Проверять запись чтением": every write is read back and compared (on at start).
    bool VerifyWrite() const { return verify_; }

    QLabel* firstByteLabel = nullptr;
    QSpinBox* firstByteWait = nullptr; // with its up/down arrows (UpDown1); typing is not possible
    QLabel* nextByteLabel = nullptr;
    QSpinBox* nextByteWait = nullptr;
    QLabel* repeatsLabel = nullptr;
    QComboBox* repeatsBox = nullptr;
    QLabel* busyRepeatsLabel = nullptr;
    QComboBox* busyRepeatsBox = nullptr;
    QLabel* roundTripLabel = nullptr;
    QSpinBox* roundTripWait = nullptr; // ms, added to the wait for a reply through a gateway
    QCheckBox* verifyCheck = nullptr;
    QPushButton* OK = nullptr;

protected:
    bool CanClose(int& result) override;

private:
    void PutRemembered();

    int povt1_ = 1;
    int povt2_ = 1;
    int delayTx_;
    int delayRx_;
    int roundTrip_;
    bool verify_ = true;
};
