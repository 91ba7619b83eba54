#pragma once
// The operator at the screen: message boxes, modal to the application.

#include "model/operator.h"

class QWidget;

class QtOperator : public Operator {
public:
    explicit QtOperator(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    MsgButton Ask(const OperatorMessage& message) override;

private:
    QWidget* parent_;
};

// The title of the application, used for message boxes without a caption of their own.
extern const char* const kApplicationTitle;
