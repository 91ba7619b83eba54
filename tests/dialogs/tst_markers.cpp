// The error marker in the windows that use it: at every field of the clock window, the F15 block
// editor and the group-number dialog it covers no other control or caption and stays inside
// the window; a correction typed into the field takes it away.

#include "clock/clockwindow.h"
#include "dialogs/fieldcheck.h"
#include "dialogs/inputgroupdialog.h"
#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"
#include "network/f15blockeditor.h"
#include "network/networkwindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <functional>

namespace {

// The visible controls and captions of the window that the marker must leave free: all but the
// field.
QStringList Covered(QWidget& window, QLineEdit* field, QWidget* marker) {
    QStringList covered;
    const QRect at = marker->geometry();
    for (QWidget* w : window.findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(w);
        const bool caption = label && label != marker && !label->text().trimmed().isEmpty();
        const bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QAbstractButton*>(w) ||
                             qobject_cast<QAbstractItemView*>(w) || caption;
        if (!control || w == field || !w->isVisible() || qobject_cast<QComboBox*>(w->parent()))
            continue;
        if (at.intersects(QRect(w->mapTo(&window, QPoint()), w->size())))
            covered << (caption                     ? label->text()
                        : w->objectName().isEmpty() ? QString(w->metaObject()->className())
                                                    : w->objectName());
    }
    return covered;
}

// Shows the marker at each enabled field of the window in turn and checks its place.
void CheckEveryField(QWidget& window, QLabel* marker, const QList<QLineEdit*>& fields,
                     const QString& text) {
    for (QLineEdit* field : fields) {
        if (!field->isVisible() || !field->isEnabled())
            continue;
        ShowErrorText(field, marker, text);
        QVERIFY(marker->isVisible());
        const QStringList covered = Covered(window, field, marker);
        QVERIFY2(covered.isEmpty(), qPrintable(covered.join(", ")));
        QVERIFY(window.rect().contains(marker->geometry()));
        // Beside its own field: within a few pixels of it.
        const QRect f(field->mapTo(&window, QPoint()), field->size());
        QVERIFY(marker->geometry().intersects(f.adjusted(-8, -8, 8, 8)));
    }
}

} // namespace

class TestMarkers : public QObject {
    Q_OBJECT

private slots:
    void markersCoverNoOtherControl_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("input error") << U(" Ошибка ввода ");
        QTest::newRow("range") << U("Величина вне диапазона 1 - 12");
    }
    void markersCoverNoOtherControl() {
        QFETCH(QString, text);
        GuiHarness h;
        h.GrantAccess();
        h.ReadDevice();
        h.OnModal([&](QDialog& d) {
            auto& clock = static_cast<ClockWindow&>(d);
            CheckEveryField(d, clock.errorMarker,
                            {clock.secondsEdit, clock.minutesEdit, clock.hoursEdit, clock.dayEdit,
                             clock.monthEdit, clock.yearEdit, clock.weekdayEdit},
                            text);
        });
        h.Main().ClockClick();

        InputGroupDialog group(h.Main(), &h.Main());
        for (int mode = 0; mode < 2; ++mode) {
            mode == 0 ? group.PrepareGroupMode() : group.PrepareInsertMode();
            h.OnModal([&](QDialog& d) {
                CheckEveryField(d, group.errorMarker,
                                {group.firstInputEdit, group.lastInputEdit, group.groupNumberEdit},
                                text);
            });
            h.Main().showModal(group);
        }

        h.OnModal([&](QDialog& d) {
            Click(static_cast<NetworkWindow&>(d).BlockButtons[0]);
            h.Op().Answer(MsgButton::No);
        });
        h.OnModal([&](QDialog& d) {
            auto& f15 = static_cast<F15BlockEditor&>(d);
            QList<QLineEdit*> fields{f15.functionCodeEdit, f15.startAddressEdit, f15.dataCountEdit,
                                     f15.inputCountEdit};
            for (QLineEdit* e : f15.signalEdits)
                fields << e;
            CheckEveryField(d, f15.errorMarker, fields, text);
            f15.errorMarker->hide(); // what the editor's own close query would find
        });
        h.Main().F15BlocksClick();
    }

    // A wrong month marked on sending; typing a correction takes the marker away, and the next
    // send with a right value keeps it away.
    void correctionTakesTheMarkerAway() {
        GuiHarness h;
        h.GrantAccess();
        h.OnModal([&](QDialog& d) {
            auto& clock = static_cast<ClockWindow&>(d);
            clock.pollTimer->stop();
            clock.monthEdit->setText("45");
            Click(clock.setClockButton);
            QVERIFY(clock.errorMarker->isVisible());
            clock.monthEdit->selectAll();
            QTest::keyClicks(clock.monthEdit, "1");
            QVERIFY(!clock.errorMarker->isVisible());
            QTest::keyClicks(clock.monthEdit, "2");
            Click(clock.setClockButton);
            QVERIFY(!clock.errorMarker->isVisible());
            Click(clock.Cancel);
        });
        h.Main().ClockClick();
    }
};

QTEST_MAIN(TestMarkers)
#include "tst_markers.moc"
