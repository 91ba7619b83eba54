#include "scheme/delaycell.h"

#include "scheme/schemecolors.h"

#include <QLabel>

DelayCell::DelayCell(QWidget* owner) : SchemePanel(owner) {
    SetUp();
    text_->setText("00");
}

DelayCell::DelayCell(QWidget* owner, int a, int b) : SchemePanel(owner) {
    SetUp();
    PutTimeDelay(a, b);
}

DelayCell::~DelayCell() {
    delete text_;
    text_ = nullptr;
}

void DelayCell::SetUp() {
    SetCaption(" t");
    SetAlignment(Qt::AlignLeft);
    SetSingleBorder(true);
    SetBevelInner(Bevel::Lowered);
    SetFontColor(QColor(0, 0, 0));
    resize(42, 42);
    SetHint(QString::fromUtf8("панель задержки"));
    setMouseTracking(true);
    text_ = MakeStaticText(this, QRect(12, 10, 21, 17), Qt::AlignHCenter);
    SetStaticTextColor(text_, scheme::WindowBackground());
}

void DelayCell::PutTimeDelay(int a, int b) {
    text_->setText(QString::number(a * b));
}
