#pragma once
// The group-number dialog of the inputs table: a range of inputs, or the first input of a
// replacement. Results: 2 accepted, 3 cancelled.

#include "dialogs/lumdialog.h"

class WindowContext;
class QGroupBox;
class QLineEdit;
class QPushButton;
class ErrorMarker;

class InputGroupDialog : public LumDialog {
    Q_OBJECT
public:
    static constexpr int Accepted = 2;
    static constexpr int Cancelled = 3;

    explicit InputGroupDialog(WindowContext& main, QWidget* parent = nullptr);

    // "Ввод номеров группы текстовых реквизитов": the first and last number.
    void PrepareGroupMode();
    // "Ввод начального № вставки": the first number of the replacement.
    void PrepareInsertMode();
    // The numbers typed, once the dialog was accepted: 0 where a field holds no number above 0.
    long long FirstInput() const;  // the group's first
    long long LastInput() const;   // the group's last
    long long InsertStart() const; // the replacement's first

    QGroupBox* rangeGroup = nullptr;
    QLineEdit* firstInputEdit = nullptr;
    QLineEdit* lastInputEdit = nullptr;
    QGroupBox* numberGroup = nullptr;
    QLineEdit* groupNumberEdit = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
    ErrorMarker* errorMarker = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool CanClose(int& result) override;

private:
    // The first field whose text is not a number above 0, or nullptr.
    QLineEdit* FirstWrongField() const;

    WindowContext& main_;
};
