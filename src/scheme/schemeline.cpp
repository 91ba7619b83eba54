#include "scheme/schemeline.h"

#include "scheme/schemecolors.h"

SchemeLine::SchemeLine(QWidget* owner) : SchemeShape(owner) {
    SetUp();
}

SchemeLine::SchemeLine(QWidget* owner, int row) : SchemeShape(owner) {
    SetUp();
    move(x(), row * 54 - 27);
}

void SchemeLine::SetUp() {
    SetBrushColor(scheme::Olive());
    SetPenVisible(false);
    resize(80, 3);
    setMouseTracking(true);
    type_ = shNormal;
    PutTypeShape(shNormal);
}

void SchemeLine::PutTypeShape(ShapeType) {}

void SchemeLine::SetTypeShape(ShapeType type) {
    type_ = type;
    PutTypeShape(type);
}
