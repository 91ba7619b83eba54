#pragma once
// Colours of the scheme: fixed ones by their RGB values, the system ones taken from the
// application's palette so that the scheme follows the desktop's theme.

#include <QApplication>
#include <QColor>
#include <QPalette>

namespace scheme {

inline QColor SkyBlue() {
    return QColor(166, 202, 240);
}
inline QColor Silver() {
    return QColor(192, 192, 192);
}
inline QColor Olive() {
    return QColor(128, 128, 0);
}
inline QColor Maroon() {
    return QColor(128, 0, 0);
}
inline QColor Teal() {
    return QColor(0, 128, 128);
}
inline QColor Blue() {
    return QColor(0, 0, 255);
}
inline QColor Red() {
    return QColor(255, 0, 0);
}
inline QColor Lime() {
    return QColor(0, 255, 0);
}
inline QColor Yellow() {
    return QColor(255, 255, 0);
}
inline QColor White() {
    return QColor(255, 255, 255);
}
inline QColor ButtonFace() {
    return QApplication::palette().color(QPalette::Button);
}
inline QColor WindowBackground() {
    return QApplication::palette().color(QPalette::Base);
}
inline QColor TooltipBackground() {
    return QApplication::palette().color(QPalette::ToolTipBase);
}
inline QColor ActiveCaption() {
    return QApplication::palette().color(QPalette::Highlight);
}

} // namespace scheme
