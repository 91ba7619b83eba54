// Every text whole and every window where the operator expects it: error markers beside the
// fields at a window's edge, a long file path in the main window, the port list's entries, and
// the dialogs that open in the middle of the screen.

#include "app/configurationdialog.h"
#include "app/passworddialog.h"
#include "clock/clockwindow.h"
#include "dialogs/elidedlabel.h"
#include "dialogs/fieldcheck.h"
#include "dialogs/lumdialog.h"
#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"
#include "port/portdialog.h"
#include "port/timingdialog.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The marker lies inside its window, at its full width: its whole text can be read.
void CheckMarkerWhole(QDialog& d, ErrorMarker* marker, const QString& text) {
    QVERIFY(marker->isVisible());
    QCOMPARE(marker->text(), text);
    QVERIFY(d.rect().contains(marker->geometry()));
    QVERIFY(marker->width() >= marker->sizeHint().width());
}

// Fills the configuration dialog's last row and presses OK.
void FailConfig(GuiHarness& h, const QString& address, const QString& text) {
    ConfigurationDialog dialog(h.Main(), &h.Main());
    dialog.Prepare();
    h.Op().Answer(MsgButton::No); // finish? No: correct the entry
    h.OnModal([&](QDialog& d) {
        auto& c = static_cast<ConfigurationDialog&>(d);
        c.typeBoxes[5]->setCurrentIndex(1);
        emit c.typeBoxes[5]->activated(1);
        c.addressEdits[5]->setText(address);
        Click(c.OK);
        CheckMarkerWhole(c, c.errorMarker, text);
    });
    h.Main().showModal(dialog);
}

// Puts a wrong value into one clock field (the others right) and asks to send.
void FailClock(GuiHarness& h, int field, const QString& value, const QString& text) {
    h.GrantAccess(1);
    h.OnModal([&](QDialog& d) {
        auto& w = static_cast<ClockWindow&>(d);
        QLineEdit* fields[] = {w.secondsEdit, w.minutesEdit, w.hoursEdit,  w.dayEdit,
                               w.monthEdit,   w.yearEdit,    w.weekdayEdit};
        const char* good[] = {"30", "45", "12", "15", "6", "24", "3"};
        for (int i = 0; i < 7; ++i)
            fields[i]->setText(i == field ? value : QString(good[i]));
        Click(w.setClockButton);
        CheckMarkerWhole(w, w.errorMarker, text);
        Click(w.Cancel);
    });
    h.Main().ClockClick();
}

// The width the combo box has for its text.
int TextRoom(QComboBox* box) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    option.rect = box->rect();
    return box->style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box)
        .width();
}
} // namespace

class TestWholeTexts : public QObject {
    Q_OBJECT

private slots:
    void markerAtTheWindowEdge_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("configuration, empty address") << "config" << 5 << "" << U(" Ошибка ввода ");
        QTest::newRow("configuration, address 16")
            << "config" << 5 << "16" << U("Величина вне диапазона 0 - 15");
        const char* ranges[] = {"0 - 59", "0 - 59", "0 - 23", "1 - 31",
                                "1 - 12", "0 - 99", "1 - 7"};
        const char* wrong[] = {"60", "60", "24", "32", "13", "100", "8"};
        for (int f = 0; f < 7; ++f) {
            QTest::addRow("clock, field %d out of range", f + 1)
                << "clock" << f << wrong[f] << U("Величина вне диапазона ") + ranges[f];
            QTest::addRow("clock, field %d empty", f + 1)
                << "clock" << f << "" << U(" Ошибка ввода ");
        }
    }
    void markerAtTheWindowEdge() {
        QFETCH(QString, window);
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QString, text);
        GuiHarness h;
        if (window == "config")
            FailConfig(h, value, text);
        else
            FailClock(h, field, value, text);
        QCOMPARE(h.PendingModal(), 0); // the window came and was checked
    }

    void longPathShortensInTheMiddle() {
        QTemporaryDir dir;
        QString folder = dir.path();
        while (folder.size() < 275)
            folder += U("/папка_с_длинным_названием_для_проверки");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/plant.lum";
        GuiHarness h;
        MainWindow& m = h.Main();
        h.ReadDevice();
        h.OnFileDialog(path);
        m.SaveFileClick();
        h.OnFileDialog(path);
        m.OpenFileClick();
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QApplication::processEvents();
        QVERIFY2(path.size() > 279, qPrintable(QString::number(path.size())));
        const QRect screen = m.screen()->availableGeometry();
        QVERIFY2(m.frameGeometry().width() <= screen.width(),
                 qPrintable(QString::number(m.frameGeometry().width())));
        QCOMPARE(m.fileLabel->text(), U("Режим работы с файлом ") + path); // printed whole
        QCOMPARE(m.fileLabel->toolTip(), path);
        const QString shown = m.fileLabel->ShownText();
        QVERIFY(shown.startsWith(U("Режим работы с файлом /")));
        QVERIFY2(shown.endsWith("/plant.lum"), qPrintable(shown));
        QVERIFY(shown.contains(U("…")));
        QVERIFY(m.fileLabel->fontMetrics().horizontalAdvance(shown) <=
                m.fileLabel->contentsRect().width());
    }

    void portListEntriesWhole() {
        GuiHarness h;
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<PortDialog&>(d);
            QComboBox* box = Part<QComboBox>(dialog, "portBox");
            QVERIFY(box->count() > 0);
            for (int i = 0; i < box->count(); ++i)
                QVERIFY2(box->fontMetrics().horizontalAdvance(box->itemText(i)) <= TextRoom(box),
                         qPrintable(box->itemText(i)));
            QVERIFY(d.rect().contains(box->geometry()));
            d.close();
        });
        h.Main().PortSettingsClick();
        QCOMPARE(h.PendingModal(), 0);
    }

    // The password, port and timing dialogs open in the middle of the screen, not over the
    // main window, wide enough for their captions.
    void dialogsCentredOnTheScreen_data() {
        QTest::addColumn<QString>("window");
        QTest::newRow("password") << "password";
        QTest::newRow("port") << "port";
        QTest::newRow("timing") << "timing";
    }
    void dialogsCentredOnTheScreen() {
        QFETCH(QString, window);
        GuiHarness h;
        MainWindow& m = h.Main();
        m.move(0, 0); // the main window in a corner: its middle is not the screen's
        QPoint centre;
        QPoint screenCentre;
        const auto measure = [&](QDialog& d) {
            centre = d.frameGeometry().center();
            screenCentre = d.screen()->availableGeometry().center();
            QVERIFY(d.width() >= TitleBarWidth(d.windowTitle())); // the caption whole
        };
        h.OnModal([&](QDialog& d) {
            if (window == "password")
                measure(d);
            auto& prompt = static_cast<PasswordDialog&>(d);
            Part<QLineEdit>(prompt, "passwordEdit")->clear();
            QTest::keyClick(Part<QLineEdit>(prompt, "passwordEdit"),
                            Qt::Key_Return); // basic access
        });
        m.show(); // the password prompt comes when the main window is first shown
        QTRY_COMPARE(h.ModalTitles().size(), 1);
        if (window != "password") {
            h.OnModal([&](QDialog& d) {
                measure(d);
                d.close();
            });
            window == "port" ? m.PortSettingsClick() : m.ExchangeTimingClick();
            QCOMPARE(h.ModalTitles().size(), 2);
        }
        QVERIFY(!screenCentre.isNull());
        QVERIFY((centre - screenCentre).manhattanLength() <= 3);
    }
};

QTEST_MAIN(TestWholeTexts)
#include "tst_wholetexts.moc"
