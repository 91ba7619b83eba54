// The toolkit's file dialog as the program shows it: sizes with the right Russian plural and
// dates in the Russian form, whatever the system's language (the suite runs in the C locale).

#include "dialogs/russianfilelist.h"
#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

class TestRussianFiles : public QObject {
    Q_OBJECT

private slots:
    void sizes_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << U("0 байт");
        QTest::newRow("1") << qint64(1) << U("1 байт");
        QTest::newRow("2") << qint64(2) << U("2 байта");
        QTest::newRow("11") << qint64(11) << U("11 байт");
        QTest::newRow("22") << qint64(22) << U("22 байта");
        QTest::newRow("712") << qint64(712) << U("712 байт");
        QTest::newRow("1023") << qint64(1023) << U("1023 байта");
        QTest::newRow("1536") << qint64(1536) << U("1,50 КБ");
        QTest::newRow("3 MB") << qint64(3 * 1024 * 1024) << U("3,00 МБ");
    }
    void sizes() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(RussianFileList::SizeText(bytes), text);
    }

    // The program's own file dialog lists a 712-byte file in Russian.
    void fileDialogListsInRussian() {
        QTemporaryDir dir;
        QFile file(dir.filePath("a.lum"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(712, '\0'));
        file.close();
        const QDateTime stamp(QDate(2026, 12, 7), QTime(9, 5));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        file.close();

        GuiHarness h;
        h.Main().SetFileDialogHook({});
        h.Main().UseQtFileDialog(true);
        QStringList row;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* list = dialog->findChild<QTreeView*>("treeView");
            QVERIFY(list);
            QTRY_VERIFY(list->model()->rowCount(list->rootIndex()) == 1);
            const QModelIndex first = list->model()->index(0, 0, list->rootIndex());
            for (int c = 0; c < 4; ++c)
                row << first.siblingAtColumn(c).data().toString();
            dialog->reject();
        });
        h.Main().AskFileName({false, U("Открытие"), dir.path() + '/', U("Все файлы (*)"), "lum"});
        QCOMPARE(row.value(0), QString("a.lum"));
        QCOMPARE(row.value(1), U("712 байт"));
        QCOMPARE(row.value(3), U("07.12.2026 09:05"));
    }
};

QTEST_MAIN(TestRussianFiles)
#include "tst_russianfiles.moc"
