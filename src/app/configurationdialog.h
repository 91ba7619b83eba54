#pragma once
// "Задание конфигурации": the module type and slot address of up to six modules of a device
// that is not connected. The result is a 17-byte configuration for a new configuration file.

#include "dialogs/lumdialog.h"

#include <array>
#include <cstdint>

class WindowContext;
class QComboBox;
class QLineEdit;
class QPushButton;
class ErrorMarker;

class ConfigurationDialog : public LumDialog {
    Q_OBJECT
public:
    static constexpr int Accepted = 2;  // the configuration was accepted
    static constexpr int GaveUp = 6;    // the operator gave up after an error
    static constexpr int Cancelled = 7; // Esc: nothing is created, nothing is asked

    explicit ConfigurationDialog(WindowContext& main, QWidget* parent = nullptr);

    // Before every showing: "0000000000000000", every module "нет", every address empty.
    void Prepare();
    // After acceptance: the configuration (count, then the module code of slots 0..15).
    const std::array<uint8_t, 17>& Result() const { return result_; }
    // The 16-digit modification code shown in the dialog.
    QString ModificationCode() const;

    std::array<QComboBox*, 6> typeBoxes{};
    std::array<QLineEdit*, 6> addressEdits{};
    QLineEdit* modificationEdit = nullptr;
    QPushButton* OK = nullptr;
    ErrorMarker* errorMarker = nullptr;

protected:
    bool CanClose(int& result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ModuleTypeClick(int row);
    // The first wrong address of a fitted row, marked; false when all are right.
    bool RowsWrong();

    WindowContext& main_;
    std::array<int, 6> codes_{};
    std::array<uint8_t, 17> result_{};
};
