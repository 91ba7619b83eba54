#pragma once
// "Задание текстового реквизита входа": one input's 14-character text label.

#include "dialogs/lumdialog.h"

#include <string>

class WindowContext;
class QLabel;
class QLineEdit;
class QPushButton;

class LabelDialog : public LumDialog {
    Q_OBJECT
public:
    explicit LabelDialog(WindowContext& main, QWidget* parent = nullptr);

    void SetHeading(int inputFrom1, const QString& identifier);
    // Fills the field with input i's label.
    void FillFrom(int input);
    // The label typed, as the field holds it.
    QString Text() const;
    // The label to store, in the device's code page; the opener puts it into the document.
    std::string Label() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool CanClose(int& result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowLength(bool cut);
    // Ctrl+V and the field's menu: what fits goes in, a cut is told.
    void Paste();

    WindowContext& main_;
    QLabel* inputLabel = nullptr;
    QLabel* inputCaption = nullptr;
    QLabel* labelCaption = nullptr;
    QLineEdit* labelEdit = nullptr;
    QLabel* lengthLabel = nullptr; // "N из 14", and what was cut when a text did not fit
    QPushButton* OK = nullptr;
};
