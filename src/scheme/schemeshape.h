#pragma once
// A plain rectangle: a solid brush and an outline pen that may be invisible. The scheme draws
// its row frames and connecting lines with it.

#include <QWidget>

class SchemeShape : public QWidget {
    Q_OBJECT
public:
    explicit SchemeShape(QWidget* parent);

    QColor BrushColor() const { return brush_; }
    void SetBrushColor(const QColor& color);
    QColor PenColor() const { return pen_; }
    void SetPenColor(const QColor& color);
    bool PenVisible() const { return penVisible_; }
    void SetPenVisible(bool visible);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor brush_{255, 255, 255};
    QColor pen_{0, 0, 0};
    bool penVisible_ = true;
};
