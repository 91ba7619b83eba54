#include "scheme/cellbutton.h"

#include "scheme/glyphs.h"

CellButton::CellButton(QWidget* owner) : GlyphButton(owner) {
    SetUp();
}

CellButton::CellButton(QWidget* owner, bool down) : GlyphButton(owner) {
    SetUp();
    setEnabled(false);
    SetDown(down);
}

void CellButton::SetUp() {
    clicked_ = false;
    SetGlyph(glyphs::ContactType(), 4);
    SetMargin(-1);
    SetAllowAllUp(true);
    SetGroupIndex(1);
    setToolTip(QString::fromUtf8("Состояние входа - Нажато: НР"));
}

void CellButton::Click() {
    clicked_ = true;
    if (onClick_)
        onClick_(this);
}
