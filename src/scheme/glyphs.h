#pragma once
// The pictures of the scheme, drawn here at their fixed sizes. A button glyph strip is 64 x 16
// with four 16 x 16 images: up, disabled, down, exclusive (down and at rest).

#include <QPixmap>

namespace glyphs {

constexpr int StripWidth = 64;
constexpr int StripHeight = 16;
constexpr int ImageSize = 16;

// Contact type: up a normally closed contact, down a normally open one.
QPixmap ContactType();
// Inclusion into processing: up switched off, down switched on.
QPixmap Inclusion();
// Input signal type: up a dry contact, down a Namur sensor.
QPixmap InputSignalType();
// The pump blocking switch of the module group: up off, down on.
QPixmap OnOff();

QPixmap Arrow(); // 9 x 9, transparent, pointing right along the line
QPixmap Sound(); // 14 x 14, transparent
QPixmap Relay(); // 16 x 24, transparent

// Tool bar pictures, 16 x 16: reading from and writing to the device.
QPixmap PortIn();
QPixmap PortOut();

// Image i (0..3) of a strip.
QPixmap StripImage(const QPixmap& strip, int i);

} // namespace glyphs
