#pragma once
// A label whose text ends in a file path: the head is shown whole, the path shortens in the
// middle when the window is narrower than it, and text() keeps the whole of it. A long path
// therefore never widens the window.

#include <QLabel>

class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    // Shows head + path; the whole path becomes the hint.
    void SetHeadAndPath(const QString& head, const QString& path);
    // What is painted at the label's present width.
    QString ShownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int headLength_ = 0;
};
