#pragma once
// "Задание текстового реквизита входа": one input's 14-character text label.

#include "dialogs/lumdialog.h"

class WindowContext;
class QLabel;
class QLineEdit;
class QPushButton;

class LabelDialog : public LumDialog {
    Q_OBJECT
public:
    explicit LabelDialog(WindowContext& main, QWidget* parent = nullptr);

    void SetHeading(int inputFrom1, const QString& identifier);
    // Fills the field with input i's label; stores the field as input i's label (padded).
    void FillFrom(int input);
    void StoreTo(int input);
    // The label typed, as the field holds it.
    QString Text() const;

    QLabel* inputLabel = nullptr;
    QLabel* inputCaption = nullptr;
    QLabel* labelCaption = nullptr;
    QLineEdit* labelEdit = nullptr;
    QLabel* lengthLabel = nullptr; // "N из 14", and what was cut when a text did not fit
    QPushButton* OK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool CanClose(int& result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowLength(bool cut);
    // Ctrl+V and the field's menu: what fits goes in, a cut is told.
    void Paste();

    WindowContext& main_;
};
