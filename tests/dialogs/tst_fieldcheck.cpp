// The key filter every checked field uses, and the error marker.

#include "dialogs/fieldcheck.h"
#include "support/scriptedoperator.h"

#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

class TestFieldCheck : public QObject {
    Q_OBJECT

    struct Window {
        QDialog dialog;
        QLineEdit* first = new QLineEdit(&dialog);
        QLineEdit* second = new QLineEdit(&dialog);
        QLabel* marker = new ErrorMarker(&dialog);
        ScriptedOperator op;
        explicit Window(KeyFilterKind kind) {
            auto* v = new QVBoxLayout(&dialog);
            v->addWidget(first);
            v->addWidget(second);
            InstallKeyFilter(first, kind, op);
            dialog.show();
            first->setFocus();
            QApplication::processEvents();
        }
    };

private slots:
    void keysOfADecimalField() {
        Window w(KeyFilterKind::Decimal);
        QTest::keyClicks(w.first, "12");
        QCOMPARE(w.first->text(), QString("12"));
        QVERIFY(w.op.Shown().empty());
        QTest::keyClick(w.first, Qt::Key_A, Qt::ControlModifier); // select all passes
        QVERIFY(w.op.Shown().empty());
        QTest::keyClick(w.first, Qt::Key_B);
        QCOMPARE(w.op.Shown().size(), size_t(1));
        QCOMPARE(w.op.Shown()[0].text, std::string(" Ошибка ввода "));
        QCOMPARE(w.op.Shown()[0].caption, std::string("Ошибка"));
        QVERIFY(w.first->text().isEmpty()); // the rejected field is emptied
    }

    void hexFieldTakesLettersAToF() {
        Window w(KeyFilterKind::Hex);
        QTest::keyClicks(w.first, "1af");
        QCOMPARE(w.first->text(), QString("1af"));
        QTest::keyClick(w.first, Qt::Key_G);
        QCOMPARE(w.op.Shown().size(), size_t(1));
    }

    void tabAndEnterMoveTheFocus() {
        Window w(KeyFilterKind::Decimal);
        QTest::keyClicks(w.first, "7");
        QTest::keyClick(w.first, Qt::Key_Tab);
        QVERIFY(w.second->hasFocus());
        QCOMPARE(w.first->text(), QString("7"));
        w.first->setFocus();
        QTest::keyClick(w.first, Qt::Key_Return);
        QVERIFY(w.second->hasFocus());
        QVERIFY(w.op.Shown().empty());
        // Enter in an empty field is refused.
        w.first->clear();
        w.first->setFocus();
        QTest::keyClick(w.first, Qt::Key_Return);
        QCOMPARE(w.op.Shown().size(), size_t(1));
        QVERIFY(w.first->hasFocus());
    }

    void markerOverlapsTheFieldsLowerEdgeAndHidesOnMouseMove() {
        Window w(KeyFilterKind::Decimal);
        ShowErrorText(w.second, w.marker);
        QVERIFY(w.marker->isVisible());
        QCOMPARE(w.marker->text(), QString::fromUtf8(" Ошибка ввода "));
        const QPoint fieldBottom = w.second->mapTo(&w.dialog, QPoint(5, w.second->height() - 5));
        QCOMPARE(w.marker->pos(), fieldBottom);
        ShowErrorText(w.first, w.marker, QString::fromUtf8("Величина вне диапазона 1 - 31"));
        QCOMPARE(w.marker->text(), QString::fromUtf8("Величина вне диапазона 1 - 31"));
        QTest::mouseMove(w.marker, QPoint(2, 2));
        QVERIFY(!w.marker->isVisible());
    }
};

QTEST_MAIN(TestFieldCheck)
#include "tst_fieldcheck.moc"
