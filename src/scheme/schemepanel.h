#pragma once
// A bevelled panel with a caption, as the scheme's blocks are drawn: a colour, an optional
// single border, an outer and an inner bevel, and a caption aligned left, centre or right and
// centred vertically in the font of the panel.

#include <QWidget>

class QLabel;

enum class Bevel { None, Lowered, Raised };

class SchemePanel : public QWidget {
    Q_OBJECT
public:
    explicit SchemePanel(QWidget* parent);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment horizontal);
    bool SingleBorder() const { return border_; }
    void SetSingleBorder(bool border);
    Bevel BevelInner() const { return inner_; }
    void SetBevelInner(Bevel bevel);
    Bevel BevelOuter() const { return outer_; }
    void SetBevelOuter(Bevel bevel);
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& color);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }

    // The panel's width of frame on each side.
    int FrameWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A press on a panel is the panel's own: it never falls through to the scheme behind it.
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    bool border_ = false;
    Bevel inner_ = Bevel::None;
    Bevel outer_ = Bevel::Raised;
    QColor color_;
    QColor fontColor_;
};

// A sunken static text inside a panel: its colour is the background behind the text.
QLabel* MakeStaticText(QWidget* parent, const QRect& geometry, Qt::Alignment alignment);
void SetStaticTextColor(QLabel* text, const QColor& color);
QColor StaticTextColor(const QLabel* text);
