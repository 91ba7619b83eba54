#pragma once
// The heading of every printed page and of the report file: what was printed, of which device
// (its number and modification), from where (the port or the file), when, and the page's number
// among all, so that a printout filed with a commissioning report says what it is.

#include <QDateTime>
#include <QString>
#include <QStringList>

class QPainter;
class QRect;
class WindowContext;

// Pages are printed inside margins of this size on every side.
constexpr double kPrintMarginMm = 20;

struct PrintHeading {
    QString title;   // what the page shows
    QString device;  // "Прибор № 3, исполнение 00000000"
    QString source;  // "Порт COM1, 9600 бит/с" or "Файл /path/name.lum"
    QString printed; // "Напечатано 08.12.2026 в 10:15"

    // The heading's lines without the page number, in their order.
    QStringList Lines() const;
    static QString PageText(int page, int pages);
};

PrintHeading MakePrintHeading(WindowContext& main, const QString& title,
                              const QDateTime& now = QDateTime::currentDateTime());

// The heading's height on the painter's device, with the rule under it and the gap after it.
int PrintHeadingHeight(QPainter& p);
// Draws the heading at the top of the page's printable rectangle (the painter's coordinates);
// returns its height as PrintHeadingHeight does.
int DrawPrintHeading(QPainter& p, const QRect& page, const PrintHeading& heading, int pageNumber,
                     int pages);
