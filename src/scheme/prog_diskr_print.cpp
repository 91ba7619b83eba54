// Printing the module's scheme on one portrait page: two or three heading lines, the picture
// of the scheme area, its panels drawn again, the delay values and the module-level setting.

#include "scheme/prog_diskr.h"

#include "dialogs/lummain.h"
#include "model/operator.h"
#include "model/proglumclass.h"
#include "model/servclass.h"
#include "scheme/paninp.h"
#include "scheme/panmr.h"
#include "scheme/pansign.h"
#include "scheme/panzader.h"
#include "scheme/shape.h"
#include "scheme/speedbutton.h"

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

void TFormPrgD::Button1Click() {
    TProgLumClass& lum = main_.ProgLum();
    if (lum.KolPan == 0) {
        ScrollBox1->setFocus();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    // Positions count from the page's printable corner, as near the paper's as the printer goes.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    ScrollBox1->verticalScrollBar()->setValue(0);
    if (lum.FlagBuilt == 0) {
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
        ScrollBox1->setFocus();
        return;
    }
    PrintPage(printer);
    ScrollBox1->verticalScrollBar()->setValue(0);
    ScrollBox1->setFocus();
}

void TFormPrgD::PrintPage(QPrinter& printer) {
    const TProgLumClass& lum = main_.ProgLum();
    const int sx = std::max(1, printer.logicalDpiX() / logicalDpiX());
    const int sy = std::max(1, printer.logicalDpiY() / logicalDpiY());
    QPainter p;
    if (!p.begin(&printer))
        return; // the printing layer tells its own errors
    SetFontSize(p, font(), 12, true);
    Write(p, 10, 0, main_.MainCaption());
    Write(p, 10, 200, windowTitle());
    if (main_.Serv().FlagFile == 1)
        Write(p, 10, 400, main_.FileModeText());

    PrintBlanks blanks;
    for (TPanZader* panel : PanZader)
        if (panel)
            blanks.Blank(panel->Text());
    blanks.Blank(EditNasos);
    if (ModType() == 2)
        for (QRadioButton* choice : RadioRele)
            blanks.Hide(choice);

    // The picture: the scheme area as it shows the rows, fewer rows giving a lower picture.
    const int width = ScrollBox1->width();
    const int height = ScrollBox1->height() + lum.KolPan * RowHeight - KolRows * RowHeight;
    if (lum.KolPan > 0 && ShRow[size_t(lum.KolPan - 1)])
        ScrollBox1->verticalScrollBar()->setValue(ShRow[size_t(lum.KolPan - 1)]->y());
    QPixmap picture(width + 5, height + 5);
    picture.fill(Qt::white);
    ScrollBox1->render(&picture, QPoint(), QRegion(0, 0, width, height));
    // At the panels' own scale, so that the panels drawn again fall on their pictures.
    p.drawPixmap(QRect(0, kPictureTop, sx * picture.width(), sy * picture.height()), picture);

    PrintRows(p, 0, KolRows - 1, sx, sy);
    PrintModuleSetting(p, sx, sy);
    p.end();
}

void TFormPrgD::PrintPanel(QPainter& p, QWidget* panel, int sx, int sy) {
    const QPoint at = panel->mapTo(ScrollBox1, QPoint(0, 0));
    const QRect target(QPoint(sx * at.x(), kPictureTop + sy * at.y()),
                       QPoint(sx * (at.x() + panel->width()) - 1,
                              kPictureTop + sy * (at.y() + panel->height()) - 1));
    p.drawPixmap(target, panel->grab());
}

void TFormPrgD::PrintRows(QPainter& p, int first, int last, int sx, int sy) {
    const TProgLumClass& lum = main_.ProgLum();
    for (int k = std::max(0, first); k <= std::min(last, KolRows - 1); ++k) {
        const size_t i = size_t(k);
        if (PanInp[i])
            PrintPanel(p, PanInp[i], sx, sy);
        if (PanSign[i]) {
            PrintPanel(p, PanSign[i], sx, sy);
            SetFontSize(p, font(), 8, false);
        }
        if (PanZader[i]) {
            PrintPanel(p, PanZader[i], sx, sy);
            SetFontSize(p, font(), 8, false);
            const QPoint at = PanZader[i]->mapTo(ScrollBox1, QPoint(0, 0));
            Write(p, sx * (at.x() + 14), kPictureTop + sy * (at.y() + 13),
                  QString::number(lum.GetZader(Base() + k)));
        }
        if (PanMR[i])
            PrintPanel(p, PanMR[i], sx, sy);
    }
}

void TFormPrgD::PrintModuleSetting(QPainter& p, int sx, int sy) {
    if (ModType() == 2) {
        const QPoint at = RadioGroupRele->mapTo(ScrollBox1, QPoint(0, 0));
        for (QRadioButton* choice : RadioRele)
            if (choice->isChecked()) // hidden while printing, still chosen
                Write(p, sx * (at.x() + 10), kPictureTop + sy * (at.y() + 10), choice->text());
        return;
    }
    if (!SpButNasos->Down())
        return;
    PrintPanel(p, GroupBoxNasos, sx, sy);
    const QPoint at = GroupBoxNasos->mapTo(ScrollBox1, QPoint(0, 0));
    Write(p, sx * (at.x() + 244), kPictureTop + sy * (at.y() + 34),
          QString::number(main_.ProgLum().GetModPar(Mod() - 1)));
}
