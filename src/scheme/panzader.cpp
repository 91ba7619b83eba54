#include "scheme/panzader.h"

#include "scheme/schemecolors.h"

#include <QLabel>

TPanZader::TPanZader(QWidget* owner) : TPanel(owner) {
    SetUp();
    FText->setText("00");
}

TPanZader::TPanZader(QWidget* owner, int a, int b) : TPanel(owner) {
    SetUp();
    PutTimeDelay(a, b);
}

TPanZader::~TPanZader() {
    delete FText;
    FText = nullptr;
}

void TPanZader::SetUp() {
    SetCaption(" t");
    SetAlignment(Qt::AlignLeft);
    SetSingleBorder(true);
    SetBevelInner(TBevel::Lowered);
    SetFontColor(QColor(0, 0, 0));
    resize(42, 42);
    SetHint(QString::fromUtf8("панель задержки"));
    setMouseTracking(true);
    FText = MakeStaticText(this, QRect(12, 10, 21, 17), Qt::AlignHCenter);
    SetStaticTextColor(FText, scheme::WindowBackground());
}

void TPanZader::PutTimeDelay(int a, int b) {
    FText->setText(QString::number(a * b));
}
