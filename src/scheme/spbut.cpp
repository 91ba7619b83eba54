#include "scheme/spbut.h"

#include "scheme/glyphs.h"

TSpBut::TSpBut(QWidget* owner) : TSpeedButton(owner) {
    SetUp();
}

TSpBut::TSpBut(QWidget* owner, bool down) : TSpeedButton(owner) {
    SetUp();
    setEnabled(false);
    SetDown(down);
}

void TSpBut::SetUp() {
    FClicked = false;
    SetGlyph(glyphs::TipKont(), 4);
    SetMargin(-1);
    SetAllowAllUp(true);
    SetGroupIndex(1);
    setToolTip(QString::fromUtf8("Состояние входа - Нажато: НР"));
}

void TSpBut::Click() {
    FClicked = true;
    if (FOnClick)
        FOnClick(this);
}
