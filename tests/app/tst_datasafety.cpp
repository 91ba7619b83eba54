// Nothing lost when a save fails: the configuration file save (F2) and the password change,
// interrupted at every byte by a file size limit (a disk that fills up; the limit holds for root
// as well), by a name whose temporary companion cannot be made, and by a folder that may not be
// written, leave the previous file byte for byte as it was, leave no stray file behind, and say
// so. And no code of the program opens a plain file for writing under its final name.

#include "app/passworddialog.h"
#include "guisupport/guiharness.h"
#include "model/configfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Files written beyond `bytes` fail (EFBIG) for as long as the object lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending us
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldSignal_)(int) = SIG_DFL;
    bool ok_ = false;
};

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<cannot be read>");
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A previous configuration file: every byte known, none like the model's.
QByteArray OldConfigFile() {
    QByteArray bytes(ConfigFile::Size, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(0xA5 ^ (i * 13));
    return bytes;
}

void ChangePassword(GuiHarness& h, const QString& entry) {
    h.OnModal([entry](QDialog& d) {
        auto& dialog = static_cast<PasswordDialog&>(d);
        Part<QLineEdit>(dialog, "passwordEdit")->setText(entry);
        QTest::keyClick(Part<QLineEdit>(dialog, "passwordEdit"), Qt::Key_Return);
    });
    h.Main().ChangePasswordClick(); // "Будете менять пароль?" is answered Yes by default
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

} // namespace

class TestDataSafety : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString oldDir_;

    // Saves the model (read from the emulated device) over `path` with F2's command.
    void Save(GuiHarness& h, const QString& path) {
        if (QFile::exists(path))
            h.Op().Answer(MsgButton::Yes); // "Заменить?"
        h.OnFileDialog(path);
        h.Main().SaveFileClick();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        oldDir_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(oldDir_); }

    void configSaveCutAtEveryByte() {
        QTemporaryDir folder;
        const QString path = folder.filePath("old.lum");
        WriteAll(path, OldConfigFile());
        GuiHarness h;
        h.ReadDevice();
        h.SetFileMode(path);
        h.EditModule();
        for (int limit = 0; limit < ConfigFile::Size; ++limit) {
            h.Op().Clear();
            {
                FileSizeLimit cut{rlim_t(limit)};
                QVERIFY(cut.Ok());
                Save(h, path);
            }
            QCOMPARE(h.Op().LastText(), std::string("Файл  не удается создать"));
            QCOMPARE(h.Op().Shown().back().caption, std::string("Создание файла"));
            QVERIFY2(ReadAll(path) == OldConfigFile(), qPrintable(QString::number(limit)));
            QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{"old.lum"});
            QVERIFY(h.Changed()); // still offered for saving
        }
        // With room on the disk the same save goes through.
        h.Op().Clear();
        Save(h, path);
        QCOMPARE(h.Op().Shown().size(), size_t(1)); // only "replace?"
        const QByteArray saved = ReadAll(path);
        QCOMPARE(saved.size(), ConfigFile::Size);
        QVERIFY(saved != OldConfigFile());
        QVERIFY(!h.Changed());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.lum"});
    }

    void configSaveWithoutRoomForTheTemporaryFile() {
        QTemporaryDir folder;
        // The longest name a folder entry may have: the temporary file beside it cannot be named.
        const QString name = QString(251, QChar('c')) + ".lum";
        const QString path = folder.filePath(name);
        WriteAll(path, OldConfigFile());
        GuiHarness h;
        h.ReadDevice();
        Save(h, path);
        QCOMPARE(h.Op().LastText(), std::string("Файл  не удается создать"));
        QVERIFY(ReadAll(path) == OldConfigFile());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    }

    void configSaveIntoAFolderThatMayNotBeWritten() {
        if (RunningAsRoot())
            QSKIP("root writes into any folder; the size limit cases stand for this one");
        QTemporaryDir folder;
        const QString path = folder.filePath("old.lum");
        WriteAll(path, OldConfigFile());
        QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
        GuiHarness h;
        h.ReadDevice();
        Save(h, path);
        QFile::setPermissions(folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(h.Op().LastText(), std::string("Файл  не удается создать"));
        QVERIFY(ReadAll(path) == OldConfigFile());
    }

    void passwordChangeCutAtEveryByte() {
        const QByteArray old("\x39\x30", 2); // 12345
        WriteAll(PasswordDialog::PasswordFilePath(), old);
        GuiHarness h;
        h.GrantAccess(1);
        for (int limit = 0; limit < 2; ++limit) {
            h.Op().Clear();
            {
                FileSizeLimit cut{rlim_t(limit)};
                QVERIFY(cut.Ok());
                ChangePassword(h, "777");
            }
            QCOMPARE(h.Op().LastText(), std::string("Файл не удается создать"));
            QCOMPARE(h.Op().Shown().back().caption, std::string("Ошибка"));
            QCOMPARE(ReadAll(PasswordDialog::PasswordFilePath()), old);
            QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden),
                     QStringList{PasswordDialog::PasswordFilePath()});
            QCOMPARE(h.Main().Access().passwordChange, 1); // the change did not happen
        }
        // The old password still opens the program; then the change goes through.
        h.Op().Clear();
        ChangePassword(h, "777");
        QVERIFY(h.Op().Saw("Пароль заменен!"));
        QCOMPARE(ReadAll(PasswordDialog::PasswordFilePath()), QByteArray("\x09\x03", 2));
        QCOMPARE(h.Main().Access().passwordChange, 0);
    }

    void passwordChangeInAFolderThatMayNotBeWritten() {
        if (RunningAsRoot())
            QSKIP("root writes into any folder; the size limit cases stand for this one");
        const QByteArray old("\x39\x30", 2);
        WriteAll(PasswordDialog::PasswordFilePath(), old);
        QVERIFY(QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner));
        GuiHarness h;
        h.GrantAccess(1);
        ChangePassword(h, "777");
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(h.Op().LastText(), std::string("Файл не удается создать"));
        QCOMPARE(ReadAll(PasswordDialog::PasswordFilePath()), old);
    }

    // Every file the program writes goes through a QSaveFile: a QFile is only ever read, and
    // no C or C++ stream writes files (the emulator's terminals are no files).
    void noPlainFileIsOpenedForWriting() {
        const QString src = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../../src";
        QVERIFY(QDir(src).exists());
        const QRegularExpression writeOpen(R"(\b(\w+)\.open\([^)]*(WriteOnly|ReadWrite|Append))");
        const QRegularExpression streams(R"(\bstd::o?fstream\b|\b(fopen|creat)\s*\()");
        int files = 0;
        int writes = 0;
        QDirIterator it(src, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.contains("/src/emuserver/"))
                continue;
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(f.readAll());
            ++files;
            QVERIFY2(!streams.match(text).hasMatch(), qPrintable(path));
            auto opens = writeOpen.globalMatch(text);
            while (opens.hasNext()) {
                const auto open = opens.next();
                // The type of the nearest declaration of that name before the call.
                const QRegularExpression declaration("\\b(\\w+)\\s+" + open.captured(1) +
                                                     R"(\s*[({;])");
                QString type;
                auto decls = declaration.globalMatch(text.left(open.capturedStart()));
                while (decls.hasNext())
                    type = decls.next().captured(1);
                QVERIFY2(type != "QFile", qPrintable(path + ": " + open.captured(0)));
                writes += type == "QSaveFile";
            }
        }
        QCOMPARE(writes, 1); // the file layer: every file goes through it
        QVERIFY(files > 20);
    }
};

QTEST_MAIN(TestDataSafety)
#include "tst_datasafety.moc"
