// Printing the module's scheme on one portrait page: two or three heading lines, the picture
// of the scheme area, its panels drawn again, the delay values and the module-level setting.

#include "scheme/schemeeditor.h"

#include "dialogs/printheading.h"
#include "dialogs/uitext.h"
#include "dialogs/windowcontext.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/operator.h"
#include "scheme/alarmcell.h"
#include "scheme/delaycell.h"
#include "scheme/glyphbutton.h"
#include "scheme/inputcell.h"
#include "scheme/relaycell.h"
#include "scheme/schemeshape.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {
// The page's top edge of the scheme picture, in printer pixels.
constexpr int kPictureTop = 800;

void Write(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QRect(x, y, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, text);
}

void SetFontSize(QPainter& p, const QFont& base, int points, bool bold) {
    QFont f = base;
    f.setPointSize(points);
    f.setBold(bold);
    p.setFont(f);
}

// The page writes the delays, the sensor number and the relay action as text of its own: while
// the pictures are taken, the controls that show them on the screen are blanked, so that no
// number is printed twice a few pixels apart.
class PrintBlanks {
public:
    void Blank(QLabel* text) {
        labels_.push_back({text, text->text()});
        text->clear();
    }
    void Blank(QLineEdit* edit) {
        edits_.push_back({edit, edit->text()});
        edit->clear();
    }
    void Hide(QWidget* w) {
        if (!w->isHidden()) {
            hidden_.push_back(w);
            w->hide();
        }
    }
    ~PrintBlanks() {
        for (auto& [label, text] : labels_)
            label->setText(text);
        for (auto& [edit, text] : edits_)
            edit->setText(text);
        for (QWidget* w : hidden_)
            w->show();
    }

private:
    std::vector<std::pair<QLabel*, QString>> labels_;
    std::vector<std::pair<QLineEdit*, QString>> edits_;
    std::vector<QWidget*> hidden_;
};
// The scheme is one page, printed whole: the dialog offers no page range. The toolkit shows its
// range group again whenever the dialog is shown, so it is hidden after that.
class WholePagePrintDialog : public QPrintDialog {
public:
    using QPrintDialog::QPrintDialog;

protected:
    void showEvent(QShowEvent* event) override {
        QPrintDialog::showEvent(event);
        if (QWidget* range = findChild<QWidget*>("gbPrintRange"))
            range->hide();
    }
};
} // namespace

void SchemeEditor::CloseClick() {
    if (CellCount == 0) {
        schemeScroll->setFocus();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    // The page's heading and the scheme lie inside the margins.
    printer.setPageMargins(
        QMarginsF(kPrintMarginMm, kPrintMarginMm, kPrintMarginMm, kPrintMarginMm),
        QPageLayout::Millimeter);
    schemeScroll->verticalScrollBar()->setValue(0);
    if (SchemeBuilt == 0) {
        main_.Op().Tell("Схема не создана", "Предупреждение", MsgIcon::Warning);
        return;
    }
    WholePagePrintDialog dialog(&printer, this);
    dialog.setMinMax(1, 2);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (main_.showModal(dialog) != QDialog::Accepted) {
        schemeScroll->setFocus();
        return;
    }
    PrintPage(printer);
    schemeScroll->verticalScrollBar()->setValue(0);
    schemeScroll->setFocus();
}

void SchemeEditor::PrintPage(QPrinter& printer) {
    const int sx = std::max(1, printer.logicalDpiX() / logicalDpiX());
    const int sy = std::max(1, printer.logicalDpiY() / logicalDpiY());
    QPainter p;
    if (!p.begin(&printer))
        return; // the printing layer tells its own errors
    const QRect page(QPoint(0, 0),
                     printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const int headingHeight =
        DrawPrintHeading(p, page, MakePrintHeading(main_, ModuleHeading()), 1, 1);
    // Below the heading, the page as the screen shows it: its positions are counted from the
    // corner under the heading, and the whole is made smaller when it would not fit the page.
    const int width = schemeScroll->width();
    const int height = schemeScroll->height() + CellCount * RowHeight - RowCount * RowHeight;
    const double wide = std::max(page.width() - 1, sx * (width + 5));
    const double tall =
        std::max(page.height() - headingHeight - 1, kPictureTop + sy * (height + 5));
    const double fit =
        std::min((page.width() - 1) / wide, (page.height() - headingHeight - 1) / tall);
    p.translate(0, headingHeight);
    p.scale(fit, fit);
    const QRectF paper = printer.pageLayout().paintRectPixels(printer.resolution());
    lastPrint = {paper.topLeft() + QPointF(0, headingHeight), fit};
    SetFontSize(p, font(), 12, true);
    // A heading longer than the page (a file's long path) is shortened in the middle.
    const int headingWidth = int(page.width() / fit) - 20;
    const auto heading = [&](int y, const QString& text) {
        Write(p, 10, y, p.fontMetrics().elidedText(text, Qt::ElideMiddle, headingWidth));
    };
    heading(0, main_.MainCaption());
    heading(200, windowTitle());
    if (main_.Document().IsFileMode())
        heading(400, main_.FileModeText());

    PrintBlanks blanks;
    for (DelayCell* panel : delayCells)
        if (panel)
            blanks.Blank(panel->Text());
    blanks.Blank(sensorEdit);
    if (ModuleType() == 2)
        for (QRadioButton* choice : relayButtons)
            blanks.Hide(choice);

    // The picture: the scheme area as it shows the rows, fewer rows giving a lower picture.
    if (CellCount > 0 && rowFrames[size_t(CellCount - 1)])
        schemeScroll->verticalScrollBar()->setValue(rowFrames[size_t(CellCount - 1)]->y());
    QPixmap picture(width + 5, height + 5);
    picture.fill(Qt::white);
    schemeScroll->render(&picture, QPoint(), QRegion(0, 0, width, height));
    // At the panels' own scale, so that the panels drawn again fall on their pictures.
    p.drawPixmap(QRect(0, kPictureTop, sx * picture.width(), sy * picture.height()), picture);

    PrintRows(p, 0, RowCount - 1, sx, sy);
    PrintModuleSetting(p, sx, sy);
    p.end();
}

QString SchemeEditor::ModuleHeading() const {
    // As the window's header shows it: "Модуль МЛВ 1, входы 1 - 6".
    QStringList words;
    for (const QLabel* label : {moduleLabel, moduleTypeLabel, moduleNumberLabel})
        if (!label->text().trimmed().isEmpty())
            words << label->text().trimmed();
    const QString inputs = inputsLabel->text().simplified();
    return U("схема обработки входов, ") + words.join(' ') +
           (inputs.isEmpty() ? QString() : U(", ") + inputs);
}

void SchemeEditor::PrintPanel(QPainter& p, QWidget* panel, int sx, int sy) {
    const QPoint at = panel->mapTo(schemeScroll, QPoint(0, 0));
    const QRect target(QPoint(sx * at.x(), kPictureTop + sy * at.y()),
                       QPoint(sx * (at.x() + panel->width()) - 1,
                              kPictureTop + sy * (at.y() + panel->height()) - 1));
    p.drawPixmap(target, panel->grab());
}

void SchemeEditor::PrintRows(QPainter& p, int first, int last, int sx, int sy) {
    const InputProgram& inputProgram = main_.Program();
    for (int k = std::max(0, first); k <= std::min(last, RowCount - 1); ++k) {
        const size_t i = size_t(k);
        if (inputCells[i])
            PrintPanel(p, inputCells[i], sx, sy);
        if (alarmCells[i]) {
            PrintPanel(p, alarmCells[i], sx, sy);
            SetFontSize(p, font(), 8, false);
        }
        if (delayCells[i]) {
            PrintPanel(p, delayCells[i], sx, sy);
            SetFontSize(p, font(), 8, false);
            const QPoint at = delayCells[i]->mapTo(schemeScroll, QPoint(0, 0));
            Write(p, sx * (at.x() + 14), kPictureTop + sy * (at.y() + 13),
                  QString::number(inputProgram.GetDelay(Base() + k)));
        }
        if (relayCells[i])
            PrintPanel(p, relayCells[i], sx, sy);
    }
}

void SchemeEditor::PrintModuleSetting(QPainter& p, int sx, int sy) {
    if (ModuleType() == 2) {
        const QPoint at = relayGroup->mapTo(schemeScroll, QPoint(0, 0));
        for (QRadioButton* choice : relayButtons)
            if (choice->isChecked()) // hidden while printing, still chosen
                Write(p, sx * (at.x() + 10), kPictureTop + sy * (at.y() + 10), choice->text());
        return;
    }
    if (!pumpButton->Down())
        return;
    PrintPanel(p, pumpGroup, sx, sy);
    const QPoint at = pumpGroup->mapTo(schemeScroll, QPoint(0, 0));
    Write(p, sx * (at.x() + 244), kPictureTop + sy * (at.y() + 34),
          QString::number(main_.Program().GetModuleParameter(ModuleNumber() - 1)));
}
