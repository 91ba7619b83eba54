#include "scheme/schemeshape.h"

#include <QPainter>

SchemeShape::SchemeShape(QWidget* parent) : QWidget(parent) {
    resize(65, 65);
}

void SchemeShape::SetBrushColor(const QColor& color) {
    if (brush_ == color)
        return;
    brush_ = color;
    update();
}

void SchemeShape::SetPenColor(const QColor& color) {
    pen_ = color;
    update();
}

void SchemeShape::SetPenVisible(bool visible) {
    penVisible_ = visible;
    update();
}

void SchemeShape::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0)
        return;
    QPainter p(this);
    p.fillRect(rect(), brush_);
    if (penVisible_) {
        p.setPen(pen_);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
