#pragma once
// The delay panel of a scheme row: " t" and the delay in seconds.

#include "scheme/panel.h"

class QLabel;

class TPanZader : public TPanel {
    Q_OBJECT
public:
    explicit TPanZader(QWidget* owner);
    TPanZader(QWidget* owner, int a, int b);
    ~TPanZader() override;

    // Shows a x b (the scheme gives the delay in seconds and 1).
    void PutTimeDelay(int a, int b);

    QLabel* Text() const { return FText; }

private:
    void SetUp();

    QLabel* FText = nullptr;
};
