#pragma once
// The group-number dialog of the inputs table: a range of inputs, or the first input of a
// replacement. Results: 2 accepted, 3 cancelled.

#include "dialogs/lumdialog.h"

class LumMain;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TErrorMarker;

class TFormVh : public TLumDialog {
    Q_OBJECT
public:
    static constexpr int Accepted = 2;
    static constexpr int Cancelled = 3;

    explicit TFormVh(LumMain& main, QWidget* parent = nullptr);

    // "Ввод номеров группы текстовых реквизитов": the first and last number.
    void PrepareGroupMode();
    // "Ввод начального № вставки": the first number of the replacement.
    void PrepareInsertMode();

    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
    TErrorMarker* ErrorText = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool CanClose(int& result) override;

private:
    // The first field whose text is not a number above 0, or nullptr.
    QLineEdit* FirstWrongField() const;

    LumMain& main_;
};
