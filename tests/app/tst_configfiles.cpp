// Configuration files from the main window: create through the configuration dialog, open,
// save as, and the questions when the main window closes.

#include "app/configurationdialog.h"
#include "dialogs/fieldcheck.h"
#include "guisupport/guiharness.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Fills the configuration dialog: (type index, address text) per row, then OK.
void FillConfig(GuiHarness& h, const std::vector<std::pair<int, QString>>& rows) {
    h.OnModal([rows](QDialog& d) {
        auto& dialog = static_cast<ConfigurationDialog&>(d);
        for (size_t r = 0; r < rows.size(); ++r) {
            dialog.typeBoxes[r]->setCurrentIndex(rows[r].first);
            emit dialog.typeBoxes[r]->activated(rows[r].first);
            dialog.addressEdits[r]->setText(rows[r].second);
        }
        Click(dialog.OK);
    });
}
} // namespace

class TestConfigFiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString Path(const char* name) const { return dir_.filePath(name); }

private slots:
    void configDialogBuildsTheConfiguration() {
        GuiHarness h;
        ConfigurationDialog dialog(h.Main(), &h.Main());
        dialog.Prepare();
        FillConfig(h, {{1, "0"}, {0, "99"}, {2, "3"}});
        QCOMPARE(h.Main().showModal(dialog), ConfigurationDialog::Accepted);
        const std::array<uint8_t, 17> expected{2, 1, 0, 0, 2};
        QCOMPARE(dialog.Result(), expected);
        QCOMPARE(dialog.ModificationCode(), QString("1002000000000000"));
        QVERIFY(h.Op().Shown().empty());
    }

    void configDialogAddressRange_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("15") << "15" << true;
        QTest::newRow("16") << "16" << false;
        QTest::newRow("empty") << "" << false;
    }
    void configDialogAddressRange() {
        QFETCH(QString, address);
        QFETCH(bool, accepted);
        GuiHarness h;
        ConfigurationDialog dialog(h.Main(), &h.Main());
        dialog.Prepare();
        h.Op().Answer(MsgButton::No); // give up? No: keep the entries
        h.OnModal([&](QDialog& d) {
            auto& c = static_cast<ConfigurationDialog&>(d);
            c.typeBoxes[0]->setCurrentIndex(2);
            emit c.typeBoxes[0]->activated(2);
            c.addressEdits[0]->setText(address);
            Click(c.OK);
            QCOMPARE(c.isVisible(), !accepted);
            if (!accepted) {
                QCOMPARE(c.errorMarker->text(), address.isEmpty()
                                                    ? U(" Ошибка ввода ")
                                                    : U("Величина вне диапазона 0 - 15"));
                QCOMPARE(c.addressEdits[0]->text(), address); // kept for correction
                QCOMPARE(c.typeBoxes[0]->currentIndex(), 2);
            }
        });
        h.Main().showModal(dialog);
        QCOMPARE(h.Op().Saw("Ошибка создания конфигурации \nЗакончить?"), !accepted);
    }

    void createdFilesHoldTheDefaults_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("records");
        const QByteArray mlv = QByteArray::fromHex("A6C500").repeated(6);
        const QByteArray msu = QByteArray::fromHex("A2C000A2C000A2C000A6C500A6C500A2C000");
        QTest::newRow("МЛВ") << 1 << mlv;
        QTest::newRow("МСЮ") << 2 << msu;
    }
    void createdFilesHoldTheDefaults() {
        QFETCH(int, type);
        QFETCH(QByteArray, records);
        GuiHarness h;
        FillConfig(h, {{type, "0"}});
        if (QFile::exists(Path("created.lum")))
            h.Op().Answer(MsgButton::Yes); // "Создать его заново?"
        h.OnFileDialog(Path("created"));
        h.Main().CreateFileClick();
        QVERIFY(h.Op().Saw("Создан файл конфигурации " + Path("created.lum").toStdString()));
        QCOMPARE(h.FileRequests().back().title, U("Создание файла конфигурации"));
        QCOMPARE(h.FileRequests().back().fileName, QString::number(type) + QString(15, '0'));
        const QByteArray file = ReadAll(Path("created.lum"));
        QCOMPARE(file.size(), 712);
        QCOMPARE(file.mid(0, 3),
                 QByteArray::fromHex("000100").replace(2, 1, QByteArray(1, char(type))));
        QCOMPARE(file.mid(18, 18), records);
        QCOMPARE(file.mid(36, 90), QByteArray::fromHex("200000").repeated(30));
        QCOMPARE(file.mid(126, 82), QByteArray(82, '\0'));
        QCOMPARE(file.mid(208, 14), QByteArray("\xC4\xE8\xF1\xEA\xF0.\xF1\xE8\xE3\xED.001"));
        QCOMPARE(file.mid(208 + 35 * 14, 14),
                 QByteArray("\xC4\xE8\xF1\xEA\xF0.\xF1\xE8\xE3\xED.036"));
        // The new file is open: file mode, the table shows it.
        MainWindow& m = h.Main();
        QVERIFY(m.Document().IsFileMode());
        QVERIFY(m.fileLabel->isVisible() || !m.isVisible());
        QCOMPARE(m.fileLabel->text(), U("Режим работы с файлом ") + Path("created.lum"));
        // The same row as after reading a device: an "МЛВ" has no program of its own.
        QCOMPARE(m.programButtons[0]->text(), type == 1 ? U("нет") : U("программ."));
        QCOMPARE(m.programButtons[0]->isEnabled(), type == 2);
        QVERIFY(m.inputsTableButton->isEnabled() && !m.clockButton->isEnabled());
    }

    void saveOpenSaveIsIdenticalButForByteZero() {
        GuiHarness h;
        h.ReadDevice();
        MainWindow& m = h.Main();
        m.Program().PutDelay(3, 17);
        m.Modules().PutLabel("abc", 5);
        h.OnFileDialog(Path("first"));
        m.SaveFileClick();
        const QByteArray first = ReadAll(Path("first.lum"));
        QCOMPARE(first.size(), 712);
        h.OnFileDialog(Path("first.lum"));
        m.OpenFileClick();
        QVERIFY(m.Document().IsFileMode());
        m.Modules().PutNewBusNumber(9);
        h.OnFileDialog(Path("second.lum"));
        m.SaveFileClick();
        const QByteArray second = ReadAll(Path("second.lum"));
        QCOMPARE(second.size(), 712);
        QCOMPARE(int(second[0]), 9);
        QCOMPARE(first.mid(1), second.mid(1));
    }

    void saveExtensionRulesAndReplaceQuestion() {
        GuiHarness h;
        MainWindow& m = h.Main();
        QFile::remove(Path("keep.lum"));
        h.OnFileDialog(Path("report.txt"));
        h.OnFileDialog(Path("keep"));
        m.SaveFileClick();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text, std::string("Неверно задано имя файла"));
        QCOMPARE(h.Op().Shown()[0].caption, std::string("Cохранение данных в файл"));
        QVERIFY(!QFile::exists(Path("report.txt")));
        QCOMPARE(ReadAll(Path("keep.lum")).size(), 712);
        QCOMPARE(h.FileRequests().size(), size_t(2));

        // An existing name: No brings the dialog back, Yes replaces.
        QFile f(Path("old.lum"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
        f.close();
        h.Op().Answer(MsgButton::No);
        h.OnFileDialog(Path("old.lum"));
        h.OnFileDialog(QString()); // then cancelled
        m.SaveFileClick();
        QVERIFY(h.Op().Saw("Файл с таким именем существует.\nЗаменить?"));
        QCOMPARE(ReadAll(Path("old.lum")), QByteArray("old"));
        h.Op().Answer(MsgButton::Yes);
        h.OnFileDialog(Path("old.lum"));
        m.SaveFileClick();
        QCOMPARE(ReadAll(Path("old.lum")).size(), 712);
    }

    void shortFileIsRefusedAndNothingChanges() {
        GuiHarness h;
        h.ReadDevice();
        MainWindow& m = h.Main();
        QFile f(Path("short.lum"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(711, '\x01'));
        f.close();
        const QByteArray before(reinterpret_cast<const char*>(m.Program().Records), 108);
        h.OnFileDialog(Path("short.lum"));
        m.OpenFileClick();
        // The message names the file and the reason, as lum08-cli does.
        QCOMPARE(h.Op().LastText(), "Файл не удается открыть:\n" +
                                        QDir::toNativeSeparators(Path("short.lum")).toStdString() +
                                        "\n711 байт вместо 712, это не файл конфигурации");
        QCOMPARE(h.Op().Shown().back().caption, std::string("Открытие файла"));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(m.Program().Records), 108), before);
        QCOMPARE(m.Modules().ModuleCount, 2);
        QVERIFY(!m.Document().IsFileMode());
        QCOMPARE(m.modificationEdit->text(), QString("1002000000000000"));
        QVERIFY(m.CurFile().isEmpty());
    }

    void failedSaveKeepsTheOldFile() {
        GuiHarness h;
        // A name of the longest length a folder takes leaves no room for the temporary file
        // the save writes first, so the save fails even for a user who may write anywhere.
        const QString path = dir_.filePath(QString(251, 'n') + ".lum");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("previous");
        f.close();
        h.Op().Answer(MsgButton::Yes);
        h.OnFileDialog(path);
        h.Main().SaveFileClick();
        QCOMPARE(h.Op().LastText(), std::string("Файл  не удается создать"));
        QCOMPARE(h.Op().Shown().back().caption, std::string("Создание файла"));
        QCOMPARE(ReadAll(path), QByteArray("previous"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files).filter(QString(200, 'n')).size(), 1);
    }

    void closeQuestions() {
        GuiHarness h;
        MainWindow& m = h.Main();
        // Not in file mode: nothing is asked.
        m.CanCloseMainWindow();
        QVERIFY(h.Op().Shown().empty());
        FillConfig(h, {{1, "0"}});
        h.OnFileDialog(Path("closing"));
        m.CreateFileClick();
        h.Op().Clear();
        m.CanCloseMainWindow(); // file mode without changes
        QVERIFY(h.Op().Shown().empty());

        h.EditModule();
        h.GrantAccess(0);
        h.Op().Answer(MsgButton::No);
        m.CanCloseMainWindow();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text, std::string("Данные были изменены. Сохранить в файле?"));
        QCOMPARE(h.Op().Shown()[0].caption, std::string("Подтвердите запись в файл"));

        h.Op().Clear();
        h.GrantAccess(1);
        h.Op().Answer(MsgButton::No);
        h.Op().Answer(MsgButton::No);
        m.CanCloseMainWindow();
        QCOMPARE(h.Op().Shown().size(), size_t(2));
        QCOMPARE(h.Op().Shown()[1].text, std::string("Данные были изменены. Передать в прибор?"));
        QVERIFY(!m.Engine().IsOpen()); // closing in file mode closes the port
    }
};

QTEST_MAIN(TestConfigFiles)
#include "tst_configfiles.moc"
