// Printing the scheme to a PDF file through the print dialog, then reading the page back with
// the Poppler tools: the headings, the module-level setting, the delay numbers over their
// panels and the pictures placed on the page.

#include "helper_scheme.h"

#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "scheme/delaycell.h"
#include "scheme/glyphbutton.h"

#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace schemetest;

namespace {
// Printer pixels of a 1200 dpi PDF page in the points Poppler reports.
constexpr double kPointsPerPixel = 72.0 / 1200.0;
constexpr int kScale = 1200 / 96;

struct Word {
    QString text;
    QRectF box; // points
};

QString Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

std::vector<Word> Words(const QString& pdf) {
    std::vector<Word> words;
    static const QRegularExpression re(
        R"re(<word xMin="(-?[\d.]+)" yMin="(-?[\d.]+)" xMax="(-?[\d.]+)" yMax="(-?[\d.]+)">([^<]*)</word>)re");
    const QString html = Run("pdftotext", {"-bbox", pdf, "-"});
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(5).replace("&quot;", "\""),
                         QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

// The page's text with its words in reading order, single blanks between them.
QString PageText(const std::vector<Word>& words) {
    QStringList list;
    for (const Word& w : words)
        list << w.text;
    return list.join(' ');
}

QString Simplified(const QString& s) {
    return s.simplified();
}

// The images placed on the page (alpha masks not counted).
int Images(const QString& pdf) {
    int n = 0;
    for (const QString& line : Run("pdfimages", {"-list", pdf}).split('\n'))
        if (line.simplified().split(' ').value(2) == "image")
            ++n;
    return n;
}

// A point of the scheme's page positions (printer pixels from the corner under the heading) on
// the paper, in points: where the last print placed the scheme and how much it shrank it.
QPointF OnPaper(const SchemeEditor& e, double x, double y) {
    const SchemeEditor::PrintPlace& place = e.lastPrint;
    return {(place.origin.x() + place.scale * x) * kPointsPerPixel,
            (place.origin.y() + place.scale * y) * kPointsPerPixel};
}

// The page rectangle, in points, that a control of the scheme area is printed into.
QRectF Printed(SchemeEditor& e, QWidget* w) {
    const QPoint at = w->mapTo(e.schemeScroll, QPoint(0, 0));
    return QRectF(
        OnPaper(e, kScale * at.x(), 800 + kScale * at.y()),
        OnPaper(e, kScale * (at.x() + w->width()), 800 + kScale * (at.y() + w->height())));
}

// Every word inside margins of 20 mm on an A4 or Letter page.
void InsideMargins(const std::vector<Word>& words) {
    const double margin = 20 / 25.4 * 72;
    for (const Word& w : words)
        QVERIFY2(w.box.left() >= margin - 1 && w.box.top() >= margin - 1 &&
                     w.box.right() <= 595 - margin + 1 && w.box.bottom() <= 792 - margin + 1,
                 qPrintable(w.text));
}

bool WordInside(const std::vector<Word>& words, const QString& text, const QRectF& area) {
    for (const Word& w : words)
        if (w.text == text && area.contains(w.box.center()))
            return true;
    return false;
}

// Prints through the print dialog, choosing a PDF file instead of a printer.
void PrintToFile(GuiHarness& h, SchemeEditor& e, const QString& path) {
    h.OnModal([path](QDialog& d) {
        auto* dialog = qobject_cast<QPrintDialog*>(&d);
        QVERIFY(dialog);
        QVERIFY(dialog->testOption(QAbstractPrintDialog::PrintToFile));
        QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintSelection));
        QVERIFY(!dialog->testOption(QAbstractPrintDialog::PrintPageRange));
        QCOMPARE(dialog->minPage(), 1);
        QCOMPARE(dialog->maxPage(), 2);
        // the page is printed whole: no range to choose
        QWidget* range = dialog->findChild<QWidget*>("gbPrintRange");
        QVERIFY(range && range->isHidden());
        QCOMPARE(dialog->printer()->pageLayout().orientation(), QPageLayout::Portrait);
        dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog->printer()->setOutputFileName(path);
        dialog->done(QDialog::Accepted);
    });
    QTest::mouseClick(e.closeButton, Qt::LeftButton);
}
} // namespace

class TestPrint : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
private slots:
    void cleanupTestCase() {
        // LUM_PDF_DIR keeps the printed pages to look at.
        const QString keep = qEnvironmentVariable("LUM_PDF_DIR");
        if (!keep.isEmpty())
            for (const QString& f : QDir(dir_.path()).entryList({"*.pdf"}))
                QFile::copy(dir_.filePath(f), QDir(keep).filePath(f));
    }

    void initTestCase() {
        for (const char* tool : {"pdftotext", "pdfimages"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QFAIL("the Poppler tools are missing: install poppler-utils (scripts/setup.sh)");
    }

    // A valve module from a device: headings, no file line, the relay action, the delay.
    void valveModuleFromTheDevice() {
        GuiHarness h;
        ReadDevice(h);
        const QString pdf = dir_.filePath("msu.pdf");
        QString caption;
        QRectF delayPanel;
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            caption = e.windowTitle();
            PrintToFile(h, e, pdf);
            delayPanel = Printed(e, e.delayCells[3]);
            QCOMPARE(e.schemeScroll->hasFocus() || !e.isActiveWindow(), true);
        });
        const auto words = Words(pdf);
        const QString text = PageText(words);
        // The page's heading: the module, the page, the device, the port and when.
        QVERIFY2(text.startsWith(U("ЛУМ-08: схема обработки входов, Модуль МСЮ 2, входы DI_2_1 - "
                                   "DI_2_6 Прибор № 1, исполнение ") +
                                 h.Main().ModificationText() + U("; порт FAKE, 9600 бит/с")),
                 qPrintable(text));
        QVERIFY(text.contains(U("стр. 1 из 1")));
        QVERIFY(text.contains(U("Напечатано ") + QDate::currentDate().toString("dd.MM.yyyy")));
        InsideMargins(words);
        QVERIFY(text.contains(Simplified(h.Main().MainCaption())));
        QVERIFY(text.contains(Simplified(caption)));
        QVERIFY(caption.endsWith(U("устройство 1")));
        QVERIFY(!text.contains(U("Режим работы с файлом")));
        QVERIFY(text.contains(U("кнопка \"ОТКРЫТЬ\"- выкл. реле, кнопка ЗАКРЫТЬ - вкл. реле")));
        QVERIFY(!text.contains(U("вкл. реле,   кнопка")));
        QVERIFY(WordInside(words, "15", delayPanel));
        // the picture, six input panels, two signalling, one delay, one relay panel
        QCOMPARE(Images(pdf), 1 + 6 + 2 + 1 + 1);
    }

    // The pump blocking group goes on the page only with its switch down, with the sensor.
    void pumpBlockingInFileMode_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("images");
        QTest::newRow("blocking on sensor 3") << 1 << 1 + 6 + 3 + 3 + 2 + 1;
        QTest::newRow("no blocking") << 3 << 1 + 6;
    }
    void pumpBlockingInFileMode() {
        QFETCH(int, m);
        QFETCH(int, images);
        GuiHarness h;
        ReadDevice(h);
        h.SetFileMode();
        h.Main().fileLabel->setText(U("Режим работы с файлом plant.lum"));
        const QString pdf = dir_.filePath(QString("mlv%1.pdf").arg(m));
        QRectF sensor;
        std::vector<QRectF> delays;
        OpenEditor(h, m, [&](SchemeEditor& e) {
            PrintToFile(h, e, pdf);
            const QPoint at = e.pumpGroup->mapTo(e.schemeScroll, QPoint(0, 0));
            sensor = QRectF(
                OnPaper(e, kScale * (at.x() + 244) - 50, 800 + kScale * (at.y() + 34) - 50),
                OnPaper(e, kScale * (at.x() + 244) + 250, 800 + kScale * (at.y() + 34) + 250));
            for (size_t k = 0; k < 6; ++k)
                if (e.delayCells[k])
                    delays.push_back(Printed(e, e.delayCells[k]));
        });
        const auto words = Words(pdf);
        const QString text = PageText(words);
        QVERIFY2(text.contains(U("Режим работы с файлом plant.lum")), qPrintable(text));
        InsideMargins(words);
        QCOMPARE(Images(pdf), images);
        QCOMPARE(WordInside(words, "3", sensor), m == 1);
        const QStringList delayTexts = {"5", "15", "15"};
        QCOMPARE(delays.size(), size_t(m == 1 ? 3 : 0));
        for (size_t i = 0; i < delays.size(); ++i)
            QVERIFY(WordInside(words, delayTexts[qsizetype(i)], delays[i]));
    }

    // A file's long path on the third heading is shortened in its middle and stays on the
    // page: its beginning and the file's name are printed, every word within the paper.
    void longFileHeadingIsShortenedInTheMiddle() {
        GuiHarness h;
        ReadDevice(h);
        h.SetFileMode();
        const QString path = "/" + U("каталог/").repeated(30) + "plant.lum";
        h.Main().fileLabel->setText(U("Режим работы с файлом ") + path);
        const QString pdf = dir_.filePath("long.pdf");
        OpenEditor(h, 3, [&](SchemeEditor& e) { PrintToFile(h, e, pdf); });
        const auto words = Words(pdf);
        const QString text = PageText(words);
        QVERIFY2(text.contains(U("Режим работы с файлом /каталог/каталог/")), qPrintable(text));
        QVERIFY(text.contains(QChar(0x2026)));
        QVERIFY(text.contains(U("каталог/plant.lum")));
        QVERIFY(!text.contains(path));
        InsideMargins(words); // A4 and Letter alike
    }

    void cancelledDialogPrintsNothing() {
        GuiHarness h;
        ReadDevice(h);
        const QString pdf = dir_.filePath("cancelled.pdf");
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            h.OnModal([pdf](QDialog& d) {
                qobject_cast<QPrintDialog*>(&d)->printer()->setOutputFileName(pdf);
                d.done(QDialog::Rejected);
            });
            QTest::mouseClick(e.closeButton, Qt::LeftButton);
        });
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(h.Op().Shown().empty());
    }

    // Without rows there is nothing to print and no dialog; an unbuilt scheme says so.
    void nothingBuilt() {
        GuiHarness h;
        ReadDevice(h);
        SchemeEditor e(h.Main(), &h.Main());
        const int dialogs = int(h.ModalTitles().size());
        e.CloseClick();
        QCOMPARE(int(h.ModalTitles().size()), dialogs);
        QVERIFY(h.Op().Shown().empty());
        e.CellCount = 6;
        e.SchemeBuilt = 0;
        e.CloseClick();
        QCOMPARE(h.Op().LastText(), std::string("Схема не создана"));
        QCOMPARE(int(h.ModalTitles().size()), dialogs);
        e.CellCount = 0;
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
