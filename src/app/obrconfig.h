#pragma once
// "Задание конфигурации": the module type and slot address of up to six modules of a device
// that is not connected. The result is a 17-byte configuration for a new configuration file.

#include "dialogs/lumdialog.h"

#include <array>
#include <cstdint>

class LumMain;
class QComboBox;
class QLineEdit;
class QPushButton;
class TErrorMarker;

class TConfig : public TLumDialog {
    Q_OBJECT
public:
    static constexpr int Accepted = 2; // the configuration was accepted
    static constexpr int GaveUp = 6;   // the operator gave up after an error

    explicit TConfig(LumMain& main, QWidget* parent = nullptr);

    // Before every showing: "0000000000000000", every module "нет", every address empty.
    void Prepare();
    // After acceptance: the configuration (count, then the module code of slots 0..15).
    const std::array<uint8_t, 17>& Result() const { return result_; }
    // The 16-digit modification code shown in the dialog.
    QString ModifCode() const;

    std::array<QComboBox*, 6> M{};
    std::array<QLineEdit*, 6> Edit{};
    QLineEdit* EditModif = nullptr;
    QPushButton* OK = nullptr;
    TErrorMarker* ErrorText = nullptr;

protected:
    bool CanClose(int& result) override;

private:
    void M1Click(int row);
    // The first wrong address of a fitted row, marked; false when all are right.
    bool RowsWrong();

    LumMain& main_;
    std::array<int, 6> codes_{};
    std::array<uint8_t, 17> result_{};
};
