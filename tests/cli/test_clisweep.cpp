// lum08-cli write with a fault at one request of the write: afterwards what the emulator holds,
// block by block, is checked against the JSON's "written" states, the exit code and the
// messages. Real time on real emulators: the runs go side by side, each on an emulator of its
// own. Every request of the write is faulted in the window tests on virtual time; here each kind
// of request once for the quick faults, and the silent device (five waits of a second and more
// per request) at three points only.

#include "clirun.h"
#include "support/emuprocess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The emulator's default device: modules 1 and 2, then the network image (block 17).
constexpr int kBlocks = 3;
using Bytes = std::vector<uint8_t>;
using Contents = std::array<Bytes, kBlocks>;

Contents Held(const EmuDump& dump) {
    return {Bytes(dump.blocks[0].begin(), dump.blocks[0].end()),
            Bytes(dump.blocks[1].begin(), dump.blocks[1].end()),
            Bytes(dump.image.begin() + 1, dump.image.end())}; // byte 0 is the block number
}

// The blocks as a configuration file carries them: records from byte 18, the image from 126.
Contents InFile(const QByteArray& file) {
    auto at = [&](int from, int n) { return Bytes(file.begin() + from, file.begin() + from + n); };
    return {at(18, 18), at(36, 18), at(127, 81)};
}

// With one busy poll after each block: the back-up's four reads, then each block's send, busy
// poll and confirming poll, then the three read-backs.
enum Request : int {
    Config = 1,
    ModuleRead = 2,
    NetworkRead = 4,
    ModuleSend = 5,
    BusyPoll = 6,
    ConfirmingPoll = 7,
    NetworkSend = 11,
    NetworkConfirm = 13,
    ReadBack = 14,
    LastReadBack = 16,
};

struct Case {
    std::string command; // to the emulator before the write: a fault ("fault ..."), "busy 15"
    QStringList options;
    std::set<int> exits; // the exit codes the case may end with
    // The module reported sent and not confirmed, in the operator's words; 0: none expected.
    int unconfirmedModule = 0;
};

// A fault at request k of the write only, or from k on.
std::string At(const char* fault, int k) {
    return "fault " + std::string(fault) + " from +" + std::to_string(k) + " to +" +
           std::to_string(k);
}
std::string From(const char* fault, int k) {
    return "fault " + std::string(fault) + " from +" + std::to_string(k);
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    // One fault on one reply is repeated away: every block written.
    for (const char* fault : {"crc 3", "partial 4"})
        for (int k : {Config, ModuleRead, NetworkRead, ModuleSend, BusyPoll, ConfirmingPoll,
                      NetworkSend, NetworkConfirm, ReadBack, LastReadBack})
            cases.push_back({At(fault, k), {}, {0}});
    // One busy answer to a block's send: the block goes again.
    cases.push_back({At("exception 6", ModuleSend), {}, {0}});
    // Busy from k on: the back-up or the read-back refused (1), or the confirmation never
    // comes before the deadline (3).
    for (int k : {Config, ModuleSend, BusyPoll, NetworkSend, ReadBack})
        cases.push_back({From("exception 6", k), {"--timeout", "3"}, {1, 3}});
    for (int k : {Config, BusyPoll, ReadBack})
        cases.push_back({From("silent", k), {}, {3}});
    // The device stays busy after module 1's block past the deadline.
    cases.push_back({"busy 15", {"--timeout", "3"}, {3}, 1});
    return cases;
}

struct SweepRun {
    Case c;
    EmuProcess emu;
    std::optional<EmuDump> before;
    CliProcess cli;
};

QJsonObject Json(const CliRun& r) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

// What the run left on the device against what it said; empty when all agrees.
std::string Check(SweepRun& run, const CliRun& r, const Contents& wanted) {
    const Contents old = Held(*run.before);
    const auto after = run.emu.Dump();
    if (!after)
        return "no dump";
    const Contents now = Held(*after);
    const QJsonObject json = Json(r);
    const QJsonArray written = json["results"].toArray()[0].toObject()["written"].toArray();
    std::string wrong;
    if (!run.c.exits.contains(r.exit))
        wrong += "exit " + std::to_string(r.exit) + "; ";
    if (json["exit"].toInt(-1) != r.exit)
        wrong += "JSON exit differs; ";
    if (written.size() != kBlocks)
        return wrong + "JSON written: " + r.out;
    bool allNew = true;
    bool allWritten = true;
    bool unconfirmed = false;
    for (int b = 0; b < kBlocks; ++b) {
        const QJsonObject entry = written[b].toObject();
        const QString state = entry["state"].toString();
        const std::string block = "block " + std::to_string(entry["block"].toInt()) + " ";
        const bool isOld = now[b] == old[b];
        const bool isNew = now[b] == wanted[b];
        allNew = allNew && isNew;
        // A block confirmed but not read back is reported so ("not-verified").
        allWritten = allWritten && (state == "written" || state == "not-verified");
        unconfirmed = unconfirmed || state == "unconfirmed";
        if (!isOld && !isNew)
            wrong += block + "holds neither the old nor the new data; ";
        else if ((state == "written" || state == "not-verified") && !isNew)
            wrong += block + state.toStdString() + ", holds old; ";
        else if (state == "not-sent" && !isOld)
            wrong += block + "not sent, holds new; ";
        else if (state != "written" && state != "not-sent" && state != "unconfirmed" &&
                 state != "not-verified")
            wrong += block + state.toStdString() + "; ";
    }
    if (r.exit == 0 && !allNew)
        wrong += "exit 0 without all the new data; ";
    if (r.exit != 0 && allWritten &&
        r.err.find("Запись не проверена: прибор не удалось прочитать.") == std::string::npos)
        wrong += "every block written, the failed check not told; ";
    if (unconfirmed && r.err.find("но прибор не подтвердил") == std::string::npos)
        wrong += "unconfirmed not told; ";
    if (run.c.unconfirmedModule != 0 &&
        (written[run.c.unconfirmedModule - 1].toObject()["state"] != "unconfirmed" ||
         r.err.find("Модуль " + std::to_string(run.c.unconfirmedModule) +
                    " из 2 передан, но прибор не подтвердил его запись") == std::string::npos))
        wrong += "module " + std::to_string(run.c.unconfirmedModule) + " not told unconfirmed; ";
    return wrong;
}

} // namespace

// A fault at one request of the write, for each kind of request: each block holds its old or
// new data as the JSON says, exit 0 only with all the new data, and a block sent and not
// confirmed is said so.
TEST(CliWriteSweep, EachBlockHoldsWhatTheReportSays) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EmuProcess source;
    std::string error;
    ASSERT_TRUE(source.Start({"--no-register"}, &error)) << error;
    ASSERT_TRUE(source.Command("records 1 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 01 02 03"));
    ASSERT_TRUE(source.Command("records 2 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F 30 31 32"));
    ASSERT_TRUE(source.Command("poke 17 5 3C"));
    const QString file = dir.filePath("new.lum");
    ASSERT_EQ(RunCli(dir, {"read", "--out", file, "--port", Q(source.Port())}).exit, 0);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const Contents wanted = InFile(f.readAll());

    const std::vector<Case> cases = Cases();
    constexpr size_t kSideBySide = 12;
    for (size_t first = 0; first < cases.size(); first += kSideBySide) {
        std::vector<std::unique_ptr<SweepRun>> runs;
        for (size_t i = first; i < std::min(cases.size(), first + kSideBySide); ++i) {
            auto run = std::make_unique<SweepRun>();
            run->c = cases[i];
            ASSERT_TRUE(run->emu.Start({"--no-register", "--busy", "1"}, &error)) << error;
            ASSERT_TRUE(run->emu.Command(run->c.command)) << run->c.command;
            run->before = run->emu.Dump();
            ASSERT_TRUE(run->before);
            // Each run keeps its back-up in a folder of its own.
            StartCli(run->cli, dir,
                     QStringList{"write", file, "--password", "9461", "--json", "--port",
                                 Q(run->emu.Port())} +
                         run->c.options,
                     {"XDG_DATA_HOME=" + dir.filePath("data" + QString::number(i))});
            runs.push_back(std::move(run));
        }
        for (auto& run : runs) {
            const CliRun r = FinishCli(run->cli);
            const std::string wrong = Check(*run, r, wanted);
            EXPECT_TRUE(wrong.empty()) << run->c.command << ": " << wrong << "\n" << r.err;
        }
    }
}
