#include "dialogs/printheading.h"

#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"
#include "model/devicedocument.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>

namespace {
QFont HeadingFont(const QPainter& p, bool bold) {
    QFont f = p.font();
    f.setPointSize(9);
    f.setBold(bold);
    return f;
}
} // namespace

QStringList PrintHeading::Lines() const {
    return {title, device + U("; ") + source, printed};
}

QString PrintHeading::PageText(int page, int pages) {
    return U("стр. %1 из %2").arg(page).arg(pages);
}

PrintHeading MakePrintHeading(WindowContext& main, const QString& title, const QDateTime& now) {
    PrintHeading h;
    h.title = U("ЛУМ-08: ") + title;
    h.device =
        U("Прибор № %1, исполнение %2")
            .arg(main.DeviceNumberShown())
            .arg(main.ModificationText().isEmpty() ? U("не задано") : main.ModificationText());
    if (main.Document().IsFileMode()) {
        h.source = U("файл ") + QDir::toNativeSeparators(main.CurFile());
    } else {
        const ExchangeEngine& port = main.Engine();
        h.source = U("порт %1, %2 бит/с")
                       .arg(QString::fromStdString(port.PortName))
                       .arg(QString::fromStdString(port.Speed));
    }
    h.printed = U("Напечатано ") + now.toString("dd.MM.yyyy") + U(" в ") + now.toString("HH:mm");
    return h;
}

int PrintHeadingHeight(QPainter& p) {
    const QFontMetrics bold(HeadingFont(p, true), p.device());
    const QFontMetrics plain(HeadingFont(p, false), p.device());
    return bold.lineSpacing() + 2 * plain.lineSpacing() + plain.lineSpacing();
}

int DrawPrintHeading(QPainter& p, const QRect& page, const PrintHeading& heading, int pageNumber,
                     int pages) {
    p.save();
    const QFont boldFont = HeadingFont(p, true);
    const QFont plainFont = HeadingFont(p, false);
    const QFontMetrics bold(boldFont, p.device());
    const QFontMetrics plain(plainFont, p.device());
    const QString pageText = PrintHeading::PageText(pageNumber, pages);
    const int pageWidth = plain.horizontalAdvance(pageText);
    int y = page.top();
    p.setFont(boldFont);
    // A long title or file path is shortened in the middle rather than run off the page.
    p.drawText(QRect(page.left(), y, page.width() - pageWidth - bold.averageCharWidth() * 2,
                     bold.lineSpacing()),
               Qt::AlignLeft | Qt::AlignVCenter,
               bold.elidedText(heading.title, Qt::ElideMiddle,
                               page.width() - pageWidth - bold.averageCharWidth() * 2));
    p.setFont(plainFont);
    p.drawText(QRect(page.left(), y, page.width(), bold.lineSpacing()),
               Qt::AlignRight | Qt::AlignVCenter, pageText);
    y += bold.lineSpacing();
    const QStringList lines = heading.Lines();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        p.drawText(QRect(page.left(), y, page.width(), plain.lineSpacing()),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   plain.elidedText(lines[i], Qt::ElideMiddle, page.width()));
        y += plain.lineSpacing();
    }
    const int rule = y + plain.lineSpacing() / 4;
    QPen pen = p.pen();
    pen.setWidth(std::max(1, plain.lineSpacing() / 12));
    p.setPen(pen);
    p.drawLine(page.left(), rule, page.right(), rule);
    p.restore();
    return y + plain.lineSpacing() - page.top();
}
