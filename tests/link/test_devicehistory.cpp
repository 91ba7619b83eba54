// Reading a device into a separate image, and the back-up before a write, against the emulated
// device on the scripted line.

#include "enginefixture.h"

#include "emu/device.h"
#include "link/deviceimageread.h"
#include "link/devicewrite.h"
#include "model/devicecompare.h"
#include "model/devicedocument.h"
#include "platform/devicehistory.h"
#include "platform/filestore.h"
#include "support/testfaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class HistoryTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        line.SetResponder([this](const Bytes& request) { return device.Handle(request); });
        device.SetBusyAfterWrite(0);
        emu::Device::Records r{};
        for (int i = 0; i < 18; ++i)
            r[size_t(i)] = uint8_t(0x40 + i);
        device.SetModuleRecords(2, r);
        emu::Device::Image image{};
        image[1] = 15;
        image[81] = 0x05;
        device.SetImage(image);
    }

    DeviceImage Read() {
        DeviceImage image;
        EXPECT_EQ(ReadDeviceImage(port, 0, image), 0);
        return image;
    }

    emu::Device device; // address 1, "МЛВ" in slot 0 and "МСЮ" in slot 3
    QTemporaryDir dir;
};

TEST_F(HistoryTest, DeviceImageHoldsWhatTheDeviceHolds) {
    const DeviceImage image = Read();
    EXPECT_FALSE(image.HasLabels());
    EXPECT_EQ(image.ModificationCode(), "1002000000000000");
    EXPECT_EQ(image.Group(1)[0], 0x40);
    EXPECT_EQ(image.Group(1)[17], 0x51);
    EXPECT_EQ(image.Network()[0], 17);
    EXPECT_EQ(image.Network()[1], 15);
    EXPECT_EQ(image.Network()[81], 0x05);
    // Configuration, two modules, the network image: nothing else was asked.
    EXPECT_EQ(line.Written().size(), 4u);

    device.PokeByte(2, 4, 0x99); // one byte of input DI_2_2 planted in the device
    const std::string di = "Модуль 2, вход DI_2_2: ";
    EXPECT_EQ(CompareDeviceImages(image, Read()),
              (std::vector<std::string>{di + "задержка 4 → 25 с", di + "звук есть → нет",
                                        di + "архив отключено → включено"}));
    device.SetFaults({SilentFrom()});
    DeviceImage partial;
    EXPECT_EQ(ReadDeviceImage(port, 0, partial), ResultCode::NoAnswer);
}

// The write path keeps what the device held before it writes, unless the device already holds
// what would be written.
TEST_F(HistoryTest, WriteKeepsTheDeviceUnlessItAlreadyHoldsTheData) {
    const DeviceImage held = Read();
    const QString folder = dir.path() + "/history/";
    DeviceDocument doc;
    doc.Load(held, DocumentOrigin::File("device.lum"));
    WriteRequest request;
    request.scope = WriteScope::WholeDevice(2);
    request.accessLevel = 1;
    WriteHooks hooks;
    hooks.op = &op;
    hooks.keepBackup = DeviceHistory::BackupKeeper(port, folder);
    DeviceWriteReport r = WriteToDevice(port, doc, request, hooks);
    EXPECT_EQ(r.end, WriteEnd::AlreadyThere);
    EXPECT_TRUE(DeviceHistory::List(folder).empty());

    doc.program.Records[0] ^= 0xFF;
    r = WriteToDevice(port, doc, request, hooks);
    ASSERT_EQ(r.end, WriteEnd::Done);
    EXPECT_TRUE(r.verified);
    const auto list = DeviceHistory::List(folder);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].path.toStdString(), r.backupPath);
    EXPECT_EQ(list[0].deviceNumber, 1);
    EXPECT_EQ(list[0].modifCode, "1002000000000000");
    // The line it came over, from the engine's settings, in the note beside it.
    EXPECT_EQ(list[0].line.port, FakeLine::PortName);
    EXPECT_EQ(list[0].line.speed + list[0].line.parity + list[0].line.stopBits, "9600N2");
    const auto file = ReadWholeFile(list[0].path);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->size(), 712u);
    EXPECT_EQ(DeviceImage::FromFile(*file)->Group(1)[0], 0x40); // what the device held

    // A device that does not answer the back-up's read: nobody said to write without one.
    doc.program.Records[0] ^= 0xFF;
    device.SetFaults({SilentFrom()});
    r = WriteToDevice(port, doc, request, hooks);
    EXPECT_EQ(r.end, WriteEnd::NoBackup);
    EXPECT_EQ(r.backupCode, ResultCode::NoAnswer);
    EXPECT_FALSE(r.AnySent());
}

TEST(DeviceHistoryFolder, BackUpsAreReadOnlyWithTheirNoteAndPruningTakesBoth) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    const DeviceImage image = *DeviceImage::FromFile(std::vector<uint8_t>(712, 0));
    const QDateTime t0(QDate(2026, 1, 2), QTime(3, 4, 5));
    const DeviceHistory::Line line{"/dev/ttyUSB0", "19200", "E", "1"};
    QString first;
    ASSERT_TRUE(DeviceHistory::Save(image, 7, &first, nullptr, folder, t0, line));
    for (int i = 1; i < 5; ++i)
        ASSERT_TRUE(DeviceHistory::Save(image, 7, nullptr, nullptr, folder, t0.addSecs(60 * i)));
    QString same;
    ASSERT_TRUE(DeviceHistory::Save(image, 7, &same, nullptr, folder, t0)); // same moment
    EXPECT_NE(same, first);
    // One kept before the notes were written: it lists, its line unknown.
    ASSERT_TRUE(ReplaceFileAtomically(folder + "0000000000000000_07_20250101-000000-000.lum",
                                      image.ToFile()));
    ASSERT_TRUE(ReplaceFileAtomically(folder + "mine.lum", {1}));

    // The back-up is byte for byte a configuration file, read-only, and not replaced.
    EXPECT_EQ(ReadWholeFile(first), image.ToFile());
    EXPECT_FALSE(QFileInfo(first).permissions() & QFile::WriteOwner);
    EXPECT_FALSE(ReplaceFileAtomically(first, {1, 2, 3}));
    const auto note = ReadWholeFile(first.chopped(4) + ".txt");
    ASSERT_TRUE(note);
    EXPECT_NE(std::string(note->begin(), note->end()).find("time=2026-01-02T03:04:05.000"),
              std::string::npos);

    const auto all = DeviceHistory::List(folder);
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all.back().line.port, "");
    EXPECT_EQ(all[5].path, first);
    EXPECT_EQ(all[5].line.port + all[5].line.speed + all[5].line.parity + all[5].line.stopBits,
              "/dev/ttyUSB019200E1");
    EXPECT_EQ(DeviceHistory::Prune(folder, {1, 2, 0}), 5);
    // The last two taken stay, whatever the times in their names.
    const auto kept = DeviceHistory::List(folder);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].path, same);
    EXPECT_EQ(kept[0].sequence, 6);
    EXPECT_EQ(kept[1].when, t0.addSecs(240));
    EXPECT_EQ(QFileInfo(kept[1].path).fileName(), "0000000000000000_07_20260102-030805-000.lum");
    // Notes went with their back-ups; files not ours stay.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 5);
    EXPECT_TRUE(QFile::exists(folder + "mine.lum"));
}

// 205 back-ups of the device stamped a year ahead (the PC clock was once set wrong), numbered or
// from before the numbers, fill the history beyond its limit: the next write keeps the back-up it
// takes as the device's newest, and the first taken go.
class FutureStamps : public HistoryTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FutureStamps, NextWriteKeepsItsOwnBackUp) {
    const bool numbered = GetParam();
    const QString folder = dir.path() + "/history/";
    ASSERT_TRUE(QDir().mkpath(folder));
    const DeviceImage held = Read();
    const QDateTime ahead = QDateTime::currentDateTime().addYears(1);
    for (int i = 0; i < 205; ++i) {
        const QString name =
            folder + DeviceHistory::FileName(held.ModificationCode(), 1, ahead.addSecs(i));
        ASSERT_TRUE(ReplaceFileAtomically(name, held.ToFile()));
        const std::string note = "seq=" + std::to_string(i + 1) + "\n";
        if (numbered) {
            ASSERT_TRUE(
                ReplaceFileAtomically(name.chopped(4) + ".txt", {note.begin(), note.end()}));
        }
    }
    DeviceDocument doc;
    doc.Load(held, DocumentOrigin::File("device.lum"));
    doc.program.Records[0] ^= 0xFF;
    WriteRequest request;
    request.scope = WriteScope::WholeDevice(2);
    request.accessLevel = 1;
    WriteHooks hooks;
    hooks.op = &op;
    hooks.keepBackup = DeviceHistory::BackupKeeper(port, folder);
    const DeviceWriteReport r = WriteToDevice(port, doc, request, hooks);
    ASSERT_EQ(r.end, WriteEnd::Done);
    EXPECT_TRUE(r.backupError.empty());
    const auto list = DeviceHistory::List(folder);
    ASSERT_EQ(list.size(), 200u);
    EXPECT_EQ(list[0].path.toStdString(), r.backupPath);
    EXPECT_EQ(list[0].sequence, numbered ? 206 : 1);
    EXPECT_EQ(ReadWholeFile(list[0].path), held.ToFile());
    if (numbered) {
        EXPECT_EQ(list.back().sequence, 7);
    } else {
        EXPECT_EQ(list.back().when, ahead.addSecs(6));
    }
}

INSTANTIATE_TEST_SUITE_P(DeviceHistory, FutureStamps, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "Numbered" : "BeforeTheNumbers");
                         });

// Pruning by the devices' letters, newest first: A is device 1 and B device 2 of one
// modification, C device 1 of another. Every back-up counts 100 bytes.
struct PruneCase {
    const char* name;
    const char* devices;
    DeviceHistory::Limits limits;
    std::vector<size_t> removed; // positions, oldest first
};

class Pruning : public ::testing::TestWithParam<PruneCase> {};

TEST_P(Pruning, KeepsEachDevicesNewest) {
    const PruneCase& c = GetParam();
    std::vector<DeviceHistory::Entry> list;
    for (const char* d = c.devices; *d; ++d) {
        DeviceHistory::Entry e;
        e.modifCode = *d == 'C' ? "1000000000000000" : "1002000000000000";
        e.deviceNumber = *d == 'B' ? 2 : 1;
        e.bytes = 100;
        list.push_back(e);
    }
    EXPECT_EQ(DeviceHistory::ToRemove(list, c.limits), c.removed);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceHistory, Pruning,
    ::testing::Values(
        // 200 back-ups of others do not take a device's only one.
        PruneCase{"OthersNeverTakeTheOnlyOne", "AAAAB", {2, 3, 0}, {3, 2}},
        PruneCase{"OldestBeyondTheNewestPerDevice", "ABABAB", {1, 4, 0}, {5, 4}},
        // The same number under another modification is another device.
        PruneCase{"ModificationAndNumberMakeTheDevice", "AACC", {1, 2, 0}, {3, 1}},
        // The devices' newest win over the total.
        PruneCase{"NewestPerDeviceOverTheTotal", "AAABC", {1, 1, 0}, {2, 1}},
        PruneCase{"NoneKeptIsStillTheNewest", "AAA", {0, 1, 0}, {2, 1}},
        PruneCase{"SizeLimit", "AAAAA", {1, 0, 250}, {4, 3, 2}},
        PruneCase{"BothLimitsTheStricterWins", "AAAAA", {1, 4, 250}, {4, 3, 2}},
        PruneCase{"WithinTheLimits", "AABB", {1, 4, 400}, {}},
        PruneCase{"NoLimits", "AAAA", {1, 0, 0}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
