#include "scheme/schemepanel.h"

#include "scheme/schemecolors.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

SchemePanel::SchemePanel(QWidget* parent) : QWidget(parent) {
    color_ = scheme::ButtonFace();
    fontColor_ = QColor(0, 0, 0);
}

void SchemePanel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void SchemePanel::SetAlignment(Qt::Alignment horizontal) {
    alignment_ = horizontal & Qt::AlignHorizontal_Mask;
    update();
}

void SchemePanel::SetSingleBorder(bool border) {
    border_ = border;
    update();
}

void SchemePanel::SetBevelInner(Bevel bevel) {
    inner_ = bevel;
    update();
}

void SchemePanel::SetBevelOuter(Bevel bevel) {
    outer_ = bevel;
    update();
}

void SchemePanel::SetColor(const QColor& color) {
    if (color_ == color)
        return;
    color_ = color;
    update();
}

void SchemePanel::SetFontColor(const QColor& color) {
    fontColor_ = color;
    update();
}

int SchemePanel::FrameWidth() const {
    return (border_ ? 1 : 0) + (outer_ != Bevel::None ? 1 : 0) + (inner_ != Bevel::None ? 1 : 0);
}

void SchemePanel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

namespace {
void DrawBevel(QPainter& p, QRect& r, Bevel bevel) {
    if (bevel == Bevel::None)
        return;
    const QColor light(255, 255, 255);
    const QColor shadow(128, 128, 128);
    const QColor tl = bevel == Bevel::Raised ? light : shadow;
    const QColor br = bevel == Bevel::Raised ? shadow : light;
    p.setPen(tl);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(br);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    r.adjust(1, 1, -1, -1);
}
} // namespace

void SchemePanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    p.fillRect(r, color_);
    if (border_) {
        p.setPen(QColor(0, 0, 0));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    DrawBevel(p, r, outer_);
    DrawBevel(p, r, inner_);
    if (caption_.isEmpty())
        return;
    p.setPen(fontColor_);
    p.setFont(font());
    p.drawText(r.adjusted(1, 0, -1, 0), int(alignment_ | Qt::AlignVCenter), caption_);
}

QLabel* MakeStaticText(QWidget* parent, const QRect& geometry, Qt::Alignment alignment) {
    auto* text = new QLabel(parent);
    text->setGeometry(geometry);
    text->setAlignment(alignment | Qt::AlignVCenter);
    text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    text->setLineWidth(1);
    text->setAutoFillBackground(true);
    QFont f = text->font();
    f.setBold(true);
    text->setFont(f);
    text->setMouseTracking(true);
    // Mouse events belong to the panel the text sits in.
    text->setAttribute(Qt::WA_TransparentForMouseEvents);
    return text;
}

void SetStaticTextColor(QLabel* text, const QColor& color) {
    QPalette p = text->palette();
    p.setColor(QPalette::Window, color);
    text->setPalette(p);
}

QColor StaticTextColor(const QLabel* text) {
    return text->palette().color(QPalette::Window);
}
