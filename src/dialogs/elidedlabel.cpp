#include "dialogs/elidedlabel.h"

#include <QPainter>
#include <QStyle>

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    headLength_ = int(text.size());
}

void ElidedLabel::SetHeadAndPath(const QString& head, const QString& path) {
    headLength_ = int(head.size());
    setText(head + path);
    setToolTip(path);
}

QString ElidedLabel::ShownText() const {
    const QString all = text();
    const QString head = all.left(headLength_);
    const QString path = all.mid(headLength_);
    const QFontMetrics fm = fontMetrics();
    const int room = contentsRect().width() - fm.horizontalAdvance(head);
    if (fm.horizontalAdvance(path) <= room)
        return all;
    // The file's own name stays whole while there is room for it; the folders give way.
    const qsizetype slash = path.lastIndexOf('/');
    const QString name = slash >= 0 ? path.mid(slash) : QString();
    const int folderRoom = room - fm.horizontalAdvance(name);
    if (slash > 0 && folderRoom >= fm.horizontalAdvance(QStringLiteral("/…/")))
        return head + fm.elidedText(path.left(slash), Qt::ElideMiddle, folderRoom) + name;
    return head + fm.elidedText(path, Qt::ElideMiddle, std::max(0, room));
}

QSize ElidedLabel::minimumSizeHint() const {
    // The head and a few characters of the path, "…" among them.
    const QFontMetrics fm = fontMetrics();
    const QMargins m = contentsMargins();
    const int width = fm.horizontalAdvance(text().left(headLength_) + QStringLiteral("…/…")) +
                      m.left() + m.right();
    return {width, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                          ShownText(), foregroundRole());
}
