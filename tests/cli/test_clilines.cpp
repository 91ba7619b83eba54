// lum08-cli on lines as real adapters make them: an adapter that hears itself, a paced line
// behind a USB adapter's latency with a device that answers with bad CRCs, the same behind both
// kinds of gateway, a scan stopped half way.

#include "clirun.h"
#include "support/emuprocess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

class CliLines : public ::testing::Test {
protected:
    void Start(EmuProcess& emu, std::vector<std::string> args) {
        args.push_back("--no-register");
        std::string error;
        ASSERT_TRUE(emu.Start(args, &error)) << error;
    }
    CliRun Run(const QStringList& args) { return RunCli(dir, args); }

    QTemporaryDir dir;
};

// Read, write and verify through an echoing adapter come out as through a plain one, with the
// echo found by itself or set; with the echo off the program says what it heard and ends.
TEST_F(CliLines, ReadWriteAndVerifyThroughAnEchoingAdapter) {
    EmuProcess plain;
    EmuProcess echoing;
    Start(plain, {});
    Start(echoing, {"--echo", "--busy", "1"});
    ASSERT_TRUE(plain.Command("records 2 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 01 02 03"));
    ASSERT_EQ(Run({"read", "--port", Q(plain.Port()), "--out", dir.filePath("plain.lum")}).exit, 0);
    CliRun w = Run(
        {"write", dir.filePath("plain.lum"), "--password", "9461", "--port", Q(echoing.Port())});
    ASSERT_EQ(w.exit, 0) << w.err;
    EXPECT_NE(w.err.find("Запись проверена"), std::string::npos) << w.err;
    EXPECT_EQ(echoing.Dump()->blocks, plain.Dump()->blocks);
    w = Run({"verify", dir.filePath("plain.lum"), "--port", Q(echoing.Port()), "--echo", "on"});
    EXPECT_EQ(w.exit, 0) << w.err;
    for (const char* mode : {"auto", "on"}) {
        const QString out = dir.filePath(QString("echo-%1.lum").arg(mode));
        const CliRun r = Run({"read", "--port", Q(echoing.Port()), "--echo", mode, "--out", out});
        ASSERT_EQ(r.exit, 0) << mode << r.err;
        QFile a(dir.filePath("plain.lum")), b(out);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(a.readAll(), b.readAll()) << mode;
    }
    const CliRun off = Run({"read", "--port", Q(echoing.Port()), "--echo", "off", "--out",
                            dir.filePath("off.lum"), "--timeout", "60"});
    EXPECT_EQ(off.exit, 3);
    EXPECT_NE(off.err.find("в ответ пришел собственный запрос"), std::string::npos) << off.err;
    // And the console switches the adapter's echo off again: auto finds the plain line.
    ASSERT_TRUE(echoing.Command("echo off"));
    EXPECT_EQ(Run({"read", "--port", Q(echoing.Port()), "--out", dir.filePath("again.lum")}).exit,
              0);
}

// Devices at 1, 9, 17 and 31 on a paced line behind a 16 ms adapter, device 9 answering with
// bad CRCs: every device at its number, 9 as faulty, on the serial line (with and without an
// echoing adapter) and behind both kinds of gateway.
TEST_F(CliLines, ScanOfRealLinesFindsEveryDeviceAndTheFaultyOne) {
    struct Line {
        const char* name;
        std::vector<std::string> emu;
        const char* fault; // the text after device 9's line
    } lines[] = {
        {"serial", {"--pace", "--latency", "16"}, "? отвечает с ошибками CRC"},
        {"echo", {"--pace", "--latency", "16", "--echo"}, "? отвечает с ошибками CRC"},
        {"tcp", {"--tcp", "127.0.0.1:0", "--pace", "--latency", "16"}, "? отвечает с ошибками CRC"},
        {"mbtcp",
         {"--mbtcp", "127.0.0.1:0", "--pace", "--latency", "16"},
         "? шлюз: прибор не ответил"},
    };
    for (const Line& line : lines) {
        EmuProcess emu;
        std::vector<std::string> args = line.emu;
        args.insert(args.end(), {"--address", "1,9,17,31", "--speed", "19200"});
        Start(emu, args);
        ASSERT_TRUE(emu.Command("device 1"));
        ASSERT_TRUE(emu.Command("fault crc"));
        const bool gateway = std::string(line.name).find("tcp") != std::string::npos;
        const std::string speed = gateway ? "9600" : "19200";
        std::string expected;
        for (const char* n : {"1", "9", "17", "31"})
            expected += speed + " N 2 " + n + " " +
                        (std::string(n) == "9" ? line.fault : "1002000000000000") + "\n";
        const CliRun r = Run({"scan", "--port", Q(emu.Port()), "--speeds", "9600,19200"});
        EXPECT_EQ(r.exit, 1) << line.name << r.err;
        EXPECT_EQ(r.out, expected) << line.name;
    }
}

// Replies that come long after the probe's wait: each is taken for the number that was asked,
// never for the one asked next, and a late one with a bad CRC marks a faulty device.
TEST_F(CliLines, LateRepliesCountForTheNumberAsked) {
    EmuProcess emu;
    Start(emu, {"--address", "3,4", "--turnaround", "150"});
    ASSERT_TRUE(emu.Command("device 1"));
    ASSERT_TRUE(emu.Command("fault crc"));
    CliRun r = Run({"scan", "--port", Q(emu.Port()), "--speeds", "9600", "--devices", "2-6"});
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_EQ(r.out, "9600 N 2 3 1002000000000000\n9600 N 2 4 ? отвечает с ошибками CRC\n");
    // So late that the answers come while the next numbers are asked: not taken for them, and
    // the number is asked once more with a longer wait at the end.
    ASSERT_TRUE(emu.Command("turnaround 300"));
    ASSERT_TRUE(emu.Command("fault none"));
    r = Run({"scan", "--port", Q(emu.Port()), "--speeds", "9600", "--devices", "2-6"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "9600 N 2 3 1002000000000000\n9600 N 2 4 1002000000000000\n");
}

// Stopped by its time limit, a scan still tells the devices it found, in text and JSON.
TEST_F(CliLines, AStoppedScanTellsWhatItFound) {
    EmuProcess emu;
    Start(emu, {"--address", "1,2"});
    CliRun r = Run({"scan", "--port", Q(emu.Port()), "--timeout", "1"});
    EXPECT_EQ(r.exit, 3) << r.err;
    EXPECT_EQ(r.out, "9600 N 2 1 1002000000000000\n9600 N 2 2 1002000000000000\n");
    r = Run({"scan", "--port", Q(emu.Port()), "--timeout", "1", "--json"});
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(json["devices"].toArray().size(), 2);
    EXPECT_FALSE(json["complete"].toBool());
    EXPECT_EQ(json["exit"].toInt(), 3);
}

} // namespace
