// lum08-cli end to end: the real program against emulators on pseudo-terminals.

#include "clirun.h"
#include "platform/qtserialline.h"
#include "support/emuprocess.h"
#include "support/qtcoreapp.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <tuple>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::vector<uint8_t> ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

QJsonObject Json(const CliRun& r) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

// The entry of the first device of a command's results.
QJsonObject FirstResult(const CliRun& r) {
    return Json(r)["results"].toArray()[0].toObject();
}

void WriteFile(const QString& path, const std::vector<uint8_t>& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

class CliTest : public ::testing::Test {
protected:
    void Start(EmuProcess& emu, const std::vector<std::string>& args) {
        std::vector<std::string> all = args;
        all.push_back("--no-register");
        std::string error;
        ASSERT_TRUE(emu.Start(all, &error)) << error;
    }
    CliRun Run(QStringList args, const QStringList& env = {}) { return RunCli(dir, args, env); }
    QStringList On(const EmuProcess& emu, int device) {
        return {"--port", Q(emu.Port()), "--device", QString::number(device)};
    }
    QString File(const char* name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

TEST_F(CliTest, ReadGivesTheDevicesImageAndNeverReplacesAFileUnasked) {
    EmuProcess emu;
    Start(emu, {"--address", "2", "--modules", "0:2,3:2"});
    ASSERT_TRUE(emu.Command("records 2 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 01 02 03"));
    CliRun r = Run(QStringList{"read", "--out", File("dev")} + On(emu, 2));
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, File("dev.lum").toStdString() + " 2 2002000000000000\n");
    const auto file = ReadFile(File("dev.lum"));
    const auto dump = emu.Dump();
    ASSERT_TRUE(dump);
    ASSERT_EQ(file.size(), 712u);
    // The program's own save after a read: the number byte, the configuration, the six record
    // groups, the network image, and labels the device does not keep.
    EXPECT_EQ(file[0], 1);
    EXPECT_TRUE(std::equal(dump->config.begin(), dump->config.end(), file.begin() + 1));
    for (int m = 0; m < 2; ++m)
        EXPECT_TRUE(std::equal(dump->blocks[size_t(m)].begin(), dump->blocks[size_t(m)].end(),
                               file.begin() + 18 + 18 * m));
    EXPECT_EQ(file[18 + 18], 0x11);
    EXPECT_TRUE(std::equal(dump->image.begin(), dump->image.end(), file.begin() + 126));
    EXPECT_TRUE(std::all_of(file.begin() + 208, file.end(), [](uint8_t b) { return b == 0; }));

    r = Run(QStringList{"read", "--out", File("dev.lum")} + On(emu, 2));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    r = Run(QStringList{"read", "--out", File("dev.txt")} + On(emu, 2));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("Неверно задано имя файла"), std::string::npos) << r.err;
}

TEST_F(CliTest, WriteNeedsThePasswordAndTheDevicesModulesThenStoresTheFile) {
    EmuProcess source;
    EmuProcess target;
    EmuProcess other;
    Start(source, {"--modules", "0:1,3:2"});
    Start(target, {"--modules", "0:1,3:2", "--busy", "1"});
    Start(other, {"--modules", "0:1"});
    ASSERT_TRUE(source.Command("records 2 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 01 02 03"));
    ASSERT_EQ(Run(QStringList{"read", "--out", File("a.lum")} + On(source, 1)).exit, 0);

    CliRun r = Run(QStringList{"write", File("a.lum")} + On(target, 1));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("Ваш уровень доступа не позволяет"), std::string::npos) << r.err;
    EXPECT_EQ(Run(QStringList{"write", File("a.lum"), "--password", "1"} + On(target, 1)).exit, 2);

    r = Run(QStringList{"write", File("a.lum"), "--password", "9461"} + On(other, 1));
    EXPECT_EQ(r.exit, 1); // the device refuses: its modules are not the file's
    // In the console's words: there is no screen, the modules are the file's.
    EXPECT_NE(
        r.err.find("Количество модулей в приборе не соответствует количеству модулей в файле"),
        std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("экран"), std::string::npos) << r.err;
    EXPECT_EQ(other.Dump()->requests, 1u); // the configuration only: nothing is sent

    const auto before = target.Dump();
    ASSERT_TRUE(before);
    ASSERT_EQ(Run(QStringList{"read", "--out", File("before.lum")} + On(target, 1)).exit, 0);
    r = Run(QStringList{"write", File("a.lum"), "--password", "9461"} + On(target, 1));
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("Запись проверена"), std::string::npos) << r.err;
    const auto dump = target.Dump();
    ASSERT_TRUE(dump);
    EXPECT_EQ(dump->blocks, source.Dump()->blocks);
    EXPECT_EQ(dump->image, source.Dump()->image);
    // What the device held before is in the history, byte for byte.
    const QStringList kept = QDir(dir.filePath("data/lum08/history")).entryList({"1002*.lum"});
    ASSERT_EQ(kept.size(), 1);
    const auto backup = ReadFile(dir.filePath("data/lum08/history/" + kept[0]));
    ASSERT_EQ(backup.size(), 712u);
    EXPECT_TRUE(
        std::equal(before->blocks[1].begin(), before->blocks[1].end(), backup.begin() + 36));
    // The same file as reading that device gives, labels included.
    EXPECT_EQ(backup, ReadFile(File("before.lum")));
    // A back-up is never a file to read into.
    r = Run(QStringList{"read", "--out", dir.filePath("data/lum08/history/" + kept[0]), "--force"} +
            On(target, 1));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("Это папка истории прибора"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(dir.filePath("data/lum08/history/" + kept[0])), backup);

    r = Run(QStringList{"write", File("a.lum"), "--password", "9461"} + On(target, 1));
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("Прибор уже содержит эти данные"), std::string::npos) << r.err;
    EXPECT_EQ(target.Dump()->requests, dump->requests + 4); // one read: 17, 68 x 2, 68 for 17

    // A byte the device does not take: the write says so and which field it is.
    ASSERT_TRUE(target.Command("stuck 1 0 7F"));
    r = Run(QStringList{"write", File("a.lum"), "--password", "9461", "--no-backup"} +
            On(target, 1));
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_NE(r.out.find("Модуль 1"), std::string::npos) << r.out;
    EXPECT_EQ(QDir(dir.filePath("data/lum08/history")).entryList({"1002*.lum"}).size(), 1);

    WriteFile(File("short.lum"), std::vector<uint8_t>(700, 0));
    r = Run(QStringList{"write", File("short.lum"), "--password", "9461"} + On(target, 1));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("700 байт"), std::string::npos) << r.err;
}

// Two lines, each with its own speed and bus numbers: the scan finds exactly those.
TEST_F(CliTest, ScanFindsEachDeviceAtItsSpeedAndNumber) {
    EmuProcess slow;
    EmuProcess fast;
    Start(slow, {"--address", "3", "--speed", "9600", "--modules", "0:1"});
    Start(fast, {"--address", "2,5", "--speed", "19200"});
    const QStringList range{"scan", "--speeds", "9600,19200", "--devices", "2-5"};

    CliRun r = Run(range + QStringList{"--port", Q(slow.Port())});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "9600 N 2 3 1000000000000000\n");

    r = Run(range +
            QStringList{"--port", Q(fast.Port()), "--parity", "O", "--stop", "1", "--json"});
    ASSERT_EQ(r.exit, 0) << r.err;
    const QJsonArray found = Json(r)["devices"].toArray();
    ASSERT_EQ(found.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QJsonObject d = found[i].toObject();
        EXPECT_EQ(d["speed"].toInt(), 19200);
        EXPECT_EQ(d["parity"].toString(), "O");
        EXPECT_EQ(d["stop"].toInt(), 1);
        EXPECT_EQ(d["device"].toInt(), i == 0 ? 2 : 5);
        EXPECT_EQ(d["modification"].toString(), "1002000000000000");
    }
}

// Bytes at the line's pace behind a USB adapter's 16 ms latency timer: an answer comes after a
// short probe's wait. At every wait from the smallest, each device is found at its own number
// (such an answer was once taken for the next number), the last number 31 included by default.
TEST_F(CliTest, ScanOfAPacedLineFindsExactlyTheDevicesAtEveryProbeWait) {
    for (const char* speed : {"9600", "19200"}) {
        EmuProcess emu;
        Start(emu, {"--address", "1,5,30,31", "--speed", speed, "--pace", "--latency", "16"});
        std::string expected;
        for (const char* n : {"1", "5", "30", "31"})
            expected += std::string(speed) + " N 2 " + n + " 1002000000000000\n";
        for (const char* probe : {"20", "21", "22"}) {
            const CliRun r = Run(
                {"scan", "--port", Q(emu.Port()), "--speeds", "9600,19200", "--probe-ms", probe});
            EXPECT_EQ(r.exit, 0) << r.err;
            EXPECT_EQ(r.out, expected) << speed << " baud, probe " << probe << " ms";
        }
    }
}

// A device whose answers never pass the CRC is there, but nothing it says can be used.
TEST_F(CliTest, ScanListsADeviceAnsweringWithCrcErrorsAndEndsWithOne) {
    EmuProcess emu;
    Start(emu, {"--address", "4,5"});
    ASSERT_TRUE(emu.Command("device 1"));
    ASSERT_TRUE(emu.Command("fault crc"));
    const CliRun r = Run({"scan", "--port", Q(emu.Port()), "--speeds", "9600", "--devices", "3-6"});
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_EQ(r.out, "9600 N 2 4 1002000000000000\n9600 N 2 5 ? отвечает с ошибками CRC\n");
    EXPECT_NE(r.err.find("Прибор 5 (9600 бит/с) отвечает с ошибками CRC"), std::string::npos)
        << r.err;
}

// A line where nothing answers costs each address a short probe, not the engine's 8 s.
TEST_F(CliTest, ScanOfASilentLineIsQuickAndEndsWithTheLineCode) {
    EmuProcess emu;
    Start(emu, {"--silent"});
    const CliRun r =
        Run({"scan", "--port", Q(emu.Port()), "--speeds", "9600,19200", "--devices", "1-3"});
    EXPECT_EQ(r.exit, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Ни один прибор не ответил"), std::string::npos) << r.err;
    // Six probes of 25 ms before the request and 20 ms for the answer.
    EXPECT_LT(r.seconds, 2.0);
}

// A gateway for a port: a scan passes the line once, the settings line names the gateway, and a
// gateway that refuses or a mistyped address is told as a port that cannot be opened.
TEST_F(CliTest, GatewaysScanOnceAndTheirFailuresAreTold) {
    EmuProcess emu;
    Start(emu, {"--tcp", "127.0.0.1:0", "--address", "2"});
    CliRun r = Run({"scan", "--port", Q(emu.Port()), "--devices", "1-3", "--verbose"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "9600 N 2 2 1002000000000000\n");
    EXPECT_EQ(r.err.rfind("lum08-cli: шлюз " + emu.Port() +
                              " (скорость, чётность и стоповые биты задаёт шлюз), время по сети "
                              "до шлюза и обратно 0 мс, номера 1-3",
                          0),
              0u)
        << r.err;
    const std::string gone = emu.Port();
    EXPECT_EQ(emu.Terminate(), 0);
    const struct {
        QStringList args;
        int exit;
        std::string text;
    } cases[] = {
        {{"read", "--port", Q(gone), "--out", File("x")},
         3,
         "невозможно соединиться со шлюзом " + gone + ": соединение отклонено"},
        {{"clock", "--port", "mbtcp://127.0.0.1"},
         2,
         "Неверный адрес шлюза mbtcp://127.0.0.1 (нужно tcp://УЗЕЛ:ПОРТ или mbtcp://УЗЕЛ:ПОРТ, "
         "порт 1..65535)"},
        {{"clock", "--port", "/dev/ttyS0", "--round-trip", "100"},
         2,
         "Параметр --round-trip относится только к шлюзу"},
        {{"clock", "--port", "tcp://h:1", "--round-trip", "5001"}, 2, "(мс, 0..5000)"},
    };
    for (const auto& c : cases) {
        r = Run(c.args);
        EXPECT_EQ(r.exit, c.exit) << c.args.join(' ').toStdString();
        EXPECT_NE(r.err.find(c.text), std::string::npos) << r.err;
    }
}

// The program's window holds the port; the console program reaches it through a symbolic
// link (as /dev/serial/by-id/... is to /dev/ttyUSB0) and is refused before anything is sent.
TEST_F(CliTest, APortHeldByAnotherProgramIsRefusedWhateverNameReachesIt) {
    EnsureCoreApplication();
    EmuProcess emu;
    Start(emu, {"--link", File("link").toStdString()});
    QtSerialLine window;
    LineSettings settings;
    settings.portName = emu.Port();
    ASSERT_TRUE(window.open(settings));
    const uint64_t before = emu.Dump()->requests;
    const CliRun r = Run({"clock", "--port", File("link")});
    EXPECT_EQ(r.exit, 3);
    EXPECT_NE(r.err.find("порт занят другой программой"), std::string::npos) << r.err;
    EXPECT_EQ(emu.Dump()->requests, before);
    window.close();
    EXPECT_EQ(Run({"clock", "--port", File("link")}).exit, 0);
}

TEST_F(CliTest, ClockReadsTheDeviceAndSetsItFromTheComputer) {
    EmuProcess emu;
    Start(emu, {"--clock", "5,7,9,1,2,3,4", "--clock-frozen"});
    CliRun r = Run(QStringList{"clock"} + On(emu, 1));
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "09:07:05 01.02.03 чт\n");

    ASSERT_TRUE(emu.Command("thaw"));
    r = Run(QStringList{"clock", "--set-now", "--password", "9461", "--json"} + On(emu, 1));
    ASSERT_EQ(r.exit, 0) << r.err;
    const QJsonObject json = FirstResult(r);
    EXPECT_EQ(json["date"].toString(), QDate::currentDate().toString(Qt::ISODate));
    EXPECT_TRUE(QDateTime::fromString(json["datetime"].toString(), Qt::ISODate).isValid());

    // A device that keeps its old time has not taken it, whatever the broadcast said.
    ASSERT_TRUE(emu.Command("freeze"));
    ASSERT_TRUE(emu.Command("clock 5,7,9,1,2,3,4"));
    ASSERT_TRUE(emu.Command("fault add exception 1 fn 70"));
    r = Run(QStringList{"clock", "--set-now", "--password", "9461"} + On(emu, 1));
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_NE(r.err.find("не принял время"), std::string::npos) << r.err;
}

// The codes that the other tests do not reach: a refusing device, a missing port, usage.
TEST_F(CliTest, ExitCodesForRefusalPortAndUsage) {
    EmuProcess emu;
    Start(emu, {"--exception", "2"});
    CliRun r = Run(QStringList{"read", "--out", File("x.lum")} + On(emu, 1));
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("ошибка обмена 02"), std::string::npos) << r.err;
    EXPECT_FALSE(QFile::exists(File("x.lum")));

    // The back-up read is refused: nothing is written, and nobody is there to say otherwise.
    EmuProcess guarded;
    Start(guarded, {"--fault", "exception 2 fn 68"});
    std::vector<uint8_t> one(712, 0);
    one[1] = 2; // the emulator's own modules: "МЛВ" in slot 0, "МСЮ" in slot 3
    one[2] = 1;
    one[5] = 2;
    WriteFile(File("w.lum"), one);
    r = Run(QStringList{"write", File("w.lum"), "--password", "9461"} + On(guarded, 1));
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("запись не начата"), std::string::npos) << r.err;
    EXPECT_EQ(guarded.Dump()->requests, 2u); // the configuration and the first block read

    r = Run({"clock", "--port", dir.filePath("no-such-port")});
    EXPECT_EQ(r.exit, 3);
    EXPECT_NE(r.err.find("невозможно открыть последовательный порт"), std::string::npos) << r.err;

    for (const QStringList& wrong :
         {QStringList{"read", "--out", "a.lum"}, QStringList{"fly"}, QStringList{},
          QStringList{"scan", "--port", "p", "--devices", "5-2"},
          QStringList{"scan", "--port", "p", "--devices", "1-32"},
          QStringList{"scan", "--port", "p", "--probe-ms", "19"},
          QStringList{"clock", "--port", "p", "--parity", "E", "--stop", "2"},
          QStringList{"read", "--port", "p", "--out", "a.lum", "--set-now"}}) {
        r = Run(wrong);
        EXPECT_EQ(r.exit, 2) << wrong.join(' ').toStdString();
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
    r = Run({"--help"});
    EXPECT_EQ(r.exit, 0);
    for (const char* command :
         {"read", "write", "verify", "diff", "scan", "clock", "--json", "--no-backup"})
        EXPECT_NE(r.out.find(command), std::string::npos) << command;
}

// Files are checked as a write needs them before any device is touched: what is not exactly a
// configuration is refused with the reason, and nothing goes on the line.
TEST_F(CliTest, FilesThatAreNotExactlyAConfigurationAreRefusedBeforeTheLine) {
    EmuProcess emu;
    Start(emu, {});
    ASSERT_EQ(Run(QStringList{"read", "--out", File("good.lum")} + On(emu, 1)).exit, 0);
    auto good = ReadFile(File("good.lum"));
    auto longer = good;
    longer.push_back(0);
    auto unknown = good;
    unknown[1 + 1 + 3] = 5; // the module at address 3 gets a code no module has
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    } files[] = {{"long.lum", longer, " (слишком большой файл, 713 байт вместо 712)"},
                 {"zeros.lum", std::vector<uint8_t>(100000, 0),
                  " (слишком большой файл, 100000 байт вместо 712)"},
                 {"unknown.lum", unknown,
                  " - это не файл конфигурации (модуль неизвестного типа, код 5, по адресу "
                  "модуля 3)"}};
    const uint64_t before = emu.Dump()->requests;
    for (const auto& f : files) {
        WriteFile(File(f.name), f.bytes);
        for (const QStringList& command :
             {QStringList{"write", File(f.name), "--password", "9461"} + On(emu, 1),
              QStringList{"verify", File(f.name)} + On(emu, 1),
              QStringList{"diff", File("good.lum"), File(f.name)}}) {
            const CliRun r = Run(command);
            EXPECT_EQ(r.exit, 2) << f.name << " " << command[0].toStdString();
            EXPECT_NE(r.err.find(File(f.name).toStdString() + f.reason), std::string::npos)
                << r.err;
        }
    }
    // A file that cannot be made is told before the device is read, in the operator's words.
    const CliRun r = Run(QStringList{"read", "--out", File("nodir/x.lum")} + On(emu, 1));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("Файл не удается создать: " + File("nodir/x.lum").toStdString() +
                         " (нет папки " + File("nodir").toStdString() + ")"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(emu.Dump()->requests, before);
}

TEST_F(CliTest, VerifyAndDiffListTheDifferencesInTheOperatorsWords) {
    EmuProcess emu;
    Start(emu, {});
    ASSERT_EQ(Run(QStringList{"read", "--out", File("a.lum")} + On(emu, 1)).exit, 0);
    CliRun r = Run(QStringList{"verify", File("a.lum")} + On(emu, 1));
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Прибор совпадает с файлом"), std::string::npos) << r.err;

    ASSERT_TRUE(emu.Command("poke 2 0 7F"));
    r = Run(QStringList{"verify", File("a.lum"), "--json"} + On(emu, 1));
    EXPECT_EQ(r.exit, 1) << r.err;
    const QJsonObject json = FirstResult(r);
    EXPECT_FALSE(json["same"].toBool());
    ASSERT_FALSE(json["differences"].toArray().isEmpty());
    const QJsonObject first = json["differences"].toArray()[0].toObject();
    EXPECT_TRUE(first["text"].toString().startsWith("Модуль 2, вход DI_2_1: "));
    EXPECT_EQ(first["module"].toInt(), 2);
    EXPECT_EQ(first["input"].toString(), "DI_2_1");
    EXPECT_FALSE(first["field"].toString().isEmpty());
    EXPECT_NE(first["file"].toString(), first["device"].toString());

    ASSERT_EQ(Run(QStringList{"read", "--out", File("b.lum")} + On(emu, 1)).exit, 0);
    r = Run({"diff", File("a.lum"), File("b.lum")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out.rfind("Модуль 2", 0), 0u) << r.out;
    r = Run({"diff", File("a.lum"), File("a.lum")});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(Run({"diff", File("a.lum"), File("none.lum")}).exit, 2);
}

// Ctrl+C during a write ends it at the next request boundary, and what it says the device holds
// is what the device holds; a device that never finishes storing ends at the deadline.
TEST_F(CliTest, AStoppedWriteTellsWhatTheDeviceHoldsAndNothingWaitsForEver) {
    EmuProcess source;
    EmuProcess target;
    Start(source, {});
    Start(target, {"--busy", "4"});
    ASSERT_TRUE(source.Command("records 1 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 01 02 03"));
    ASSERT_TRUE(source.Command("poke 17 5 3C"));
    ASSERT_EQ(Run(QStringList{"read", "--out", File("a.lum")} + On(source, 1)).exit, 0);
    const auto file = ReadFile(File("a.lum"));
    const auto before = target.Dump();
    ASSERT_TRUE(before && file.size() == 712u);

    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QString::fromUtf8(LUM_BIN_DIR) + "/lum08-cli",
            QStringList{"write", File("a.lum"), "--password", "9461", "--no-backup", "--json"} +
                On(target, 1));
    ASSERT_TRUE(p.waitForStarted(10000));
    // The first module is stored and the second on its way: the configuration twice, the
    // first block and its five polls, the second block.
    for (int i = 0; i < 200 && target.Dump()->requests < before->requests + 9; ++i)
        QThread::msleep(20);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 3);
    const QJsonObject result =
        QJsonDocument::fromJson(p.readAllStandardOutput())["results"].toArray()[0].toObject();
    EXPECT_EQ(result["error"].toObject()["kind"].toString(), "stopped");
    const auto dump = target.Dump();
    const QJsonArray written = result["written"].toArray();
    ASSERT_EQ(written.size(), 3);
    EXPECT_EQ(written[0].toObject()["state"].toString(), "written");
    EXPECT_EQ(written[2].toObject()["state"].toString(), "not-sent");
    for (const QJsonValue& v : written) {
        const int block = v.toObject()["block"].toInt();
        const QString state = v.toObject()["state"].toString();
        const bool network = block == 17;
        const auto held = network ? std::vector<uint8_t>(dump->image.begin() + 1, dump->image.end())
                                  : std::vector<uint8_t>(dump->blocks[size_t(block - 1)].begin(),
                                                         dump->blocks[size_t(block - 1)].end());
        const auto old = network
                             ? std::vector<uint8_t>(before->image.begin() + 1, before->image.end())
                             : std::vector<uint8_t>(before->blocks[size_t(block - 1)].begin(),
                                                    before->blocks[size_t(block - 1)].end());
        const size_t at = network ? 127 : size_t(18 + 18 * (block - 1));
        const std::vector<uint8_t> sent(file.begin() + long(at),
                                        file.begin() + long(at + held.size()));
        if (state == "written") {
            EXPECT_EQ(held, sent) << block;
        } else if (state == "not-sent") {
            EXPECT_EQ(held, old) << block;
        }
    }

    // Storing never ends: the deadline does, with the same account.
    ASSERT_TRUE(target.Command("fault exception 6 fn 14"));
    const CliRun r = Run(
        QStringList{"write", File("a.lum"), "--password", "9461", "--no-backup", "--timeout", "2"} +
        On(target, 1));
    EXPECT_EQ(r.exit, 3);
    EXPECT_LT(r.seconds, 4.0);
    EXPECT_NE(r.err.find("--timeout 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("прибор записан не полностью"), std::string::npos) << r.err;
}

// The password from where no other user sees it: a file, the environment, or the terminal.
TEST_F(CliTest, ThePasswordComesFromAFileTheEnvironmentOrThePrompt) {
    EmuProcess emu;
    Start(emu, {});
    QFile right(File("right"));
    ASSERT_TRUE(right.open(QIODevice::WriteOnly));
    right.write("9461\n");
    right.close();
    QFile wrong(File("wrong"));
    ASSERT_TRUE(wrong.open(QIODevice::WriteOnly));
    wrong.write("1\n");
    wrong.close();
    const QStringList setNow = QStringList{"clock", "--set-now"} + On(emu, 1);
    const struct {
        QStringList args;
        QStringList env;
        int exit;
        const char* said;
    } cases[] = {
        {setNow + QStringList{"--password-file", File("right")}, {}, 0, ""},
        {setNow, {"LUM08_PASSWORD=9461"}, 0, ""},
        {setNow + QStringList{"--password-file", File("wrong")},
         {"LUM08_PASSWORD=9461"},
         2,
         "Введенный пароль неверен"},
        {setNow + QStringList{"--password-file", File("none")},
         {},
         2,
         "Файл пароля не удается открыть"},
        {setNow, {}, 2, "--password-file ФАЙЛ, переменная LUM08_PASSWORD"},
    };
    for (const auto& c : cases) {
        const CliRun r = Run(c.args, c.env);
        EXPECT_EQ(r.exit, c.exit) << c.args.join(' ').toStdString() << "\n" << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    // On a terminal the program asks, and what is typed does not show.
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start("script",
            {"-qec",
             QString::fromUtf8(LUM_BIN_DIR) + "/lum08-cli clock --set-now --port " + Q(emu.Port()),
             "/dev/null"});
    ASSERT_TRUE(p.waitForStarted(10000));
    QThread::msleep(300);
    p.write("9461\n");
    ASSERT_TRUE(p.waitForFinished(10000));
    const QString shown = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0) << shown.toStdString();
    EXPECT_TRUE(shown.contains("Пароль:")) << shown.toStdString();
    EXPECT_FALSE(shown.contains("9461")) << shown.toStdString();
}

// The README's series script, as it stands there: every device of the line written and
// verified, and a line where nothing answers ends the script with scan's code.
TEST_F(CliTest, TheReadmeSeriesScriptWritesEveryDeviceAndChecksEveryExitCode) {
    QFile readme(QString::fromUtf8(LUM_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const QString open = "<!-- series script -->\n```sh\n";
    const qsizetype begin = text.indexOf(open);
    ASSERT_GE(begin, 0);
    const qsizetype end = text.indexOf("\n```", begin + open.size());
    const QString script = text.mid(begin + open.size(), end - begin - open.size());

    EmuProcess source;
    EmuProcess line;
    EmuProcess silent;
    Start(source, {});
    Start(line, {"--address", "4,9", "--speed", "9600", "--link", File("line").toStdString()});
    Start(silent, {"--silent", "--link", File("silent").toStdString()});
    ASSERT_TRUE(source.Command("records 2 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 01 02 03"));
    ASSERT_EQ(Run(QStringList{"read", "--out", File("panel.lum")} + On(source, 1)).exit, 0);
    QFile pw(File("pw"));
    ASSERT_TRUE(pw.open(QIODevice::WriteOnly));
    pw.write("9461\n");
    pw.close();

    auto runScript = [&](const QString& port) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", QString::fromUtf8(LUM_BIN_DIR) + ":" + env.value("PATH"));
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        env.insert("PORT", port);
        env.insert("FILE", File("panel.lum"));
        env.insert("PWFILE", File("pw"));
        p.setProcessEnvironment(env);
        p.start("sh", {"-c", script});
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::make_pair(
            p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    auto [exit, said] = runScript(File("line"));
    EXPECT_EQ(exit, 0) << said.toStdString();
    EXPECT_TRUE(said.contains("device 4: written and verified")) << said.toStdString();
    EXPECT_TRUE(said.contains("device 9: written and verified")) << said.toStdString();
    for (const char* device : {"device 0", "device 1"}) {
        ASSERT_TRUE(line.Command(device));
        EXPECT_EQ(line.Dump()->blocks[1], source.Dump()->blocks[1]) << device;
    }
    std::tie(exit, said) = runScript(File("silent"));
    EXPECT_EQ(exit, 3) << said.toStdString();
    EXPECT_TRUE(said.contains("nothing written")) << said.toStdString();
}

// The habits of a Modbus command line: several devices at once with one line each and the worst
// exit code, every frame decoded on the error stream, the line settings first in --verbose.
TEST_F(CliTest, DeviceListsTraceAndVerbose) {
    EmuProcess emu;
    Start(emu, {"--address", "1,3", "--clock", "5,7,9,1,2,3,4", "--clock-frozen"});
    CliRun r = Run({"clock", "--port", Q(emu.Port()), "--device", "1,2-3"});
    EXPECT_EQ(r.exit, 3) << r.err; // device 2 is not there
    EXPECT_EQ(r.out, "1 0 09:07:05 01.02.03 чт\n"
                     "2 3 устройство 2 " +
                         emu.Port() +
                         " не отвечает на запрос\n"
                         "3 0 09:07:05 01.02.03 чт\n");
    r = Run({"read", "--port", Q(emu.Port()), "--device", "1,3", "--out", File("r"), "--json"});
    EXPECT_EQ(r.exit, 0) << r.err;
    const QJsonArray results = Json(r)["results"].toArray();
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[1].toObject()["file"].toString(), File("r_03.lum"));
    EXPECT_TRUE(QFile::exists(File("r_01.lum")));

    r = Run({"clock", "--port", Q(emu.Port()), "--device", "3", "--speed", "19200", "--parity", "O",
             "--stop", "1", "--trace", "--verbose"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(
        r.err.rfind("lum08-cli: порт " + emu.Port() + ", 19200 бит/с, чётность O, стоповых битов 1",
                    0),
        0u)
        << r.err;
    EXPECT_NE(r.err.find("→\t3 (03)\t4 чтение входных регистров\tчтение времени прибора\t8\t"
                         "верна\t03 04 03 E8 00 07 30 5A"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("←\t3 (03)\t4 чтение входных регистров\tвремя прибора 09:07:05 01.02.03"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Run({"scan", "--port", "p", "--device", "1,2"}).exit, 2);
}

// The manual pages name every option the programs take and every command of the emulator's
// console, as their own --help lists them.
TEST_F(CliTest, ManualPagesNameEveryOptionAndCommand) {
    auto page = [](const char* name) {
        QFile f(QString::fromUtf8(LUM_SOURCE_DIR) + "/packaging/" + name + ".1");
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        return QString::fromUtf8(f.readAll()).replace("\\-", "-").toStdString();
    };
    auto help = [](const char* program) {
        QProcess p;
        p.start(QString::fromUtf8(LUM_BIN_DIR) + "/" + program, {"--help"});
        EXPECT_TRUE(p.waitForFinished(10000));
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    for (const char* program : {"lum08-cli", "lum08-emu"}) {
        const std::string man = page(program);
        const QString text = help(program);
        EXPECT_NE(man.find(".TH"), std::string::npos);
        EXPECT_NE(man.find("@LUM_VERSION@"), std::string::npos) << program;
        int options = 0;
        for (const auto& m : QRegularExpression("--[a-z][a-z-]*").globalMatch(text)) {
            ++options;
            EXPECT_NE(man.find(m.captured().toStdString()), std::string::npos)
                << program << ": " << m.captured().toStdString();
        }
        EXPECT_GT(options, 10) << program;
    }
    const std::string emu = page("lum08-emu");
    for (const char* command : {"dump", "fault add", "faults", "busy-now", "latency", "turnaround",
                                "line", "modules", "records", "image", "poke", "stuck", "freeze",
                                "thaw", "seed", "requests", "clear-log", "device", "quit"})
        EXPECT_NE(emu.find(command), std::string::npos) << command;
    const std::string cli = page("lum08-cli");
    for (const char* word :
         {"read", "write", "verify", "diff", "scan", "clock", "\"ok\"", "\"exit\"", "\"error\"",
          "written", "differences", "datetime", "LUM08_PASSWORD", "lum08-cli scan --port"})
        EXPECT_NE(cli.find(word), std::string::npos) << word;
    const std::string gui = page("lum08");
    for (const char* word :
         {"Монитор обмена", "Сверить с прибором", "История прибора", ".local/share/lum08/history"})
        EXPECT_NE(gui.find(word), std::string::npos) << word;
}

// A script's parser gets one object on every outcome, failures included, with what went wrong.
TEST_F(CliTest, JsonIsOneObjectWithOkExitAndErrorOnEveryFailure) {
    EmuProcess emu;
    EmuProcess refusing;
    EmuProcess silent;
    Start(emu, {});
    Start(refusing, {"--exception", "2"});
    Start(silent, {"--silent"});
    ASSERT_EQ(Run(QStringList{"read", "--out", File("a.lum")} + On(emu, 1)).exit, 0);
    ASSERT_TRUE(emu.Command("poke 2 0 7F"));
    WriteFile(File("bad.lum"), std::vector<uint8_t>(713, 0));
    const struct {
        QStringList args;
        int exit;
        const char* kind;
        int code;
    } cases[] = {
        {{"read", "--bogus"}, 2, "usage", 0},
        {QStringList{"verify", File("bad.lum")} + On(emu, 1), 2, "file", 0},
        {QStringList{"write", File("a.lum")} + On(emu, 1), 2, "access", 0},
        {{"clock", "--port", File("none")}, 3, "port", 132},
        {QStringList{"clock"} + On(silent, 1), 3, "line", 130},
        {QStringList{"clock"} + On(refusing, 1), 1, "device", 2},
        {QStringList{"verify", File("a.lum")} + On(emu, 1), 1, "differs", 0},
    };
    for (const auto& c : cases) {
        const CliRun r = Run(c.args + QStringList{"--json"});
        const std::string what = c.args.join(' ').toStdString();
        QJsonParseError parse{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &parse);
        ASSERT_EQ(parse.error, QJsonParseError::NoError) << what << "\n" << r.out;
        const QJsonObject o = doc.object();
        EXPECT_EQ(r.exit, c.exit) << what;
        EXPECT_FALSE(o["ok"].toBool(true)) << what;
        EXPECT_EQ(o["exit"].toInt(), c.exit) << what;
        const QJsonObject error = o["error"].toObject();
        EXPECT_EQ(error["kind"].toString(), c.kind) << what;
        EXPECT_EQ(error["code"].toInt(-1), c.code) << what;
        EXPECT_FALSE(error["text"].toString().isEmpty()) << what;
    }
    const CliRun r =
        Run(QStringList{"read", "--force", "--out", File("a.lum"), "--json"} + On(emu, 1));
    EXPECT_TRUE(Json(r)["ok"].toBool()) << r.out;
    EXPECT_TRUE(Json(r)["error"].isNull()) << r.out;
    EXPECT_EQ(FirstResult(r)["exit"].toInt(-1), 0) << r.out;
}

} // namespace
