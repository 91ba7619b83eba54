#include "scheme/alarmcell.h"

#include "dialogs/uitext.h"
#include "scheme/schemecolors.h"

#include <QLabel>

AlarmCell::AlarmCell(QWidget* owner) : SchemePanel(owner) {
    SetUp();
    PutTypeCaption(0);
    PutNumber(0, 0);
}

AlarmCell::AlarmCell(QWidget* owner, int, int number, int type) : SchemePanel(owner) {
    SetUp();
    PutNumber(type, number);
    PutTypeCaption(type);
}

AlarmCell::~AlarmCell() {
    delete text_;
    text_ = nullptr;
}

void AlarmCell::SetUp() {
    SetAlignment(Qt::AlignLeft);
    SetSingleBorder(true);
    SetBevelInner(Bevel::Lowered);
    SetFontColor(QColor(0, 0, 0));
    resize(60, 42);
    SetHint(U("панель сигнализации"));
    setMouseTracking(true);
    text_ = MakeStaticText(this, QRect(30, 10, 21, 17), Qt::AlignHCenter);
}

void AlarmCell::PutTypeCaption(int type) {
    static const char* const captions[4] = {"т сиг", "пред", "авар", "инд"};
    if (type >= 0 && type < 4)
        SetCaption(U(captions[type]));
}

void AlarmCell::PutNumber(int type, int number) {
    text_->setText(number == 0 ? QString() : QString::number(number));
    switch (type) {
    case 0:
        SetStaticTextColor(text_, scheme::WindowBackground());
        break;
    case 1:
        SetStaticTextColor(text_, scheme::Yellow());
        break;
    case 2:
        SetStaticTextColor(text_, scheme::Red());
        break;
    case 3:
        SetStaticTextColor(text_, scheme::Lime());
        break;
    default:
        break;
    }
}

void AlarmCell::SetNumberColor(const QColor& color) {
    numberColor_ = color;
    PaintNumber(color);
}

void AlarmCell::PaintNumber(const QColor& color) {
    SetStaticTextColor(text_, color);
}
