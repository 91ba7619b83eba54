#include "scheme/paninp.h"

#include "dialogs/uitext.h"
#include "scheme/glyphs.h"
#include "scheme/schemecolors.h"
#include "scheme/speedbutton.h"

#include <QMouseEvent>

TPanInp::TPanInp(QWidget* owner) : TPanel(owner) {
    SetUp(tpInput);
}

TPanInp::TPanInp(QWidget* owner, int number, TPanelType type) : TPanel(owner) {
    SetUp(type);
    SetCaption(QString::number(number));
    FTypePan = type;
}

TPanInp::~TPanInp() {
    delete FSpB;
    FSpB = nullptr;
}

void TPanInp::SetUp(TPanelType type) {
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
    FSpB = new TSpeedButton(this);
    FSpB->move(8, 8);
    FSpB->SetGlyph(glyphs::TipKont(), 4);
    FSpB->SetMargin(-1);
    FSpB->SetAllowAllUp(true);
    FSpB->SetGroupIndex(1);
    FSpB->setToolTip(U("Состояние входа - Нажато: НР"));
    connect(FSpB, &TSpeedButton::clicked, this, [this] { SpBClick(); });
    if (type == tpId) {
        FSpB->hide();
        FSpB->move(92, 8);
    }
}

void TPanInp::ShapeAs(TPanelType type, int height) {
    if (type == tpNB) {
        SetAlignment(Qt::AlignHCenter);
        SetSingleBorder(false);
        SetBevelInner(TBevel::Lowered);
        SetBevelOuter(TBevel::None);
        resize(24, 25);
        return;
    }
    SetAlignment(Qt::AlignRight);
    SetSingleBorder(true);
    SetBevelInner(TBevel::Lowered);
    SetBevelOuter(TBevel::Raised);
    resize(type == tpId ? 90 : 120, height);
}

void TPanInp::PutTypePanel(TPanelType type) {
    if (FSpB) {
        FSpB->hide();
        if (type == tpNB)
            FSpB->move(27, FSpB->y());
        else if (type == tpId)
            FSpB->move(92, FSpB->y());
    }
    ShapeAs(type, 41);
    if (type == tpInput && FSpB) {
        FSpB->move(8, FSpB->y());
        FSpB->show();
    }
}

void TPanInp::SetTypePan(TPanelType type) {
    FTypePan = type;
    PutTypePanel(type);
}

bool TPanInp::GetEnabledSpB() const {
    return FSpB && FSpB->isEnabled();
}

void TPanInp::SetEnabledSpB(bool enabled) {
    if (FSpB)
        FSpB->setEnabled(enabled);
}

bool TPanInp::GetDownSpB() const {
    return FSpB && FSpB->Down();
}

void TPanInp::SetDownSpB(bool down) {
    if (FSpB)
        FSpB->SetDown(down);
}

void TPanInp::SpBClick() {
    if (FOnSpBClick)
        FOnSpBClick(this);
    if (FOnClick)
        FOnClick(FSpB);
}

void TPanInp::Click() {
    SetColor(Color() == scheme::SkyBlue() ? scheme::ButtonFace() : scheme::SkyBlue());
    if (FOnClick)
        FOnClick(this);
}

void TPanInp::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    TPanel::mousePressEvent(event);
}

void TPanInp::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->pos());
    pressed_ = false;
    TPanel::mouseReleaseEvent(event);
    if (click)
        Click();
}
