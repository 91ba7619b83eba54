// The group-number dialog: its two modes, the checks on OK with the marker beside the failing
// field, Cancel without checks, and the key filter of its fields.

#include "dialogs/fieldcheck.h"
#include "dialogs/inputgroupdialog.h"
#include "guisupport/guiharness.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

QStringList LabelTexts(const QWidget* box) {
    QStringList texts;
    for (const QLabel* l : box->findChildren<QLabel*>())
        texts << l->text();
    return texts;
}
} // namespace

class TestInputGroupDialog : public QObject {
    Q_OBJECT

private slots:
    void modesShowOneGroup_data() {
        QTest::addColumn<bool>("group");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("group") << true << U("Ввод номеров группы текстовых реквизитов")
                               << QStringList{U("Начальный № группы"), U("Конечный № группы")};
        QTest::newRow("insert") << false << U("Ввод начального № вставки")
                                << QStringList{U("Заменить группу,       начиная с   №")};
    }
    void modesShowOneGroup() {
        QFETCH(bool, group);
        QFETCH(QString, caption);
        QFETCH(QStringList, labels);
        GuiHarness h;
        InputGroupDialog d(h.Main(), &h.Main());
        QVERIFY(d.rangeGroup->isHidden() && d.numberGroup->isHidden()); // until a caller chooses
        group ? d.PrepareGroupMode() : d.PrepareInsertMode();
        bool checked = false;
        h.OnModal([&](QDialog&) {
            QCOMPARE(d.windowTitle(), caption);
            QCOMPARE(d.rangeGroup->isVisible(), group);
            QCOMPARE(d.numberGroup->isVisible(), !group);
            QWidget* shown = group ? d.rangeGroup : d.numberGroup;
            QCOMPARE(LabelTexts(shown), labels);
            QCOMPARE(QApplication::focusWidget(), group ? d.firstInputEdit : d.groupNumberEdit);
            QVERIFY(d.errorMarker->isHidden());
            QCOMPARE(d.Cancel->text(), U("Отмена"));
            QVERIFY(!(d.windowFlags() & Qt::WindowCloseButtonHint)); // only OK and Cancel
            for (QLineEdit* e : {d.firstInputEdit, d.lastInputEdit, d.groupNumberEdit})
                QCOMPARE(e->maxLength(), 10);
            checked = true;
            Click(d.Cancel);
        });
        QCOMPARE(h.Main().showModal(d), InputGroupDialog::Cancelled);
        QVERIFY(checked);
    }

    void okChecksTheVisibleGroup_data() {
        QTest::addColumn<bool>("group");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("wrongField"); // 1..3, or 0 when the numbers are taken
        QTest::newRow("both empty") << true << ""
                                    << "" << 1;
        QTest::newRow("first 0") << true << "0"
                                 << "5" << 1;
        QTest::newRow("second 0") << true << "3"
                                  << "0" << 2;
        QTest::newRow("second empty") << true << "3"
                                      << "" << 2;
        QTest::newRow("pasted letters") << true << "3"
                                        << "5x" << 2;
        QTest::newRow("pasted negative") << true << "-3"
                                         << "5" << 1;
        QTest::newRow("group taken") << true << "7"
                                     << "5" << 0;
        QTest::newRow("ten digits taken") << true << "9999999999"
                                          << "1" << 0;
        QTest::newRow("start empty") << false << ""
                                     << "" << 3;
        QTest::newRow("start 0") << false << "0"
                                 << "" << 3;
        QTest::newRow("start taken") << false << "11"
                                     << "" << 0;
    }
    void okChecksTheVisibleGroup() {
        QFETCH(bool, group);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, wrongField);
        GuiHarness h;
        InputGroupDialog d(h.Main(), &h.Main());
        group ? d.PrepareGroupMode() : d.PrepareInsertMode();
        QLineEdit* fields[] = {nullptr, d.firstInputEdit, d.lastInputEdit, d.groupNumberEdit};
        h.OnModal([&](QDialog&) {
            if (group) {
                d.firstInputEdit->setText(first);
                d.lastInputEdit->setText(second);
                d.groupNumberEdit->setText("0"); // hidden: not checked
            } else {
                d.groupNumberEdit->setText(first);
                d.firstInputEdit->clear(); // hidden: not checked
            }
            Click(d.OK);
            if (wrongField == 0)
                return;
            QVERIFY(d.isVisible());
            QVERIFY(d.errorMarker->isVisible());
            QCOMPARE(d.errorMarker->text(), U(" Ошибка ввода "));
            // The marker is at the failing field, and readable as a whole.
            QLineEdit* field = fields[wrongField];
            const QRect fieldRect(field->mapTo(&d, QPoint()), field->size());
            QVERIFY(d.errorMarker->geometry().intersects(fieldRect.adjusted(-8, -8, 8, 8)));
            QVERIFY(d.rect().contains(d.errorMarker->geometry()));
            Click(d.Cancel);
        });
        const int result = h.Main().showModal(d);
        QCOMPARE(result,
                 wrongField == 0 ? InputGroupDialog::Accepted : InputGroupDialog::Cancelled);
    }

    void markerHidesOnMouseMoveAndNextShowing() {
        GuiHarness h;
        InputGroupDialog d(h.Main(), &h.Main());
        d.PrepareInsertMode();
        h.OnModal([&](QDialog&) {
            d.groupNumberEdit->clear();
            Click(d.OK);
            QVERIFY(d.errorMarker->isVisible());
            QTest::mouseMove(d.errorMarker, QPoint(3, 3));
            QTRY_VERIFY(d.errorMarker->isHidden());
            QTest::mouseMove(d.OK); // away from where the marker comes back
            Click(d.OK);
            QVERIFY(d.errorMarker->isVisible());
            d.groupNumberEdit->setText("4");
            Click(d.OK);
        });
        QCOMPARE(h.Main().showModal(d), InputGroupDialog::Accepted);
        h.OnModal([&](QDialog&) {
            QVERIFY(d.errorMarker->isHidden());
            QCOMPARE(d.groupNumberEdit->text(), QString("4")); // the last numbers are offered again
            Click(d.Cancel);
        });
        QCOMPARE(h.Main().showModal(d), InputGroupDialog::Cancelled);
    }

    void keyFilterAndEnter() {
        GuiHarness h;
        InputGroupDialog d(h.Main(), &h.Main());
        d.PrepareGroupMode();
        h.OnModal([&](QDialog&) {
            d.firstInputEdit->setFocus();
            QTest::keyClicks(d.firstInputEdit, "12");
            QCOMPARE(d.firstInputEdit->text(), QString("12"));
            QVERIFY(h.Op().Shown().empty());
            QTest::keyClick(d.firstInputEdit, Qt::Key_A);
            QCOMPARE(h.Op().LastText(), std::string(" Ошибка ввода "));
            QCOMPARE(h.Op().Shown().back().caption, std::string("Ошибка"));
            QVERIFY(d.firstInputEdit->text().isEmpty());
            QTest::keyClicks(d.firstInputEdit, "3");
            QTest::keyClick(d.firstInputEdit, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), d.lastInputEdit);
            QVERIFY(d.isVisible()); // Enter moves on, it does not close
            QCOMPARE(d.firstInputEdit->text(), QString("3"));
            QCOMPARE(h.Op().Shown().size(), size_t(1));
            QTest::keyClick(d.lastInputEdit, Qt::Key_Tab, Qt::ShiftModifier); // and back
            QCOMPARE(QApplication::focusWidget(), d.firstInputEdit);
            QTest::keyClick(d.firstInputEdit, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), d.lastInputEdit);
            QCOMPARE(h.Op().Shown().size(), size_t(1));
            Click(d.Cancel);
        });
        QCOMPARE(h.Main().showModal(d), InputGroupDialog::Cancelled);
    }
};

QTEST_MAIN(TestInputGroupDialog)
#include "tst_inputgroupdialog.moc"
