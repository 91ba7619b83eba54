#include "scheme/inputcell.h"

#include "dialogs/uitext.h"
#include "scheme/glyphbutton.h"
#include "scheme/glyphs.h"
#include "scheme/schemecolors.h"

#include <QMouseEvent>

InputCell::InputCell(QWidget* owner) : SchemePanel(owner) {
    SetUp(tpInput);
}

InputCell::InputCell(QWidget* owner, int number, CellType type) : SchemePanel(owner) {
    SetUp(type);
    SetCaption(QString::number(number));
    type_ = type;
}

InputCell::~InputCell() {
    delete button_;
    button_ = nullptr;
}

void InputCell::SetUp(CellType type) {
    QFont f = font();
    f.setBold(true);
    setFont(f);
    SetFontColor(scheme::Blue());
    setMouseTracking(true);
    if (type == tpNB) {
        ShapeAs(tpNB, 25);
        return;
    }
    ShapeAs(type, 42);
    button_ = new GlyphButton(this);
    button_->move(8, 8);
    button_->SetGlyph(glyphs::ContactType(), 4);
    button_->SetMargin(-1);
    button_->SetAllowAllUp(true);
    button_->SetGroupIndex(1);
    button_->setToolTip(U("Состояние входа - Нажато: НР"));
    connect(button_, &GlyphButton::clicked, this, [this] { ButtonClick(); });
    if (type == tpId) {
        button_->hide();
        button_->move(92, 8);
    }
}

void InputCell::ShapeAs(CellType type, int height) {
    if (type == tpNB) {
        SetAlignment(Qt::AlignHCenter);
        SetSingleBorder(false);
        SetBevelInner(Bevel::Lowered);
        SetBevelOuter(Bevel::None);
        resize(24, 25);
        return;
    }
    SetAlignment(Qt::AlignRight);
    SetSingleBorder(true);
    SetBevelInner(Bevel::Lowered);
    SetBevelOuter(Bevel::Raised);
    resize(type == tpId ? 90 : 120, height);
}

void InputCell::PutType(CellType type) {
    if (button_) {
        button_->hide();
        if (type == tpNB)
            button_->move(27, button_->y());
        else if (type == tpId)
            button_->move(92, button_->y());
    }
    ShapeAs(type, 41);
    if (type == tpInput && button_) {
        button_->move(8, button_->y());
        button_->show();
    }
}

void InputCell::SetType(CellType type) {
    type_ = type;
    PutType(type);
}

bool InputCell::ButtonEnabled() const {
    return button_ && button_->isEnabled();
}

void InputCell::SetButtonEnabled(bool enabled) {
    if (button_)
        button_->setEnabled(enabled);
}

bool InputCell::ButtonDown() const {
    return button_ && button_->Down();
}

void InputCell::SetButtonDown(bool down) {
    if (button_)
        button_->SetDown(down);
}

void InputCell::ButtonClick() {
    if (onButtonClick_)
        onButtonClick_(this);
    if (onClick_)
        onClick_(button_);
}

void InputCell::Click() {
    SetColor(Color() == scheme::SkyBlue() ? scheme::ButtonFace() : scheme::SkyBlue());
    if (onClick_)
        onClick_(this);
}

void InputCell::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    SchemePanel::mousePressEvent(event);
}

void InputCell::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->pos());
    pressed_ = false;
    SchemePanel::mouseReleaseEvent(event);
    if (click)
        Click();
}
