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
    void PutTypeCaption(int type);
    // Number text (empty for 0) and its fallback colour by type.
    void PutNumber(int type, int number);
    QColor NumberColor() const { return numberColor_; }
    void SetNumberColor(const QColor& color);
    // Paints the number text without changing NumberColor.
    void PaintNumber(const QColor& color);

    QLabel* Text() const { return text_; }

private:
    void SetUp();

    QLabel* text_ = nullptr;
    QColor numberColor_;
};
