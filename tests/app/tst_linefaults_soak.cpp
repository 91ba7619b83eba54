// Soak run (scripts/soak.sh; skipped unless LUM_SOAK_MINUTES is set): the main window reads
// (F9) and writes (F10) a six-module device in turn for the given time, the emulator process
// spoiling 1 % of its answers' CRCs. After every command the emulator's memory must equal the
// model; at the end the program's resident memory must not have grown since the first cycle.

#include "app/passworddialog.h"
#include "dialogs/commandrun.h"
#include "guisupport/guiharness.h"
#include "support/emuprocess.h"

#include <QApplication>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

namespace {

// Resident memory of a process in kB, from /proc: all of it (VmRSS), or only its own heap and
// stacks (RssAnon), which the system cannot take back by dropping file pages.
long ResidentKb(const std::string& pid = "self", const std::string& key = "VmRSS:") {
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    return -1;
}

bool DumpEqualsModel(const EmuDump& d, MainWindow& m) {
    if (std::memcmp(d.config.data(), m.Modules().Config, 17) != 0)
        return false;
    for (int k = 0; k < m.Modules().GetModuleCount(); ++k)
        if (std::memcmp(d.blocks[size_t(k)].data(), m.Program().Records + 18 * k, 18) != 0)
            return false;
    return std::memcmp(d.image.data() + 1, m.Network().Image + 1, 81) == 0;
}

// The operator's edits between a read and a write.
void Edit(MainWindow& m, std::mt19937& rng) {
    InputProgram& inputProgram = m.Program();
    for (int input = 0; input < 36; ++input) {
        inputProgram.PutDelay(input, int(rng() % 61));
        inputProgram.PutColor(input, int(rng() % 4));
        inputProgram.PutRelay(input, int(rng() % 8));
        inputProgram.PutSound(input, int(rng() % 2));
    }
    NetworkBlocks& f15 = m.Network();
    f15.PutSlaveAddress(0, int(rng() % 248));
    f15.PutDataCount(1, int(rng() % 65536));
    f15.PutSpeedCode(int(rng() % 4));
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void readsAndWritesUnderCrcErrors() {
        const QByteArray minutesText = qgetenv("LUM_SOAK_MINUTES");
        if (minutesText.isEmpty())
            QSKIP("a soak run: scripts/soak.sh [minutes]");
        const double minutes = minutesText.toDouble();
        QVERIFY(minutes > 0);

        EmuProcess emu;
        std::string error;
        QVERIFY2(emu.Start({"--modules", "0:1,1:2,2:1,3:2,4:1,5:2", "--busy", "2", "--crc-rate",
                            "0.01", "--seed", "2024"},
                           &error),
                 error.c_str());
        GuiHarness h(GuiHarness::Line::Pty);
        MainWindow& m = h.Main();
        m.Engine().PortName = emu.Port();
        QCOMPARE(ApplyPortSettings(m), 0);
        h.GrantAccess(1);
        std::mt19937 rng(7);

        // Requests a cycle needs on a clean line: 17, six modules and block 17 to read; the
        // 17 check and seven blocks, each sent once and polled three times, to write.
        constexpr uint64_t kCleanRequests = 8 + 1 + 7 * 4;
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::duration<double, std::ratio<60>>(minutes);
        long rssFirst = -1;
        long anonFirst = -1;
        long emuRssFirst = -1;
        int cycles = 0;
        int failures = 0;
        int mismatches = 0;
        uint64_t requestsFirst = 0;
        while (std::chrono::steady_clock::now() < end || cycles < 2) {
            h.Op().Clear();
            h.ReadDevice();
            failures += int(h.Op().Shown().size());
            auto dump = emu.Dump();
            QVERIFY(dump.has_value());
            if (h.Op().Shown().empty() && !DumpEqualsModel(*dump, m))
                ++mismatches;

            Edit(m, rng);
            h.Op().Clear();
            m.WriteDeviceClick();
            failures += int(h.Op().Shown().size());
            dump = emu.Dump();
            QVERIFY(dump.has_value());
            if (h.Op().Shown().empty() && !DumpEqualsModel(*dump, m))
                ++mismatches;
            for (const auto& shown : h.Op().Shown())
                std::printf("soak: cycle %d: %s\n", cycles, shown.text.c_str());
            ++cycles;
            if (cycles == 1) {
                // After the first cycle every buffer and cache has its size.
                rssFirst = ResidentKb();
                anonFirst = ResidentKb("self", "RssAnon:");
                emuRssFirst = ResidentKb(std::to_string(emu.Pid()));
                requestsFirst = dump->requests;
            }
        }
        const auto dump = emu.Dump();
        QVERIFY(dump.has_value());
        const long rssLast = ResidentKb();
        const long anonLast = ResidentKb("self", "RssAnon:");
        const long emuRssLast = ResidentKb(std::to_string(emu.Pid()));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const uint64_t requests = dump->requests;
        const uint64_t expected = kCleanRequests * uint64_t(cycles);
        std::printf("soak: %.1f min, %d cycles, %d commands (%d reads, %d writes), %llu requests "
                    "(%llu on a clean line: %llu more, the repeats after spoilt CRCs), %d failures "
                    "reported, %d mismatches\n",
                    seconds / 60, cycles, 2 * cycles, cycles, cycles,
                    static_cast<unsigned long long>(requests),
                    static_cast<unsigned long long>(expected),
                    static_cast<unsigned long long>(requests > expected ? requests - expected : 0),
                    failures, mismatches);
        std::printf("soak: program RSS %ld kB after the first cycle, %ld kB at the end (heap and "
                    "stacks %ld kB -> %ld kB); emulator RSS %ld kB -> %ld kB; requests after the "
                    "first cycle %llu\n",
                    rssFirst, rssLast, anonFirst, anonLast, emuRssFirst, emuRssLast,
                    static_cast<unsigned long long>(requests - requestsFirst));
        std::fflush(stdout);

        QCOMPARE(mismatches, 0);
        // The last write went through: the emulator holds the model.
        QVERIFY(DumpEqualsModel(*dump, m));
        // No growth beyond the allocator's page-sized jitter.
        QVERIFY2(anonLast <= anonFirst + 512,
                 qPrintable(QString("%1 -> %2").arg(anonFirst).arg(anonLast)));
        // The emulator spoilt CRCs all along (how many shows in the repeats above).
        std::vector<std::string> faults;
        QVERIFY(emu.Command("faults", &faults));
        QCOMPARE(faults.size(), size_t(1));
        QVERIFY2(faults[0].rfind("crc-rate 0.01", 0) == 0, faults[0].c_str());
    }
};

QTEST_MAIN(TestSoak)
#include "tst_linefaults_soak.moc"
