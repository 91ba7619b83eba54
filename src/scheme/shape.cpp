#include "scheme/shape.h"

#include <QPainter>

TShape::TShape(QWidget* parent) : QWidget(parent) {
    resize(65, 65);
}

void TShape::SetBrushColor(const QColor& color) {
    if (brush_ == color)
        return;
    brush_ = color;
    update();
}

void TShape::SetPenColor(const QColor& color) {
    pen_ = color;
    update();
}

void TShape::SetPenVisible(bool visible) {
    penVisible_ = visible;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
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
