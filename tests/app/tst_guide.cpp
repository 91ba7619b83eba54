// "Руководство оператора" inside the program, the last files of "Файл", "Выход", and a file
// named on the command line.

#include "app/guidewindow.h"
#include "app/startup.h"
#include "dialogs/lumdialog.h"
#include "guisupport/guiharness.h"
#include "model/configfile.h"
#include "platform/filestore.h"
#include "report/inputstable.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

QMenu* MenuNamed(MainWindow& m, const QString& name) {
    for (QAction* a : m.menuBar()->actions())
        if (a->text().remove('&').trimmed() == name)
            return a->menu();
    return nullptr;
}

QString GuideText() {
    QFile f(":/guide/guide.html");
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A configuration file of one "МЛВ" in slot 0 and one "МСЮ" in slot 2.
QString WriteConfigFile(const QString& dir, const QString& name) {
    const std::array<uint8_t, 17> config{2, 1, 0, 2};
    const QString path = QDir(dir).filePath(name);
    const auto bytes = MakeCreatedConfigFile(config);
    if (!ReplaceFileAtomically(path, bytes))
        return QString();
    return path;
}
} // namespace

class TestGuide : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    // "Справка" → "Руководство оператора" and F1 open the guide's window; F1 in another window
    // opens that window's section.
    void helpMenuAndF1OpenTheGuide() {
        GuiHarness h;
        MainWindow& m = h.Main();
        QMenu* help = MenuNamed(m, U("Справка"));
        QVERIFY(help);
        QCOMPARE(help->actions().value(0)->text().remove('&'), U("Руководство оператора"));
        QCOMPARE(m.guideAction->shortcut(), QKeySequence(Qt::Key_F1));
        QVERIFY(!m.Guide());
        m.guideAction->trigger();
        QVERIFY(m.Guide() && m.Guide()->isVisible());
        QCOMPARE(m.Guide()->windowTitle(), U("Руководство оператора"));
        QCOMPARE(m.Guide()->browser->source().toString(), GuideWindow::Source());
        QVERIFY(m.Guide()->browser->toPlainText().contains(U("Заводской пароль — 9461")));
        m.Guide()->close();
        QTRY_VERIFY(!m.Guide());

        QTest::keyClick(&m, Qt::Key_F1);
        QVERIFY(m.Guide() && m.Guide()->isVisible());
        QCOMPARE(m.Guide()->browser->source().fragment(), QString("main"));
        h.OnModal([&](QDialog& d) {
            QTest::keyClick(static_cast<InputsTableWindow&>(d).inputsGrid, Qt::Key_F1);
        });
        h.ReadDevice();
        m.InputsTableClick();
        QCOMPARE(m.Guide()->browser->source().fragment(), QString("inputs"));
        QVERIFY(h.Op().Shown().empty());
    }

    // Every window's section is in the guide; the guide's pictures are in the program, at least
    // ten, each a picture of a window, small enough to travel with it.
    void sectionsAndPicturesAreThere() {
        const QString html = GuideText();
        QVERIFY(!html.isEmpty());
        static const QRegularExpression anchor(R"re(<a name="([\w-]+)">)re");
        QStringList anchors;
        for (auto it = anchor.globalMatch(html); it.hasNext();)
            anchors << it.next().captured(1);
        for (const char* section :
             {"main", "password", "port", "timing", "scan", "files", "scheme", "scheme-dialogs",
              "inputs", "network", "f15", "clock", "history", "write", "monitor", "undo", "cli"})
            QVERIFY2(anchors.contains(section), section);
        static const QRegularExpression image(R"re(<img src="([\w-]+\.png)")re");
        QStringList pictures;
        for (auto it = image.globalMatch(html); it.hasNext();)
            pictures << it.next().captured(1);
        QVERIFY2(pictures.size() >= 10, qPrintable(pictures.join(' ')));
        for (const QString& name : pictures) {
            QFile file(":/guide/" + name);
            QVERIFY2(file.exists(), qPrintable(name));
            QVERIFY2(file.size() < 100 * 1024, qPrintable(name));
            const QImage picture(":/guide/" + name);
            QVERIFY2(!picture.isNull() && picture.width() >= 200, qPrintable(name));
        }
    }

    // The section of a window is found from the window or any widget inside it.
    void sectionOfEachWindow() {
        GuiHarness h;
        InputsTableWindow table(h.Main(), &h.Main());
        QCOMPARE(GuideWindow::SectionFor(&table), QString("inputs"));
        QCOMPARE(GuideWindow::SectionFor(table.inputsGrid), QString("inputs"));
        QCOMPARE(GuideWindow::SectionFor(&h.Main()), QString("main"));
        QLabel alone;
        QCOMPARE(GuideWindow::SectionFor(&alone), QString());
    }

    // "Файл": the last five files, newest first, each opened again by its item; "Выход".
    void recentFilesAndExit() {
        GuiHarness h;
        MainWindow& m = h.Main();
        QCOMPARE(m.exitAction->text().remove('&'), U("Выход"));
        QCOMPARE(m.exitAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QStringList paths;
        for (int i = 0; i < 7; ++i) {
            paths << WriteConfigFile(dir_.path(), QString("recent%1.lum").arg(i));
            h.OnFileDialog(paths.back());
            m.OpenFileClick();
        }
        const QStringList recent = MainWindow::RecentFiles();
        QCOMPARE(recent.size(), 5);
        QCOMPARE(recent.front(), QFileInfo(paths[6]).absoluteFilePath());
        QCOMPARE(recent.back(), QFileInfo(paths[2]).absoluteFilePath());
        QMenu* file = MenuNamed(m, U("Файл"));
        emit file->aboutToShow();
        QAction* second = nullptr;
        for (QAction* a : file->actions())
            if (a->isVisible() && a->text() == U("&2 recent5.lum"))
                second = a;
        QVERIFY(second);
        second->trigger();
        QCOMPARE(m.CurFile(), recent[1]);
        QCOMPARE(MainWindow::RecentFiles().front(), recent[1]);
        // A file gone since is said so and leaves the list.
        QVERIFY(QFile::remove(paths[4]));
        m.OpenRecentFile(QFileInfo(paths[4]).absoluteFilePath());
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QVERIFY(h.Op().Shown()[0].text.find("Файл не найден") == 0);
        QVERIFY(!MainWindow::RecentFiles().contains(QFileInfo(paths[4]).absoluteFilePath()));
        QCOMPARE(m.CurFile(), recent[1]);
    }

    // `lum08 FILE.lum`: the password first, then the file in file mode; a file that is no
    // configuration is refused with the reason and nothing is opened.
    void fileOnTheCommandLine_data() {
        QTest::addColumn<bool>("configuration");
        QTest::newRow("configuration file") << true;
        QTest::newRow("not a configuration") << false;
    }
    void fileOnTheCommandLine() {
        QFETCH(bool, configuration);
        QString path = WriteConfigFile(dir_.path(), "start.lum");
        if (!configuration) {
            path = QDir(dir_.path()).filePath("notes.lum");
            QVERIFY(ReplaceFileAtomically(path, std::vector<uint8_t>(40, 'x')));
        }
        bool asked = false;
        QString refusal;
        QString mode;
        QTimer hand;
        hand.setInterval(10);
        connect(&hand, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->metaObject()->className() == QByteArray("PasswordDialog")) {
                QVERIFY(!asked);
                asked = true;
                auto* field = modal->findChild<QLineEdit*>();
                field->setText("9461");
                QTest::keyClick(field, Qt::Key_Return);
                return;
            }
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                refusal = box->text();
                box->accept();
                return;
            }
            if (!asked || modal)
                return;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* main = qobject_cast<MainWindow*>(w); main && main->isVisible()) {
                    if (configuration && !main->fileLabel->isVisible())
                        return;
                    if (!configuration && refusal.isEmpty())
                        return;
                    mode = main->fileLabel->isVisible() ? main->modificationEdit->text() : "-";
                    main->close();
                }
        });
        hand.start();
        auto* app = static_cast<QApplication*>(QCoreApplication::instance());
        QCOMPARE(RunProgram(*app, path), 0);
        QVERIFY(asked);
        if (configuration) {
            QCOMPARE(mode, QString("1020000000000000"));
            QVERIFY(refusal.isEmpty());
        } else {
            QCOMPARE(mode, QString("-"));
            QVERIFY2(refusal.contains(U("это не файл конфигурации")), qPrintable(refusal));
        }
    }
};

QTEST_MAIN(TestGuide)
#include "tst_guide.moc"
