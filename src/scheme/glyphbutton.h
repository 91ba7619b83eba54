#pragma once
// A small tool button that keeps a pressed (down) state: a strip of four glyph images (up,
// disabled, down, exclusive), a group index within its parent (0: a plain button; buttons of
// one group of one parent are down one at a time) and whether all of a group may be up.

#include <QAbstractButton>
#include <QPixmap>

class GlyphButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit GlyphButton(QWidget* parent);

    void SetGlyph(const QPixmap& strip, int numGlyphs = 4);
    QPixmap Glyph() const { return glyph_; }
    int NumGlyphs() const { return numGlyphs_; }
    // The glyph image painted now: 0 up, 1 disabled, 2 pressed, 3 down at rest.
    int GlyphIndexShown() const;

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }
    bool Down() const { return isChecked(); }
    void SetDown(bool down);
    int Margin() const { return margin_; }
    void SetMargin(int margin) { margin_ = margin; } // -1: the glyph centred

    QSize sizeHint() const override { return QSize(23, 22); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;
    // Runs after every click, the down state already toggled.
    virtual void Click() {}

private:
    void ReleaseGroup();

    QPixmap glyph_;
    int numGlyphs_ = 1;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    int margin_ = -1;
};
