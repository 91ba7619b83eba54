// Operator journeys through the real main window: the toolkit's own file dialog with the name
// typed into its field, real keys and clicks during exchanges, and the line as operators meet
// it. They catch what the file and modal hooks of the other window tests hide.

#include "app/configurationdialog.h"
#include "app/historywindow.h"
#include "app/mainwindow.h"
#include "dialogs/commandrun.h"
#include "dialogs/exchangeprogress.h"
#include "dialogs/explicitchoice.h"
#include "emu/faults.h"
#include "guisupport/guiharness.h"
#include "link/frameobserver.h"
#include "model/configfile.h"
#include "model/moduleconfig.h"
#include "platform/devicehistory.h"
#include "platform/qtserialline.h"
#include "scheme/schemeeditor.h"
#include "support/testfaults.h"
#include "words/linkwords.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <deque>
#include <map>

namespace {

// Types name into the next toolkit file dialog and accepts it, as the operator would. An
// unexpected box of the toolkit's own (an overwrite question, "file not found") is recorded
// and closed, so that the test fails instead of hanging.
class FileDialogDriver {
public:
    void TypeNext(const QString& name) {
        names_.push_back(name);
        if (names_.size() == 1)
            QTimer::singleShot(0, &context_, [this] { Drive(0); });
    }
    QStringList unexpected;
    // Where each dialog started: its folder and the name in its field.
    QStringList startFolders;
    QStringList startNames;

private:
    void Drive(int tries) {
        if (names_.empty())
            return;
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog || dialog == last_) {
            if (qobject_cast<QMessageBox*>(modal)) { // the toolkit's own question
                unexpected << modal->windowTitle();
                modal->close();
            }
            if (tries < 100)
                QTimer::singleShot(20, &context_, [this, tries] { Drive(tries + 1); });
            return;
        }
        last_ = dialog;
        startFolders << dialog->directory().path();
        auto* field = dialog->findChild<QLineEdit*>("fileNameEdit");
        startNames << (field ? field->text() : QString("?"));
        const QString name = names_.front();
        names_.pop_front();
        Accept(*dialog, name);
        if (!names_.empty())
            QTimer::singleShot(20, &context_, [this] { Drive(0); });
    }

    void Accept(QFileDialog& dialog, const QString& name) {
        auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
        auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
        if (!edit || !buttons) {
            dialog.reject();
            return;
        }
        // The operator goes to the folder, then types the name and presses the button.
        if (QFileInfo(dialog.directory().path()) != QFileInfo(QFileInfo(name).absolutePath()))
            dialog.setDirectory(QFileInfo(name).absolutePath());
        edit->clear();
        QTest::keyClicks(edit, QFileInfo(name).fileName());
        if (QCompleter* completer = edit->completer(); completer && completer->popup())
            completer->popup()->hide();
        // The typed name, made sure of: offscreen, the folder is read in the background and
        // the list's selection may still be catching up with the typing. The dialog's own
        // accept (what its button calls) then checks the name.
        dialog.selectFile(QFileInfo(name).fileName());
        QMetaObject::invokeMethod(&dialog, "accept");
        if (QWidget* box = QApplication::activeModalWidget(); qobject_cast<QMessageBox*>(box)) {
            unexpected << box->windowTitle();
            box->close();
        }
        if (dialog.isVisible())
            dialog.reject();
    }

    std::deque<QString> names_;
    QPointer<QFileDialog> last_;
    QObject context_; // its timers go with the driver
};

// The main window with the real file dialog instead of the test hook.
void UseRealFileDialog(GuiHarness& h) {
    h.Main().SetFileDialogHook(nullptr);
    h.Main().UseQtFileDialog(true);
    h.GrantAccess(1);
}

// The save dialog answered by the hook, the open dialog by the toolkit's own: offscreen, the
// toolkit's save dialog preset to a whole path takes no typed name.
void SaveThroughHook(GuiHarness& h, const QString& name) {
    h.Main().SetFileDialogHook([&h, name](const FileDialogRequest& request) {
        const QString answer = request.save ? name : QString();
        h.Main().SetFileDialogHook(nullptr); // this function ends here
        return answer;
    });
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A configuration file of two modules with every byte of the records known.
QByteArray TwoModuleFile() {
    const std::array<uint8_t, 17> config{2, 1, 0, 0, 2};
    const auto bytes = MakeCreatedConfigFile(config);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

QByteArray Records(MainWindow& m) {
    return QByteArray(reinterpret_cast<const char*>(m.Program().Records), 108);
}

// Opens path through the real dialog and makes an unsaved edit, as the inputs table would.
void OpenAndEdit(GuiHarness& h, FileDialogDriver& files, const QString& path) {
    files.TypeNext(path);
    h.Main().OpenFileClick();
    QVERIFY(h.Main().Document().IsFileMode());
    h.Main().Program().PutDelay(0, 33);
}

// The main window on the screen, past the password prompt that its first showing brings.
void Show(GuiHarness& h) {
    h.OnModal([](QDialog& d) { d.reject(); });
    h.Main().show();
    QApplication::processEvents();
    h.GrantAccess(1);
    h.Op().Clear();
}

void PostKey(QWidget* to, Qt::Key key) {
    QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

int Requests(GuiHarness& h) {
    return int(h.Fake().Written().size());
}

} // namespace

class TestJourneys : public QObject {
    Q_OBJECT

private slots:
    // The toolkit's dialog keeps its last folder in the user's settings: not in the real ones.
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path())); }
    void init() {
        QVERIFY(dir_.isValid());
        QDir(DeviceHistory::Folder()).removeRecursively();
    }

    // A new name is taken, an existing one is asked about by the program alone, and the file
    // is then open with its name in the caption.
    void createTakesANewName() {
        GuiHarness h;
        UseRealFileDialog(h);
        FileDialogDriver files;
        const QString path = dir_.filePath("new.lum");
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<ConfigurationDialog&>(d);
            dialog.typeBoxes[0]->setCurrentIndex(1);
            emit dialog.typeBoxes[0]->activated(1);
            dialog.addressEdits[0]->setText("0");
            Click(dialog.OK);
        });
        files.TypeNext(path);
        h.Main().CreateFileClick();
        QVERIFY2(files.unexpected.isEmpty(), qPrintable(files.unexpected.join(", ")));
        QCOMPARE(ReadAll(path).size(), ConfigFile::Size);
        QVERIFY(h.Op().Saw("Создан файл конфигурации " + path.toStdString()));
        QVERIFY(h.Main().fileLabel->text().endsWith(path));

        // Again under the same name: only the program's own question, answered No.
        h.OnModal([](QDialog& d) { Click(static_cast<ConfigurationDialog&>(d).OK); });
        h.Op().Answer(MsgButton::No);
        files.TypeNext(path);
        h.Main().CreateFileClick();
        QVERIFY2(files.unexpected.isEmpty(), qPrintable(files.unexpected.join(", ")));
        QVERIFY(h.Op().Saw("Файл с таким именем существует.\nСоздать его заново?"));
    }

    // Unsaved file edits meet the close query's question before any command replaces them.
    void editsAreAskedForBeforeTheyAreReplaced_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("kept"); // the edits still in the window, still unsaved
        QTest::newRow("F3, Отмена") << "open" << int(MsgButton::Cancel) << true;
        QTest::newRow("create, Отмена") << "create" << int(MsgButton::Cancel) << true;
        QTest::newRow("F9, Отмена") << "read" << int(MsgButton::Cancel) << true;
        QTest::newRow("close, save fails") << "close" << int(MsgButton::Yes) << true;
        QTest::newRow("F9, Нет") << "read" << int(MsgButton::No) << false;
        QTest::newRow("F3, Да") << "open" << int(MsgButton::Yes) << false;
    }
    void editsAreAskedForBeforeTheyAreReplaced() {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, kept);
        GuiHarness h;
        UseRealFileDialog(h);
        FileDialogDriver files;
        const QString path = dir_.filePath("device.lum");
        WriteAll(path, TwoModuleFile());
        OpenAndEdit(h, files, path);
        MainWindow& m = h.Main();
        const QByteArray edited = Records(m);
        h.Op().Clear();
        h.Op().Answer(MsgButton(answer));
        const QString savedAs = dir_.filePath("saved.lum");
        if (command == "close") {
            SaveThroughHook(h, "/proc/saved.lum"); // a folder where no file can be made
            QVERIFY(!m.close());
        } else if (command == "open") {
            if (MsgButton(answer) == MsgButton::Yes)
                SaveThroughHook(h, savedAs); // the save comes first
            files.TypeNext(path);
            m.OpenFileClick();
        } else if (command == "create") {
            m.CreateFileClick();
        } else {
            m.ReadDeviceClick();
        }
        QVERIFY(!h.Op().Shown().empty());
        const OperatorMessage& asked = h.Op().Shown().front();
        QCOMPARE(asked.text, std::string("Данные были изменены. Сохранить в файле?"));
        QCOMPARE(asked.caption, std::string("Подтвердите запись в файл"));
        if (command != "close")
            QCOMPARE(asked.buttons.size(), size_t(3));
        QVERIFY2(files.unexpected.isEmpty(), qPrintable(files.unexpected.join(", ")));
        QCOMPARE(Records(m) == edited, kept);
        QCOMPARE(m.Document().IsFileMode() && m.Document().Changed(), kept);
        if (command == "open" && MsgButton(answer) == MsgButton::Yes)
            QCOMPARE(ReadAll(savedAs).mid(18, 108), edited);
    }

    // Bytes that are plainly no configuration are refused with the reason; unknown module codes
    // open with a warning that names their slots.
    void filesThatAreNoConfiguration() {
        GuiHarness h;
        UseRealFileDialog(h);
        FileDialogDriver files;
        const QString garbage = dir_.filePath("garbage.lum");
        QByteArray bytes(ConfigFile::Size, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 167 + 0xD7) & 0xFF);
        bytes[1] = char(0xD7);
        WriteAll(garbage, bytes);
        files.TypeNext(garbage);
        h.Main().OpenFileClick();
        QCOMPARE(h.Op().LastText(), "Файл не удается открыть:\n" + garbage.toStdString() +
                                        "\nмодулей 215, а в приборе их от 1 до 6, это не файл "
                                        "конфигурации");
        QVERIFY(!h.Main().Document().IsFileMode());

        QByteArray newer = TwoModuleFile();
        newer[ConfigFile::OffConfig] = 3;
        newer[ConfigFile::OffConfig + 1 + 5] = char(0x2E);
        const QString path = dir_.filePath("newer.lum");
        WriteAll(path, newer);
        files.TypeNext(path);
        h.Main().OpenFileClick();
        QVERIFY(h.Main().Document().IsFileMode());
        QCOMPARE(h.Op().Shown().back().caption, std::string("Предупреждение"));
        QVERIFY(h.Op().LastText().find("слоты 5") != std::string::npos);
    }

    // After "Сохранить как ..." the caption names the file later saves go to.
    void saveAsRenamesTheCaption() {
        GuiHarness h;
        UseRealFileDialog(h);
        FileDialogDriver files;
        const QString first = dir_.filePath("first.lum");
        WriteAll(first, TwoModuleFile());
        OpenAndEdit(h, files, first);
        SaveThroughHook(h, dir_.filePath("second"));
        h.Main().SaveFileClick();
        const QString second = dir_.filePath("second.lum");
        QCOMPARE(ReadAll(second).size(), ConfigFile::Size);
        QVERIFY(h.Main().fileLabel->text().endsWith(second));
        QVERIFY(!h.Changed());
    }

    // A back-up opened from "История прибора", a label edited, and the close's "Сохранить в
    // файле?" answered Да: the save dialog starts outside the history with no name, the
    // back-up's own name is refused, and the edits go to a new file. The back-up stays what
    // the device held.
    void aBackUpIsNeverSavedOver() {
        GuiHarness h;
        UseRealFileDialog(h);
        FileDialogDriver files;
        MainWindow& m = h.Main();
        h.ReadDevice();
        m.Program().PutDelay(7, 10);
        m.WriteDeviceClick();
        const auto list = DeviceHistory::List();
        QCOMPARE(int(list.size()), 1);
        const QString backup = list[0].path;
        const QByteArray kept = ReadAll(backup);
        QVERIFY(!(QFileInfo(backup).permissions() & QFile::WriteOwner));
        h.OnModal([](QDialog& d) { Click(static_cast<HistoryWindow&>(d).Open); });
        m.HistoryClick();
        QCOMPARE(m.CurFile(), backup);
        m.Modules().PutLabel("Pump 1", 0);

        h.Op().Clear();
        for (MsgButton answer : {MsgButton::Yes, MsgButton::Ok, MsgButton::No})
            h.Op().Answer(answer);
        const QString copy = dir_.filePath("pump.lum");
        files.TypeNext(backup);
        files.TypeNext(copy);
        QVERIFY(m.close());
        QVERIFY2(files.unexpected.isEmpty(), qPrintable(files.unexpected.join(", ")));
        QCOMPARE(files.startFolders.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QVERIFY(QFileInfo(files.startFolders[i]) != QFileInfo(DeviceHistory::Folder()));
            QCOMPARE(files.startNames[i], QString());
        }
        QVERIFY(h.Op().Saw("Это папка истории прибора: резервные копии в ней не заменяются.\n"
                           "Сохраните данные в файле другой папки."));
        QVERIFY(!h.Op().Saw("Файл с таким именем существует.\nЗаменить?"));
        QCOMPARE(ReadAll(backup), kept);
        QCOMPARE(ReadAll(copy).mid(ConfigFile::OffLabels, 6), QByteArray("Pump 1"));
        QCOMPARE(m.CurFile(), copy);
        QCOMPARE(int(DeviceHistory::List().size()), 1);
    }

    // A read that stopped part-way leaves the later modules unknown: F10 names the first one
    // and sends nothing at all.
    void writeRefusesRecordsNeverRead() {
        GuiHarness h;
        h.GrantAccess(1);
        h.Fake().SetResponder([&h](const FakeLine::Bytes& request) {
            // Module 2's block is never answered.
            if (request.size() > 2 && request[1] == 68 && request[2] == 2)
                return FakeLine::Bytes();
            return h.Device().Handle(request);
        });
        h.ReadDevice();
        QVERIFY(h.Op().LastText().find("не отвечает на запрос") != std::string::npos);
        h.Op().Clear();
        const int before = Requests(h);
        h.Main().WriteDeviceClick();
        QCOMPARE(Requests(h), before);
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QVERIFY2(h.Op().LastText().rfind("Программа модуля 2 не прочитана", 0) == 0,
                 h.Op().LastText().c_str());
    }

    // Keys pressed during a write find its commands greyed and start nothing, then or after;
    // the progress shows the share of the blocks and the status bar what was done.
    void inputDuringAWriteIsDropped() {
        GuiHarness h;
        Show(h);
        MainWindow& m = h.Main();
        h.ReadDevice();
        QVERIFY(m.statusBar()->currentMessage().startsWith("Прочитано: 2 модуля, "));
        m.Program().PutDelay(0, 21); // an edit the device does not hold yet
        QList<int> shares;
        connect(m.progressBar, &QProgressBar::valueChanged, [&](int v) { shares << v; });
        const int before = Requests(h);
        for (Qt::Key key : {Qt::Key_F9, Qt::Key_F10, Qt::Key_F10})
            PostKey(&m, key);
        m.WriteDeviceClick();
        QApplication::processEvents();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        // The back-up's configuration request (which also checks the modules) and one write of
        // each block: neither F9's read nor a second F10 came after.
        std::map<int, int> functions;
        for (size_t i = size_t(before); i < h.Fake().Written().size(); ++i)
            ++functions[h.Fake().Written()[i][1]];
        QCOMPARE(functions[17], 1);
        QCOMPARE(functions[69], 3);
        QCOMPARE(shares.last(), 100);
        QVERIFY(std::is_sorted(shares.begin(), shares.end()) && shares.size() > 5);
        QVERIFY(m.statusBar()->currentMessage().startsWith(
            "Записано в прибор 1: 2 модуля и сетевые блоки, "));
        QVERIFY(m.progressBar->isHidden() && m.stopButton->isHidden());
    }

    // Esc or "Стоп" during a silent device's exchange: no request after the stop, and the
    // operator is told what the device now holds.
    void stopEndsTheCommandAtTheNextRequest_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("Стоп") << "Стоп";
        QTest::newRow("close") << "close";
    }
    void stopEndsTheCommandAtTheNextRequest() {
        QFETCH(QString, how);
        GuiHarness h;
        Show(h);
        MainWindow& m = h.Main();
        h.ReadDevice();
        h.Op().Clear();
        const int before = Requests(h);
        bool silent = true;
        h.Fake().SetResponder([&h, &silent](const FakeLine::Bytes& r) {
            h.TakeTurn();
            return silent ? FakeLine::Bytes() : h.Device().Handle(r);
        });
        bool stayed = false;
        h.DuringNextRequest([&] {
            if (how == "Стоп")
                QTest::mouseClick(m.stopButton, Qt::LeftButton);
            else if (how == "Esc")
                QTest::keyClick(&m, Qt::Key_Escape);
            else // the window's close during a command is its stop; the window stays
                stayed = !m.close() && m.isVisible();
        });
        m.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m));
        m.WriteDeviceClick();
        // The back-up read's first request was sent and not answered; nothing went out after
        // the stop, and nothing is asked.
        QCOMPARE(Requests(h) - before, 1);
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().LastText(),
                 std::string("Обмен прерван оператором\nВ прибор ничего не записано."));
        QCOMPARE(stayed, how == "close");

        // The device answers again: the next command is not stopped by the last one's stop.
        silent = false;
        h.Op().Clear();
        h.ReadDevice();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
    }

    // The scheme editor's "Стоп" while a silent device keeps the module's block unanswered:
    // nothing goes out after the stop, the operator learns the block went but was not
    // confirmed, and the edit stays to be sent again.
    void schemeEditorStopAfterTheSend() {
        GuiHarness h;
        Show(h);
        MainWindow& m = h.Main();
        h.ReadDevice();
        h.Op().Clear();
        QWidget* stop = nullptr;
        h.Fake().SetResponder([&](const FakeLine::Bytes& request) {
            // At the block's write: a click as the system delivers it, to the window first,
            // which hands it on.
            if (stop && request.size() > 1 && request[1] == 69)
                h.OnWindowsThread([&] {
                    QTest::mouseClick(stop->window()->windowHandle(), Qt::LeftButton, {},
                                      stop->mapTo(stop->window(), stop->rect().center()));
                });
            return h.Device().Handle(request);
        });
        int afterWrite = -1;
        bool checked = false;
        h.OnModal([&](QDialog& d) {
            auto& editor = static_cast<SchemeEditor&>(d);
            editor.show();
            QApplication::processEvents();
            m.Program().PutDelay(8, 9);
            // Silent from the write on, after the back-up's four reads.
            h.Device().AddFault(SilentFrom(h.Device().RequestCount() + 5));
            stop = editor.Progress->StopButton();
            const int before = Requests(h);
            editor.WriteDeviceClick();
            stop = nullptr;
            afterWrite = Requests(h) - before;
            QVERIFY(h.ModuleChanged(1));
            QVERIFY(editor.progressBar->isHidden() && editor.Progress->StopButton()->isHidden());
            h.Op().Answer(MsgButton::No);
            editor.CloseWith(mr::Cancel);
            checked = true;
        });
        m.OpenSchemeClick(2);
        QVERIFY(checked);
        QCOMPARE(afterWrite, 5); // the back-up's four reads and the write: no repeat, no poll
        QCOMPARE(h.Op().Shown().at(0).text,
                 std::string("Обмен прерван оператором\n"
                             "Модуль 2 передан, но прибор не подтвердил его запись."));
    }

    // Over "Изм. № устр." the wheel and the arrow keys send nothing; a click on an item of the
    // open list does.
    void busNumberOnlyByExplicitChoice() {
        GuiHarness h;
        Show(h);
        MainWindow& m = h.Main();
        QComboBox* box = m.newNumberBox;
        const QPointF at(box->width() / 2.0, box->height() / 2.0);
        QWheelEvent wheel(at, box->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_5);
        QCOMPARE(Requests(h), 0);
        QCOMPARE(box->currentIndex(), 0);

        // Alt+Down opens the list; there the arrows move and Enter chooses.
        QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(box->view()->isVisible());
        QAbstractItemView* list = box->view();
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_COMPARE(m.Modules().BusNumber, 4);
        QVERIFY(Requests(h) > 0);
    }

    // A port another program holds is refused with the reason, and the program goes on.
    void aPortInUseIsNamedAndTheProgramGoesOn() {
        GuiHarness h(GuiHarness::Line::Pty);
        Show(h);
        MainWindow& m = h.Main();
        const std::string path = m.Engine().PortName;
        QtSerialLine other;
        LineSettings settings;
        settings.portName = path;
        ClosePort(m);
        QVERIFY(other.open(settings));
        QCOMPARE(ApplyPortSettings(m), -1);
        ReportError(m.Engine(), 0, ResultCode::PortCannotOpen);
        QCOMPARE(h.Op().LastText(), " невозможно открыть последовательный порт \n" + path +
                                        ": порт занят другой программой");
        QApplication::processEvents();
        QVERIFY(m.isVisible());
        other.close();
        QCOMPARE(ApplyPortSettings(m), 0);
    }

private:
    QTemporaryDir config_;
    QTemporaryDir dir_;
};

QTEST_MAIN(TestJourneys)
#include "tst_journeys.moc"
