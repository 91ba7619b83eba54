#pragma once
// The connecting line of a scheme row: an olive bar 3 pixels high from the input panel to the
// rightmost block of the row.

#include "scheme/schemeshape.h"

enum ShapeType { shNormal, shZigzag0, shZigzag1, shZigzag2, shZigzag3 };

class SchemeLine : public SchemeShape {
    Q_OBJECT
public:
    explicit SchemeLine(QWidget* owner);
    // Centred in scheme row `row` (counted from 1): Top = row x 54 - 27.
    SchemeLine(QWidget* owner, int row);

    // The line keeps one look whatever its type.
    void PutTypeShape(ShapeType type);
    ShapeType GetTypeShape() const { return type_; }
    void SetTypeShape(ShapeType type);

private:
    void SetUp();

    ShapeType type_ = shNormal;
};
