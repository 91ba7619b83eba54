// The editor as a person sees it: every text fits its control and nothing of the heading or
// the rows overlaps. With LUM_SHOT_DIR set, the editor and the block dialogs are saved there
// as pictures to look at.

#include "helper_scheme.h"

#include "dialogs/delaydialog.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/labeldialog.h"
#include "dialogs/signallingdialog.h"
#include "model/inputprogram.h"
#include "scheme/alarmcell.h"
#include "scheme/cellbutton.h"
#include "scheme/delaycell.h"
#include "scheme/inputcell.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace schemetest;

namespace {

void Save(QWidget& w, const QString& name) {
    const QString dir = qEnvironmentVariable("LUM_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QApplication::processEvents();
    w.grab().save(QDir(dir).filePath(name + ".png"));
}

// Every line of a label's text fits the label's width.
void CheckLabelFits(const QLabel* label) {
    if (!label->isVisibleTo(label->window()) || label->text().isEmpty() ||
        !label->pixmap().isNull())
        return;
    const QFontMetrics fm(label->font());
    for (const QString& line : label->text().split('\n'))
        QVERIFY2(fm.horizontalAdvance(line) <= label->contentsRect().width(),
                 qPrintable(line + " in " + QString::number(label->width())));
    QVERIFY2(fm.height() * int(label->text().count('\n') + 1) <= label->height() + 2,
             qPrintable(label->text()));
}

void CheckButtonFits(const QAbstractButton* b) {
    if (!b->isVisibleTo(b->window()) || b->text().isEmpty())
        return;
    // A push button's size hint keeps a style's minimum width; its text is what must fit.
    const int needs = qobject_cast<const QPushButton*>(b)
                          ? QFontMetrics(b->font()).horizontalAdvance(b->text()) + 8
                          : b->sizeHint().width();
    QVERIFY2(needs <= b->width() + 1, qPrintable(b->text() + " needs " + QString::number(needs)));
}

void CheckApart(const QWidget* a, const QWidget* b) {
    QVERIFY2(!a->geometry().intersects(b->geometry()),
             qPrintable(a->objectName() + QString(" overlaps ") + b->metaObject()->className()));
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void editorTextsFit_data() {
        QTest::addColumn<int>("m");
        QTest::newRow("МЛВ") << 1;
        QTest::newRow("МСЮ") << 2;
    }
    void editorTextsFit() {
        QFETCH(int, m);
        GuiHarness h;
        ReadDevice(h);
        h.SetFileMode(); // the file mode mark shown too
        h.Main().inputRangeLabels[0]->setText(
            "DI_1_1 - DI_1_6"); // as a file fills the module table
        OpenEditor(h, m, [&](SchemeEditor& e) {
            for (const QLabel* l : e.findChildren<QLabel*>())
                CheckLabelFits(l);
            for (const QAbstractButton* b : e.findChildren<QAbstractButton*>())
                CheckButtonFits(b);
            for (const QGroupBox* g : e.findChildren<QGroupBox*>())
                if (g->isVisibleTo(&e))
                    QVERIFY(QFontMetrics(g->font()).horizontalAdvance(g->title()) <
                            g->width() - 16);
            CheckApart(e.moduleLabel, e.moduleTypeLabel);
            CheckApart(e.moduleTypeLabel, e.moduleNumberLabel);
            CheckApart(e.fileLabel, e.closeButton);
            CheckApart(e.fileLabel, e.Progress);
            CheckApart(e.closeButton, e.Progress);
            for (size_t k = 0; k < 6; ++k) {
                // the identifier stays clear of the signal type button
                const InputCell* p = e.inputCells[k];
                const int captionWidth = QFontMetrics(p->font()).horizontalAdvance(p->Caption());
                QVERIFY2(p->width() - p->FrameWidth() - 1 - captionWidth >=
                             e.inputTypeButtons[k]->geometry().right(),
                         qPrintable(p->Caption()));
                if (const AlarmCell* s = e.alarmCells[k])
                    QVERIFY(QFontMetrics(s->font()).horizontalAdvance(s->Caption()) +
                                s->FrameWidth() + 1 <=
                            s->Text()->x());
                // the label's text stays clear of the row buttons
                const QLabel* text = e.labelTexts[k];
                QVERIFY(text->x() + QFontMetrics(text->font()).horizontalAdvance(text->text()) <
                        e.contactButtons[k]->x());
            }
            CheckApart(e.pumpGroup, e.relayGroup);
            QVERIFY(e.pumpGroup->y() > e.inputBar->height());
            Save(e, m == 1 ? "editor-mlv" : "editor-msu");
        });
    }

    void dialogsTextsFit() {
        GuiHarness h;
        ReadDevice(h);
        SignallingDialog sig(h.Main(), &h.Main());
        sig.SetHeading(8, "DI_2_2    ");
        sig.FillFrom(h.Main().Program(), 7);
        DelayDialog za(h.Main(), &h.Main());
        za.SetHeading(10, "DI_2_4    ");
        za.FillDelay(15);
        LabelDialog text(h.Main(), &h.Main());
        text.SetHeading(3, "DI_1_3    ");
        text.FillFrom(2);
        for (QDialog* d : std::initializer_list<QDialog*>{&sig, &za, &text}) {
            d->show();
            QApplication::processEvents();
            for (const QLabel* l : d->findChildren<QLabel*>())
                CheckLabelFits(l);
            for (const QAbstractButton* b : d->findChildren<QAbstractButton*>())
                CheckButtonFits(b);
            for (const QWidget* w : d->findChildren<QWidget*>())
                if (w->isVisibleTo(d) && w->parentWidget() == d)
                    QVERIFY(d->rect().contains(w->geometry()));
        }
        Save(sig, "dialog-sig");
        Save(za, "dialog-za");
        Save(text, "dialog-text");
        for (QDialog* d : std::initializer_list<QDialog*>{&sig, &za, &text})
            d->hide();
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
