#include "scheme/shapehorz.h"

#include "scheme/schemecolors.h"

TShapeHorz::TShapeHorz(QWidget* owner) : TShape(owner) {
    SetUp();
}

TShapeHorz::TShapeHorz(QWidget* owner, int row) : TShape(owner) {
    SetUp();
    move(x(), row * 54 - 27);
}

void TShapeHorz::SetUp() {
    SetBrushColor(scheme::Olive());
    SetPenVisible(false);
    resize(80, 3);
    setMouseTracking(true);
    FTypeSh = shNormal;
    PutTypeShape(shNormal);
}

void TShapeHorz::PutTypeShape(ShapeType) {}

void TShapeHorz::SetTypeShape(ShapeType type) {
    FTypeSh = type;
    PutTypeShape(type);
}
