// The report of the inputs table: its lines in file and device mode, the save dialog with its
// extension rules and retry question, the .rtf file's bytes, and printing on request.

#include "helper_inputstablesetup.h"
#include "model/inputprogram.h"
#include "report/inputstable.h"
#include "report/rtfwriter.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextLayout>
#include <functional>

#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>
#include <functional>

namespace {

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "Дискр.сигн.001" in the file: Д C4, и E8, с F1, к EA, р F0, г E3, н ED.
const char kLabel1Rtf[] = "\\'c4\\'e8\\'f1\\'ea\\'f0.\\'f1\\'e8\\'e3\\'ed.001";
// "аварийная, красный, звук": the signalling of a created file's inputs.
const char kCreatedRtf[] = "\\'e0\\'e2\\'e0\\'f0\\'e8\\'e9\\'ed\\'e0\\'ff, "
                           "\\'ea\\'f0\\'e0\\'f1\\'ed\\'fb\\'e9, \\'e7\\'e2\\'f3\\'ea";

} // namespace

class TestReport : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString oldDir_;

    // Runs "Создание и печать файла .rtf" in the table opened from the main window; after
    // looks at the table before it closes.
    static void RunReport(GuiHarness& h,
                          const std::function<void(InputsTableWindow&)>& after = {}) {
        h.OnModal([&](QDialog& d) {
            auto& table = static_cast<InputsTableWindow&>(d);
            table.ReportClick();
            if (after)
                after(table);
        });
        h.Main().InputsTableClick();
    }

private slots:
    void initTestCase() {
        oldDir_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path())); // relative report names land here
    }
    void cleanupTestCase() { QDir::setCurrent(oldDir_); }

    void fileModeLines() {
        GuiHarness h;
        const QString conf = OpenCreatedFile(h, dir_.path(), 2);
        h.Main().Modules().PutLabel(std::string(14, 'L'), 2); // exactly 14: no fill
        QStringList lines;
        h.OnModal([&](QDialog& d) { lines = static_cast<InputsTableWindow&>(d).ReportLines(); });
        h.Main().InputsTableClick();
        QCOMPARE(lines.size(), 6 + 12);
        QCOMPARE(lines[0], U8("Файл ") + conf);
        QVERIFY(!lines[0].contains(U8("№")));
        QCOMPARE(lines[1], QString("\n"));
        QCOMPARE(lines[2], U8("          Дискретные сигналы"));
        QCOMPARE(lines[3], QString("\n"));
        QCOMPARE(lines[4],
                 U8("  № \tИдентификатор \t   Адрес\tТекст.реквизит\tвых на МР\tСигнализация"));
        QCOMPARE(lines[5], QString("\n"));
        // A created file's inputs have the default signalling.
        QCOMPARE(lines[6],
                 U8("1\tDI_1_1        \t 0x00\tДискр.сигн.001\t\tаварийная, красный, звук"));
        QCOMPARE(lines[8],
                 U8("3\tDI_1_3        \t 0x02\tLLLLLLLLLLLLLL\t\tаварийная, красный, звук"));
        QCOMPARE(lines[17],
                 U8("12\tDI_2_6        \t 0x0B\tДискр.сигн.012\t\tаварийная, красный, звук"));
    }

    void deviceModeLines_data() {
        QTest::addColumn<int>("address");
        QTest::newRow("device 3") << 3;
        QTest::newRow("device 31") << 31;
    }
    void deviceModeLines() {
        QFETCH(int, address);
        GuiHarness h;
        ReadDeviceWith(h, 1, address);
        // Identifier cells of 14 and 16 characters: no fill after either.
        h.Main().Modules().InputId[0][6] = "ABCDE";
        h.Main().Modules().InputId[1][6] = "ABCDEFG";
        // Each input's signalling, as the report words it.
        InputProgram& program = h.Main().Program();
        const int signalling[6][3] = {{2, 4, 1}, {3, 2, 0}, {1, 6, 1},
                                      {0, 0, 0}, {1, 1, 0}, {2, 4, 0}};
        for (int i = 0; i < 6; ++i) {
            program.PutAlarmType(i, signalling[i][0]);
            program.PutColor(i, signalling[i][1]);
            program.PutSound(i, signalling[i][2]);
        }
        QStringList lines;
        h.OnModal([&](QDialog& d) { lines = static_cast<InputsTableWindow&>(d).ReportLines(); });
        h.Main().InputsTableClick();
        QCOMPARE(lines.size(), 6 + 6);
        // The emulated device's modules: an "МСЮ" in slot 0, nothing else.
        QCOMPARE(lines[0], U8("ЛУМ-08  2000000000000000  № %1").arg(address));
        QCOMPARE(lines[6],
                 U8("1\tDI_1_1ABCDE   \t 0x00\t              \t\tаварийная, красный, звук"));
        QCOMPARE(lines[7], U8("2\tDI_1_2ABCDEFG   \t 0x01\t              \t\tиндикация, зеленый"));
        QCOMPARE(lines[8],
                 U8("3\tDI_1_3        \t 0x02\t              \t\tпредупредит., желтый, звук"));
        QCOMPARE(lines[9], U8("4\tDI_1_4        \t 0x03\t              \t\tнет"));
        // An unknown colour is not named.
        QCOMPARE(lines[10], U8("5\tDI_1_5        \t 0x04\t              \t\tпредупредит."));
        QCOMPARE(lines[11], U8("6\tDI_1_6        \t 0x05\t              \t\tаварийная, красный"));
    }

    void saveDialogAndExtensions_data() {
        QTest::addColumn<QStringList>("answers"); // file dialog answers in order
        QTest::addColumn<QString>("written");     // the file expected, empty for none
        QTest::addColumn<int>("refusals");
        QTest::newRow("no extension") << QStringList{"report"} << "report.rtf" << 0;
        QTest::newRow(".rtf") << QStringList{"r1.rtf"} << "r1.rtf" << 0;
        QTest::newRow("folder with a dot")
            << QStringList{"sub.d/report"} << "sub.d/report.rtf" << 0;
        QTest::newRow(".RTF then cancel") << QStringList{"r2.RTF", ""} << "" << 1;
        QTest::newRow(".txt then good") << QStringList{"r3.txt", "r3"} << "r3.rtf" << 1;
        QTest::newRow("trailing dot then cancel") << QStringList{"r4.", ""} << "" << 1;
        QTest::newRow("cancel") << QStringList{""} << "" << 0;
    }
    void saveDialogAndExtensions() {
        QFETCH(QStringList, answers);
        QFETCH(QString, written);
        QFETCH(int, refusals);
        QVERIFY(QDir(dir_.path()).mkpath("sub.d"));
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 1);
        const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
        for (const QString& a : answers)
            h.OnFileDialog(a);
        h.Op().Answer(MsgButton::No); // "Печатать?"
        RunReport(h);

        const auto& requests = h.FileRequests();
        QCOMPARE(int(requests.size()), 1 + answers.size()); // the open command's, then ours
        for (size_t k = 1; k < requests.size(); ++k) {
            QVERIFY(requests[k].save);
            QCOMPARE(requests[k].title, U8("Создание  или замена файла .rtf "));
            QCOMPARE(requests[k].filter, U8("Файлы типа .rtf (*.rtf);;Все файлы (*)"));
            QCOMPARE(requests[k].defaultSuffix, QString("rtf"));
            QVERIFY(requests[k].fileName.isEmpty());
        }
        int warnings = 0;
        for (const OperatorMessage& m : h.Op().Shown())
            if (m.text == "Неверно задано имя файла") {
                ++warnings;
                QCOMPARE(m.caption, std::string("C") + "охранение данных в файл"); // Latin C
                QCOMPARE(m.icon, MsgIcon::Warning);
            }
        QCOMPARE(warnings, refusals);
        QCOMPARE(h.Op().Saw("Печатать?"), !written.isEmpty());
        if (!written.isEmpty()) {
            QVERIFY(ReadFile(written).startsWith("{\\rtf1\\ansi\\ansicpg1251"));
            QVERIFY(QFile::remove(written));
        }
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), before);
    }

    void reportFileBytes() {
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 1);
        h.OnFileDialog("bytes");
        h.Op().Answer(MsgButton::No);
        bool boxHidden = false;
        RunReport(h, [&](InputsTableWindow& t) { boxHidden = t.reportText->isHidden(); });
        const QByteArray rtf = ReadFile("bytes.rtf");
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0"
                               "\\fswiss\\fcharset204 MS Sans Serif;}}\r\n"
                               "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt"));
        // Every page's heading: what, the page of all, the file, when; then the text in 10 points
        // (down to 7 when the table would not fit the page) with the columns' own tab stops.
        const QByteArray header = RtfWriter::EscapeText(U8("ЛУМ-08: Дискретные сигналы")) +
                                  "\\tab " + RtfWriter::EscapeText(U8("стр. ")) +
                                  "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} " +
                                  RtfWriter::EscapeText(U8("из ")) +
                                  "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}\\par\r\n" +
                                  RtfWriter::EscapeText(U8("Прибор № 1, исполнение "));
        QVERIFY(rtf.contains(header));
        QVERIFY(rtf.contains(RtfWriter::EscapeText(U8("; файл "))));
        QVERIFY(rtf.contains(RtfWriter::EscapeText(U8("Напечатано ") +
                                                   QDate::currentDate().toString("dd.MM.yyyy"))));
        static const QRegularExpression body(
            R"(\\viewkind4\\uc1\\pard(\\tx\d+){5}\\f0\\fs(1[4-9]|20) \\'d4\\'e0\\'e9\\'eb )");
        QVERIFY(body.match(QString::fromLatin1(rtf)).hasMatch());
        // Each of the three empty lines is a line feed of its own and so two paragraphs.
        const QByteArray tail = QByteArray("\\par\r\n\\par\r\n\\par\r\n          "
                                           "\\'c4\\'e8\\'f1\\'ea\\'f0\\'e5\\'f2\\'ed\\'fb\\'e5 "
                                           "\\'f1\\'e8\\'e3\\'ed\\'e0\\'eb\\'fb\\par\r\n") +
                                "\\par\r\n\\par\r\n  \\'b9 \\tab ";
        QVERIFY(rtf.contains(tail));
        QVERIFY(rtf.contains(QByteArray("\\par\r\n1\\tab DI_1_1        \\tab  0x00\\tab ") +
                             kLabel1Rtf + "\\tab \\tab " + kCreatedRtf + "\\par\r\n"));
        QVERIFY(rtf.endsWith(
            QByteArray("6\\tab DI_1_6        \\tab  0x05\\tab \\'c4\\'e8\\'f1\\'ea\\'f0."
                       "\\'f1\\'e8\\'e3\\'ed.006\\tab \\tab ") +
            kCreatedRtf + "\\par\r\n}\r\n"));
        // The heading's three lines (its rule closes the heading), then the report's.
        QCOMPARE(rtf.count("\\par\r\n"), 3 + 9 + 6);
        QVERIFY(boxHidden);
    }

    void sixModulesWithEscapedLabel() {
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 6);
        const std::string label = "{a}\\b \xb9" // {a}\b № in Windows-1251
                                  "5";
        h.Main().Modules().PutLabel(label, 1);
        h.OnFileDialog("six");
        h.Op().Answer(MsgButton::No);
        RunReport(h);
        const QByteArray rtf = ReadFile("six.rtf");
        QVERIFY(rtf.contains(QByteArray("\r\n2\\tab DI_1_2        \\tab  0x01\\tab \\{a\\}\\\\b "
                                        "\\'b95      \\tab \\tab ") +
                             kCreatedRtf + "\\par\r\n"));
        QVERIFY(rtf.endsWith(
            QByteArray("36\\tab DI_6_6        \\tab  0x23\\tab \\'c4\\'e8\\'f1\\'ea\\'f0."
                       "\\'f1\\'e8\\'e3\\'ed.036\\tab \\tab ") +
            kCreatedRtf + "\\par\r\n}\r\n"));
        QCOMPARE(rtf.count("\\par\r\n"), 3 + 9 + 36);
        // scripts/check-rtf.sh hands this report to a word processor.
        const QString keep = qEnvironmentVariable("LUM_KEEP_REPORT");
        if (!keep.isEmpty()) {
            QFile::remove(keep);
            QVERIFY(QFile::copy("six.rtf", keep));
        }
    }

    void cannotCreateAsksToRetry_data() {
        QTest::addColumn<bool>("retry");
        QTest::newRow("retry, then a good name") << true;
        QTest::newRow("give up") << false;
    }
    void cannotCreateAsksToRetry() {
        QFETCH(bool, retry);
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 1);
        h.OnFileDialog("no-such-folder/report.rtf");
        h.OnFileDialog("retried.rtf");
        h.Op().Answer(retry ? MsgButton::Yes : MsgButton::No);
        h.Op().Answer(MsgButton::No); // "Печатать?"
        RunReport(h);
        const OperatorMessage& question = h.Op().Shown().at(0);
        QCOMPARE(question.text, std::string("Файл не удается создать.\nПовторить?"));
        QCOMPARE(question.caption, std::string("Сохранение файла печати"));
        QCOMPARE(question.icon, MsgIcon::Question);
        QCOMPARE(question.buttons, (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No}));
        QCOMPARE(QFile::exists("retried.rtf"), retry);
        QCOMPARE(h.Op().Saw("Печатать?"), retry);
        QFile::remove("retried.rtf");
    }

    void printingOnlyOnYes_data() {
        QTest::addColumn<MsgButton>("answer");
        QTest::addColumn<bool>("dialogAccepted");
        QTest::addColumn<bool>("printed");
        QTest::newRow("yes") << MsgButton::Yes << true << true;
        QTest::newRow("yes, print dialog cancelled") << MsgButton::Yes << false << false;
        QTest::newRow("no") << MsgButton::No << true << false;
    }
    void printingOnlyOnYes() {
        QFETCH(MsgButton, answer);
        QFETCH(bool, dialogAccepted);
        QFETCH(bool, printed);
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 1);
        const QString pdf = dir_.filePath("printed.pdf");
        QFile::remove(pdf);
        h.OnFileDialog("printing");
        h.Op().Answer(answer);
        bool printDialogShown = false;
        h.OnModal([&](QDialog& d) { static_cast<InputsTableWindow&>(d).ReportClick(); });
        h.OnModal([&](QDialog& d) {
            auto* dialog = qobject_cast<QPrintDialog*>(&d);
            QVERIFY(dialog);
            printDialogShown = true;
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(pdf);
            dialog->done(dialogAccepted ? QDialog::Accepted : QDialog::Rejected);
        });
        h.Main().InputsTableClick();
        const OperatorMessage& question = h.Op().Shown().at(0);
        QCOMPARE(question.text, std::string("Печатать?"));
        QCOMPARE(question.caption, std::string("Необходимость печати файла .rtf"));
        QCOMPARE(question.icon, MsgIcon::Question);
        QCOMPARE(printDialogShown, answer == MsgButton::Yes);
        QCOMPARE(QFile::exists(pdf), printed);
        if (printed) {
            const QByteArray bytes = ReadFile(pdf);
            QVERIFY(bytes.startsWith("%PDF"));
            QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 1);
            // The page's heading and the list with its signalling column, read back as text.
            QProcess text;
            text.start("pdftotext", {"-layout", pdf, "-"});
            QVERIFY2(text.waitForFinished(30000) && text.exitCode() == 0,
                     "pdftotext failed: install poppler-utils (scripts/setup.sh)");
            const QString page = QString::fromUtf8(text.readAllStandardOutput());
            for (const QString& expected :
                 {U8("ЛУМ-08: Дискретные сигналы"), U8("стр. 1 из 1"), U8("Прибор № 1, исполнение"),
                  U8("файл "), U8("Напечатано ") + QDate::currentDate().toString("dd.MM.yyyy"),
                  U8("Сигнализация"), U8("Дискр.сигн.006")})
                QVERIFY2(page.contains(expected), qPrintable(expected + "\n" + page));
            // LUM_PDF_DIR keeps the printed page to look at.
            if (const QString keep = qEnvironmentVariable("LUM_PDF_DIR"); !keep.isEmpty())
                QFile::copy(pdf, QDir(keep).filePath("inputs.pdf"));
        }
        QVERIFY(QFile::exists("printing.rtf")); // written before the question either way
    }

    void printedTabStopsEveryOneAndAQuarterCentimetre_data() {
        QTest::addColumn<int>("resolution");
        QTest::newRow("high resolution") << 1200;
        QTest::newRow("screen resolution") << 96;
    }
    void printedTabStopsEveryOneAndAQuarterCentimetre() {
        QFETCH(int, resolution);
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(resolution);
        QTextDocument document;
        InputsTableWindow::LayOutForPrinting(document, "1\tDI_1_1        \t 0x00\nnext",
                                             QFont("MS Sans Serif", 8), printer);
        const QTextLayout* layout = document.firstBlock().layout();
        QCOMPARE(layout->lineCount(), 1);
        const double pixelsPerCm = printer.logicalDpiX() / 2.54;
        const QTextLine line = layout->lineAt(0);
        // After "1" and its tab the identifier starts at the first stop, 1.25 cm; the padded
        // identifier needs more than one stop, so the address starts at 3.75 cm.
        const double identifier = line.cursorToX(2) / pixelsPerCm;
        const double address = line.cursorToX(17) / pixelsPerCm;
        QVERIFY2(qAbs(identifier - 1.25) < 0.02, qPrintable(QString::number(identifier)));
        QVERIFY2(qAbs(address - 3.75) < 0.02, qPrintable(QString::number(address)));
        QCOMPARE(document.blockCount(), 2);
    }

    // A heading shorter or longer than its column's cells still stands over them: every line's
    // column starts at the same stop of the 1.25 cm grid.
    void printedHeadingsStandOverTheirColumns() {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(1200);
        QTextDocument document;
        const QStringList lines = {U8("№\tИдентификатор\tАдрес\tТекст.реквизит\tМодуль"),
                                   U8("1\tDI_1_1        \t0x00\tКЛАПАН ОТКРЫТ \t1"),
                                   U8("36\tDI_6_6        \t0x0F\tРЕЗЕРВ        \t6")};
        InputsTableWindow::LayOutForPrinting(document, lines.join('\n'), QFont("MS Sans Serif", 8),
                                             printer);
        // Where each column starts, line by line, and where its text ends.
        std::vector<std::vector<qreal>> starts, ends;
        for (int b = 0; b < 3; ++b) {
            const QTextLine line = document.findBlockByNumber(b).layout()->lineAt(0);
            starts.emplace_back();
            ends.emplace_back();
            int at = 0;
            for (const QString& cell : lines[b].split('\t')) {
                starts.back().push_back(line.cursorToX(at));
                ends.back().push_back(line.cursorToX(at + int(cell.size())));
                at += int(cell.size()) + 1;
            }
        }
        const double stop = printer.logicalDpiX() * 1.25 / 2.54;
        for (size_t c = 1; c < 5; ++c) {
            for (int b = 1; b < 3; ++b)
                QVERIFY2(qAbs(starts[size_t(b)][c] - starts[0][c]) < 1,
                         qPrintable(QString::number(c)));
            QVERIFY(qAbs(std::remainder(starts[0][c], stop)) < 1); // on the grid
            for (int b = 0; b < 3; ++b)
                QVERIFY(ends[size_t(b)][c - 1] < starts[0][c]); // nothing runs into the next
        }
    }

    void refillingClearsTheReportBox() {
        GuiHarness h;
        OpenCreatedFile(h, dir_.path(), 1);
        h.OnFileDialog("");
        // Cancelled: nothing written, the box holds the report.
        RunReport(h, [](InputsTableWindow& t) {
            QVERIFY(t.reportText->toPlainText().startsWith(U8("Файл ")));
            QCOMPARE(t.reportText->font().family(), QString("MS Sans Serif"));
            QCOMPARE(t.reportText->font().pointSize(), 8);
        });
        h.OnModal([&](QDialog& d) {
            QVERIFY(static_cast<InputsTableWindow&>(d).reportText->toPlainText().isEmpty());
        });
        h.Main().InputsTableClick();
        QVERIFY(!h.Op().Saw("Печатать?"));
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
