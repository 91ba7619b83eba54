#include "scheme/glyphbutton.h"

#include "scheme/glyphs.h"
#include "scheme/schemecolors.h"

#include <QPainter>

GlyphButton::GlyphButton(QWidget* parent) : QAbstractButton(parent) {
    resize(23, 22);
    setFocusPolicy(Qt::NoFocus); // a speed button never takes the focus
    connect(this, &QAbstractButton::clicked, this, [this] { Click(); });
}

void GlyphButton::SetGlyph(const QPixmap& strip, int numGlyphs) {
    glyph_ = strip;
    numGlyphs_ = qBound(1, numGlyphs, 4);
    update();
}

void GlyphButton::SetGroupIndex(int index) {
    groupIndex_ = index;
    setCheckable(index != 0);
}

void GlyphButton::SetDown(bool down) {
    if (groupIndex_ == 0)
        return; // a plain button has no lasting down state
    if (down)
        ReleaseGroup();
    setChecked(down);
    update();
}

void GlyphButton::ReleaseGroup() {
    if (!parentWidget())
        return;
    const auto siblings = parentWidget()->findChildren<GlyphButton*>(Qt::FindDirectChildrenOnly);
    for (GlyphButton* b : siblings)
        if (b != this && b->groupIndex_ == groupIndex_ && b->isChecked()) {
            b->setChecked(false);
            b->update();
        }
}

void GlyphButton::nextCheckState() {
    if (groupIndex_ == 0)
        return;
    if (isChecked()) {
        if (allowAllUp_)
            setChecked(false);
        return;
    }
    SetDown(true);
}

int GlyphButton::GlyphIndexShown() const {
    int i = 0;
    if (!isEnabled())
        i = 1;
    else if (isDown())
        i = 2;
    else if (isChecked())
        i = 3;
    return i < numGlyphs_ ? i : 0;
}

void GlyphButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const bool sunken = isDown() || isChecked();
    QColor face = scheme::ButtonFace();
    if (isChecked() && !isDown())
        face = face.lighter(108); // the down state at rest looks a little brighter
    p.fillRect(r, face);
    const QColor light(255, 255, 255);
    const QColor dark(128, 128, 128);
    const QColor darkest(64, 64, 64);
    const QColor tl = sunken ? darkest : light;
    const QColor br = sunken ? light : darkest;
    p.setPen(tl);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(br);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(dark);
    if (sunken) {
        p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
        p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
    } else {
        p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
        p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    }
    if (glyph_.isNull())
        return;
    const int w = glyph_.width() / numGlyphs_;
    const QPixmap image = glyph_.copy(GlyphIndexShown() * w, 0, w, glyph_.height());
    QPoint at((width() - w) / 2, (height() - image.height()) / 2);
    if (margin_ >= 0)
        at.setX(margin_);
    if (sunken)
        at += QPoint(1, 1);
    p.drawPixmap(at, image);
}
