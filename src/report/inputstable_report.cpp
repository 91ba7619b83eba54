// The inputs table's report: its lines, the .rtf file and printing.

#include "report/inputstable.h"

#include "dialogs/printheading.h"
#include "dialogs/uitext.h"
#include "platform/filestore.h"

#include "dialogs/windowcontext.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/operator.h"
#include "report/rtfwriter.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// The identifier and label columns are filled up to the width of a label.
QString FilledUp(const QString& cell) {
    constexpr int width = ModuleConfig::LabelLength;
    return cell.size() < width ? cell + QString(width - cell.size(), ' ') : cell;
}

// Word processors put their default tab stops every 1.25 cm; the printed page does the same.
constexpr double TabStopCm = 1.25;
// The report's size on paper and in the file: readable, and the columns still on the page.
constexpr int ReportPoints = 10;
// Smaller only when the widest line would not fit between the margins otherwise.
constexpr int SmallestPoints = 7;

// A device of the screen's usual 96 dots per inch, to measure the file's columns on.
QImage ScreenProbe() {
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(int(96 / 0.0254 + 0.5));
    probe.setDotsPerMeterY(int(96 / 0.0254 + 0.5));
    return probe;
}

// "аварийная, красный, звук": how the device signals the input.
QString SignallingText(const InputProgram& program, int input) {
    static const char* const types[] = {"нет", "предупредит.", "аварийная", "индикация"};
    const int type = program.GetAlarmType(input);
    QString text = U(types[std::clamp(type, 0, 3)]);
    switch (program.GetColor(input)) {
    case 4:
        text += U(", красный");
        break;
    case 2:
        text += U(", зеленый");
        break;
    case 6:
        text += U(", желтый");
        break;
    default:
        break;
    }
    if (program.GetSound(input))
        text += U(", звук");
    return text;
}

// The stops the columns start at: on the 1.25 cm grid, each the first one past the widest cell
// of the column before it in any line, so that a heading stands over its column in every line
// (the default stops would send a short heading to an earlier stop than its cells).
QList<QTextOption::Tab> ColumnStops(const QString& text, const QFont& font, double stop,
                                    QPaintDevice* device, double screenDpi) {
    // Measured as the page lays the text out, in the screen pixels the stops are given in.
    const QFontMetricsF metrics(font, device);
    const double scale = screenDpi / device->logicalDpiX();
    const double gap = metrics.horizontalAdvance(' ') * scale;
    std::vector<double> widest;
    for (const QString& line : text.split('\n')) {
        const QStringList cells = line.split('\t');
        for (qsizetype c = 0; c + 1 < cells.size(); ++c) {
            if (size_t(c) >= widest.size())
                widest.resize(size_t(c) + 1, 0);
            widest[size_t(c)] =
                std::max(widest[size_t(c)], metrics.horizontalAdvance(cells[c]) * scale);
        }
    }
    QList<QTextOption::Tab> stops;
    double at = 0;
    for (double width : widest) {
        at = std::ceil((at + width + gap) / stop) * stop;
        stops << QTextOption::Tab(at, QTextOption::LeftTab);
    }
    return stops;
}
} // namespace

QStringList InputsTableWindow::ReportLines() const {
    QStringList lines;
    if (main_.Document().IsFileMode())
        lines << U("Файл ") + main_.CurFile();
    else
        lines << U("ЛУМ-08  ") + main_.ModificationText() + U("  № ") +
                     QString::number(main_.DeviceNumberShown());
    const QString emptyLine(QChar('\n'));
    lines << emptyLine << QString(10, ' ') + inputsCaption->text() << emptyLine;
    QStringList headers;
    for (int c = 0; c < GridColumns; ++c)
        headers << inputsGrid->horizontalHeaderItem(c)->text();
    // The signalling of each input, from the program, after the table's own columns.
    headers << U("Сигнализация");
    lines << headers.join('\t') << emptyLine;
    for (int r = 1; r <= InputCount(); ++r)
        lines << Cell(0, r) + '\t' + FilledUp(Cell(1, r)) + '\t' + Cell(2, r) + '\t' +
                     FilledUp(Cell(ColText, r)) + '\t' + Cell(4, r) + '\t' +
                     SignallingText(main_.Program(), r - 1);
    return lines;
}

void InputsTableWindow::ReportClick() {
    reportText->clear();
    reportText->setPlainText(ReportLines().join('\n'));
    if (SaveReport().isEmpty())
        return;
    if (main_.Op().YesNo("Печатать?", "Необходимость печати файла .rtf"))
        PrintReport();
}

QString InputsTableWindow::SaveReport() {
    const FileDialogRequest request{true, U("Создание  или замена файла .rtf "), QString(),
                                    U("Файлы типа .rtf (*.rtf);;Все файлы (*)"), "rtf"};
    for (;;) {
        const QString chosen = main_.AskFileName(request);
        if (chosen.isEmpty())
            return QString();
        const QString name = WithRtfExtension(chosen);
        if (name.isEmpty())
            continue;
        if (WriteReportFile(name))
            return name;
        if (!main_.Op().YesNo("Файл не удается создать.\nПовторить?", "Сохранение файла печати"))
            return QString();
    }
}

QString InputsTableWindow::WithRtfExtension(const QString& name) {
    // The extension of the file name itself, not of a folder on its path.
    const QString fileName = QFileInfo(name).fileName();
    const int dot = fileName.lastIndexOf('.');
    if (dot < 0)
        return name + ".rtf";
    if (fileName.mid(dot) == ".rtf")
        return name;
    // The caption begins with a Latin C.
    main_.Op().Tell("Неверно задано имя файла", "Cохранение данных в файл", MsgIcon::Warning);
    return QString();
}

bool InputsTableWindow::WriteReportFile(const QString& name) const {
    const QString text = reportText->toPlainText();
    const QString family = reportText->font().family();
    const int points = FittingPoints(text, family, 210 - 2 * kPrintMarginMm);
    RtfWriter writer(family, points);
    writer.SetPage(kPrintMarginMm, MakePrintHeading(main_, inputsCaption->text()).Lines());
    writer.SetTabStops(RtfColumnStops(text, QFont(family, points)));
    writer.AddLine(text);
    const QByteArray rtf = writer.Rtf();
    // A file that cannot be written completely leaves the old one in place.
    return ReplaceFileAtomically(name, std::vector<uint8_t>(rtf.begin(), rtf.end()));
}

QList<int> InputsTableWindow::RtfColumnStops(const QString& text, const QFont& font) {
    // The same columns as on the printed page, in twentieths of a point.
    QImage probe = ScreenProbe();
    QList<int> twips;
    for (const QTextOption::Tab& tab : ColumnStops(
             text, font, probe.logicalDpiX() * TabStopCm / 2.54, &probe, probe.logicalDpiX()))
        twips << int(std::lround(tab.position * 1440 / probe.logicalDpiX()));
    return twips;
}

int InputsTableWindow::FittingPoints(const QString& text, const QString& family, double widthMm) {
    QImage probe = ScreenProbe();
    const double dpi = probe.logicalDpiX();
    for (int points = ReportPoints; points > SmallestPoints; --points) {
        const QFont font(family, points);
        const QFontMetricsF metrics(font, &probe);
        const QList<QTextOption::Tab> stops =
            ColumnStops(text, font, dpi * TabStopCm / 2.54, &probe, dpi);
        double widest = 0;
        // The table's lines; a heading line may wrap.
        for (const QString& line : text.split('\n')) {
            if (!line.contains('\t'))
                continue;
            const QStringList cells = line.split('\t');
            const double at = cells.size() > 1 ? stops.value(cells.size() - 2).position : 0;
            widest = std::max(widest, at + metrics.horizontalAdvance(cells.back()));
        }
        if (widest <= widthMm / 25.4 * dpi)
            return points;
    }
    return SmallestPoints;
}

void InputsTableWindow::PrintReport() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(U("Дискретные сигналы"));
    QPrintDialog dialog(&printer, this);
    if (main_.showModal(dialog) != QDialog::Accepted)
        return;
    PrintReportOn(printer);
}

void InputsTableWindow::PrintReportOn(QPrinter& printer) const {
    printer.setPageMargins(
        QMarginsF(kPrintMarginMm, kPrintMarginMm, kPrintMarginMm, kPrintMarginMm),
        QPageLayout::Millimeter);
    QPainter p;
    if (!p.begin(&printer))
        return; // the printing layer tells its own errors
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRect paper(0, 0, page.width(), page.height());
    const int headingHeight = PrintHeadingHeight(p);
    // The widest line within the margins: a smaller size when it would not fit.
    const QString text = reportText->toPlainText();
    QFont font(reportText->font().family(),
               FittingPoints(text, reportText->font().family(),
                             printer.pageLayout().paintRect(QPageLayout::Millimeter).width()));
    QTextDocument document;
    const QSizeF body(paper.width(), paper.height() - headingHeight);
    for (;;) {
        LayOutForPrinting(document, text, font, printer);
        document.setPageSize(body);
        if (document.idealWidth() <= body.width() || font.pointSize() <= SmallestPoints)
            break;
        font.setPointSize(font.pointSize() - 1);
    }
    // Each page: the heading, then its share of the text below it.
    const int pages = document.pageCount();
    const PrintHeading heading = MakePrintHeading(main_, inputsCaption->text());
    for (int n = 0; n < pages; ++n) {
        if (n > 0)
            printer.newPage();
        DrawPrintHeading(p, paper, heading, n + 1, pages);
        p.save();
        p.translate(0, headingHeight - n * body.height());
        document.drawContents(&p, QRectF(QPointF(0, n * body.height()), body));
        p.restore();
    }
}

void InputsTableWindow::LayOutForPrinting(QTextDocument& document, const QString& text,
                                          const QFont& font, QPrinter& printer) {
    // Laid out on the printer itself: the page size and margins are in its own pixels.
    document.documentLayout()->setPaintDevice(&printer);
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    // Text layout takes tab stops in screen pixels and scales them to the device itself.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double screenDpi = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
    const double stop = screenDpi * TabStopCm / 2.54;
    option.setTabStopDistance(stop);
    option.setWrapMode(QTextOption::NoWrap);
    document.setDefaultTextOption(option);
    QTextFrameFormat frame = document.rootFrame()->frameFormat();
    frame.setMargin(0);
    document.rootFrame()->setFrameFormat(frame);
    document.setPlainText(text);
    // The columns' own stops; the document takes them from its blocks, not from its option.
    QTextBlockFormat columns;
    columns.setTabPositions(ColumnStops(text, font, stop, &printer, screenDpi));
    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    all.mergeBlockFormat(columns);
    document.setPageSize(printer.pageLayout().paintRectPixels(printer.resolution()).size());
}
