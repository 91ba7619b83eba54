#pragma once
// The delay panel of a scheme row: " t" and the delay in seconds.

#include "scheme/schemepanel.h"

class QLabel;

class DelayCell : public SchemePanel {
    Q_OBJECT
public:
    explicit DelayCell(QWidget* owner);
    DelayCell(QWidget* owner, int a, int b);
    ~DelayCell() override;

    // Shows a x b (the scheme gives the delay in seconds and 1).
    void PutTimeDelay(int a, int b);

    QLabel* Text() const { return text_; }

private:
    void SetUp();

    QLabel* text_ = nullptr;
};
