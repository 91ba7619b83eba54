#pragma once
// "Задание текстового реквизита входа": one input's 14-character text label.

#include "dialogs/lumdialog.h"

class LumMain;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormText : public TLumDialog {
    Q_OBJECT
public:
    explicit TFormText(LumMain& main, QWidget* parent = nullptr);

    void SetHeading(int inputFrom1, const QString& identifier);
    // Fills the field with input i's label; stores the field as input i's label (padded).
    void FillFrom(int input);
    void StoreTo(int input);

    QLabel* LabNVh = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EditText = nullptr;
    QPushButton* OK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool CanClose(int& result) override;

private:
    LumMain& main_;
};
