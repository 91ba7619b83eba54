// Small things an operator trips over: Esc in "Задание конфигурации", Enter and the range of the
// delay dialog, windows that keep their size while a command runs, the main window's fields at
// their height in a taller window.

#include "app/configurationdialog.h"
#include "dialogs/delaydialog.h"
#include "dialogs/exchangeprogress.h"
#include "guisupport/guiharness.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

// The main window on the screen: its password prompt at the first showing gets an empty entry.
void ShowMain(GuiHarness& h) {
    h.OnModal([](QDialog& d) {
        auto* field = d.findChild<QLineEdit*>();
        QVERIFY(field);
        QTest::keyClick(field, Qt::Key_Return);
    });
    h.Main().show();
    QTRY_COMPARE(h.PendingModal(), 0);
    QApplication::processEvents();
}
} // namespace

class TestRoughEdges : public QObject {
    Q_OBJECT

private slots:
    // Esc gives the new configuration up at once: no error, no file dialog, nothing changed.
    // OK with a wrong address still checks and asks.
    void escCancelsTheConfiguration() {
        GuiHarness h;
        h.ReadDevice();
        const QString code = h.Main().modificationEdit->text();
        h.OnModal([](QDialog& d) {
            auto& c = static_cast<ConfigurationDialog&>(d);
            c.typeBoxes[0]->setCurrentIndex(1);
            c.addressEdits[0]->setFocus();
            QTest::keyClicks(c.addressEdits[0], "99");
            QTest::keyClick(c.addressEdits[0], Qt::Key_Escape);
            QVERIFY(!d.isVisible());
            QCOMPARE(d.result(), ConfigurationDialog::Cancelled);
        });
        h.Main().CreateFileClick();
        QVERIFY(h.Op().Shown().empty());
        QVERIFY(h.FileRequests().empty());
        QCOMPARE(h.Main().modificationEdit->text(), code);

        h.Op().Answer(MsgButton::Yes); // "Закончить?"
        h.OnModal([](QDialog& d) {
            auto& c = static_cast<ConfigurationDialog&>(d);
            c.typeBoxes[0]->setCurrentIndex(1);
            c.addressEdits[0]->setText("99");
            Click(c.OK);
        });
        h.Main().CreateFileClick();
        QCOMPARE(h.Op().Shown().back().text, std::string("ошибка ввода конфигурации"));
        QVERIFY(h.FileRequests().empty());
    }

    // Enter on a value closes the delay dialog with it; an empty field is refused as before.
    // The range stands beside the field.
    void delayDialogTakesEnter() {
        GuiHarness h;
        DelayDialog d(h.Main(), &h.Main());
        QCOMPARE(d.rangeCaption->text(), U("(0-60)"));
        QCOMPARE(d.secondsCaption->text(), U("Время, сек"));
        d.FillDelay(7);
        d.show();
        d.delayEdit->selectAll();
        QTest::keyClicks(d.delayEdit, "12");
        QTest::keyClick(d.delayEdit, Qt::Key_Return);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(mr::Cancel));
        QCOMPARE(d.TakeDelay(), 12);

        d.show();
        d.delayEdit->clear();
        QTest::keyClick(d.delayEdit, Qt::Key_Return);
        QVERIFY(d.isVisible());
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text, std::string(" Ошибка ввода "));
        d.hide();
    }

    // A long step on the bar is shortened to the bar, whole in its tooltip, the percentage
    // kept; the bar never widens its window.
    void progressKeepsTheWindowsWidth() {
        GuiHarness h;
        MainWindow& m = h.Main();
        m.resize(600, 500);
        ShowMain(h);
        const QSize before = m.size();
        const QString step = U("Модуль 3: запись блока программы ") + QString(40, QChar(0x0416));
        QProgressBar* bar = m.progressBar;
        auto* row = dynamic_cast<ExchangeProgress*>(bar->parentWidget());
        QVERIFY(row);
        row->Begin(step, 4);
        QApplication::processEvents();
        row->Share(1, 4, step);
        QApplication::processEvents();
        QCOMPARE(m.size(), before);
        QCOMPARE(bar->minimumWidth(), 0);
        QVERIFY(bar->format().endsWith(U("%p%")));
        QVERIFY(bar->format().contains(QChar(0x2026)));
        QVERIFY(bar->fontMetrics().horizontalAdvance(bar->text()) < bar->width());
        QCOMPARE(bar->toolTip(), step);
        row->End();
        m.hide();
    }

    // A taller main window gives its room below the fields, not to them.
    void mainWindowFieldsKeepTheirHeight() {
        GuiHarness h;
        MainWindow& m = h.Main();
        ShowMain(h);
        std::vector<int> heights;
        const QList<QGroupBox*> groups = m.findChildren<QGroupBox*>();
        QVERIFY(groups.size() >= 3);
        for (QGroupBox* g : groups)
            heights.push_back(g->height());
        m.resize(m.width(), m.height() + 300);
        QApplication::processEvents();
        for (qsizetype i = 0; i < groups.size(); ++i)
            QCOMPARE(groups[i]->height(), heights[size_t(i)]);
        m.hide();
    }
};

QTEST_MAIN(TestRoughEdges)
#include "tst_roughedges.moc"
