#include "scheme/alarmcell.h"

#include "dialogs/uitext.h"
#include "scheme/schemecolors.h"

#include <QLabel>

AlarmCell::AlarmCell(QWidget* owner) : SchemePanel(owner) {
    SetUp();
    PutTipS(0);
    PutNTabS(0, 0);
}

AlarmCell::AlarmCell(QWidget* owner, int, int number, int type) : SchemePanel(owner) {
    SetUp();
    PutNTabS(type, number);
    PutTipS(type);
}

AlarmCell::~AlarmCell() {
    delete FText;
    FText = nullptr;
}

void AlarmCell::SetUp() {
    SetAlignment(Qt::AlignLeft);
    SetSingleBorder(true);
    SetBevelInner(Bevel::Lowered);
    SetFontColor(QColor(0, 0, 0));
    resize(60, 42);
    SetHint(U("панель сигнализации"));
    setMouseTracking(true);
    FText = MakeStaticText(this, QRect(30, 10, 21, 17), Qt::AlignHCenter);
}

void AlarmCell::PutTipS(int type) {
    static const char* const captions[4] = {"т сиг", "пред", "авар", "инд"};
    if (type >= 0 && type < 4)
        SetCaption(U(captions[type]));
}

void AlarmCell::PutNTabS(int type, int number) {
    FText->setText(number == 0 ? QString() : QString::number(number));
    switch (type) {
    case 0:
        SetStaticTextColor(FText, scheme::WindowBackground());
        break;
    case 1:
        SetStaticTextColor(FText, scheme::Yellow());
        break;
    case 2:
        SetStaticTextColor(FText, scheme::Red());
        break;
    case 3:
        SetStaticTextColor(FText, scheme::Lime());
        break;
    default:
        break;
    }
}

void AlarmCell::SetColorSign(const QColor& color) {
    FColorSign = color;
    PutColorSign(color);
}

void AlarmCell::PutColorSign(const QColor& color) {
    SetStaticTextColor(FText, color);
}
