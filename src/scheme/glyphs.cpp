#include "scheme/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace glyphs {
namespace {

const QColor kInk(0, 0, 0);
const QColor kGrey(128, 128, 128);
const QColor kLight(255, 255, 255);
const QColor kGreen(0, 160, 0);

QPixmap Transparent(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

// A strip of four images, each drawn by draw(painter, state) at its own 16 x 16 cell.
enum class State { Up, Disabled, Down, Exclusive };

QPixmap Strip(const std::function<void(QPainter&, State)>& draw) {
    QPixmap strip = Transparent(StripWidth, StripHeight);
    QPainter p(&strip);
    const State states[4] = {State::Up, State::Disabled, State::Down, State::Exclusive};
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(i * ImageSize, 0);
        p.setClipRect(0, 0, ImageSize, ImageSize);
        draw(p, states[i]);
        p.restore();
    }
    return strip;
}

bool IsDown(State s) {
    return s == State::Down || s == State::Exclusive;
}

QColor InkOf(State s) {
    return s == State::Disabled ? kGrey : kInk;
}

// Two terminals and a blade: closed rests on the right terminal, open stands off it.
void DrawContact(QPainter& p, State s) {
    const QColor ink = InkOf(s);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(ink, 1));
    p.drawLine(1, 11, 4, 11);
    p.drawLine(12, 11, 15, 11);
    p.setBrush(ink);
    p.drawRect(4, 10, 1, 2);
    p.drawRect(11, 10, 1, 2);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(ink, 1.6));
    if (IsDown(s))
        p.drawLine(QPointF(5, 11), QPointF(12, 4)); // normally open
    else
        p.drawLine(QPointF(5, 11), QPointF(12, 9.5)); // normally closed
    if (!IsDown(s))
        p.drawLine(QPointF(12, 7), QPointF(12, 10)); // the stop the closed blade rests on
}

// A power sign: grey and open when off, green when on.
void DrawPower(QPainter& p, State s) {
    QColor c = IsDown(s) ? kGreen : kGrey;
    if (s == State::Disabled)
        c = QColor(170, 170, 170);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(3, 3.5, 10, 10), 120 * 16, 300 * 16);
    p.drawLine(QPointF(8, 2), QPointF(8, 8));
}

// Dry contact: a push-button contact; Namur: a sensor diamond marked N.
void DrawSignalType(QPainter& p, State s) {
    const QColor ink = InkOf(s);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!IsDown(s)) {
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(3.5, 11.5), 1.5, 1.5);
        p.drawEllipse(QPointF(12.5, 11.5), 1.5, 1.5);
        p.setPen(QPen(ink, 1.5));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        p.drawLine(QPointF(8, 8), QPointF(8, 3));
        return;
    }
    QPainterPath diamond;
    diamond.moveTo(8, 1);
    diamond.lineTo(15, 8);
    diamond.lineTo(8, 15);
    diamond.lineTo(1, 8);
    diamond.closeSubpath();
    p.setPen(QPen(ink, 1));
    p.setBrush(QColor(255, 255, 160));
    p.drawPath(diamond);
    p.setPen(QPen(ink, 1.4));
    p.drawLine(QPointF(5.5, 11), QPointF(5.5, 5));
    p.drawLine(QPointF(5.5, 5), QPointF(10.5, 11));
    p.drawLine(QPointF(10.5, 11), QPointF(10.5, 5));
}

// A slide switch: knob left when off, right and green when on.
void DrawOnOff(QPainter& p, State s) {
    p.setRenderHint(QPainter::Antialiasing, true);
    const bool on = IsDown(s);
    QColor track = on ? kGreen : QColor(150, 150, 150);
    if (s == State::Disabled)
        track = QColor(200, 200, 200);
    p.setPen(Qt::NoPen);
    p.setBrush(track);
    p.drawRoundedRect(QRectF(1, 4, 14, 8), 4, 4);
    p.setBrush(kLight);
    p.setPen(QPen(InkOf(s), 1));
    p.drawEllipse(QPointF(on ? 11 : 5, 8), 3.5, 3.5);
}

} // namespace

QPixmap ContactType() {
    return Strip(DrawContact);
}

QPixmap Inclusion() {
    return Strip(DrawPower);
}

QPixmap InputSignalType() {
    return Strip(DrawSignalType);
}

QPixmap OnOff() {
    return Strip(DrawOnOff);
}

QPixmap StripImage(const QPixmap& strip, int i) {
    return strip.copy(i * ImageSize, 0, ImageSize, ImageSize);
}

QPixmap Arrow() {
    QPixmap pix = Transparent(9, 9);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(9, 4.5), QPointF(0, 9)}));
    return pix;
}

QPixmap Sound() {
    QPixmap pix = Transparent(14, 14);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({QPointF(1, 5), QPointF(4, 5), QPointF(8, 1.5), QPointF(8, 12.5),
                             QPointF(4, 9), QPointF(1, 9)}));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 4, 5, 6), -60 * 16, 120 * 16);
    p.drawArc(QRectF(5, 1.5, 8, 11), -60 * 16, 120 * 16);
    return pix;
}

QPixmap Relay() {
    QPixmap pix = Transparent(16, 24);
    QPainter p(&pix);
    p.setPen(QPen(kInk, 1));
    // the coil with its diagonal
    p.setBrush(kLight);
    p.drawRect(3, 1, 10, 8);
    p.drawLine(3, 9, 13, 1);
    // the coupling to the contact, dashed
    p.setPen(QPen(kInk, 1, Qt::DotLine));
    p.drawLine(8, 10, 8, 15);
    // the contact: two leads and the blade
    p.setPen(QPen(kInk, 1));
    p.drawLine(3, 18, 3, 23);
    p.drawLine(13, 18, 13, 23);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kInk, 1.5));
    p.drawLine(QPointF(3, 18), QPointF(12, 14.5));
    return pix;
}

namespace {
// A small box with an arrow into it (read) or out of it (write).
QPixmap PortPicture(bool in) {
    QPixmap pix = Transparent(16, 16);
    QPainter p(&pix);
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(1, 9, 14, 6);
    p.setBrush(kGreen);
    p.drawRect(3, 11, 2, 2);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(in ? QColor(0, 0, 200) : QColor(200, 0, 0));
    if (in)
        p.drawPolygon(QPolygonF({QPointF(5, 1), QPointF(11, 1), QPointF(11, 4), QPointF(14, 4),
                                 QPointF(8, 9), QPointF(2, 4), QPointF(5, 4)}));
    else
        p.drawPolygon(QPolygonF({QPointF(5, 9), QPointF(11, 9), QPointF(11, 5), QPointF(14, 5),
                                 QPointF(8, 0), QPointF(2, 5), QPointF(5, 5)}));
    return pix;
}
} // namespace

QPixmap PortIn() {
    return PortPicture(true);
}

QPixmap PortOut() {
    return PortPicture(false);
}

} // namespace glyphs
