#pragma once
// The signalling panel of a scheme row: the light alarm type as its caption and the light
// colour behind its number text.

#include "scheme/schemepanel.h"

class QLabel;

class AlarmCell : public SchemePanel {
    Q_OBJECT
public:
    explicit AlarmCell(QWidget* owner);
    // row is not used; it keeps the constructor in line with the scheme's other blocks.
    AlarmCell(QWidget* owner, int row, int number, int type);
    ~AlarmCell() override;

    // Caption by light alarm type: "т сиг", "пред", "авар", "инд"; other types keep it.
    void PutTipS(int type);
    // Number text (empty for 0) and its fallback colour by type.
    void PutNTabS(int type, int number);
    QColor ColorSign() const { return FColorSign; }
    void SetColorSign(const QColor& color);
    // Paints the number text without changing ColorSign.
    void PutColorSign(const QColor& color);

    QLabel* Text() const { return FText; }

private:
    void SetUp();

    QLabel* FText = nullptr;
    QColor FColorSign;
};
