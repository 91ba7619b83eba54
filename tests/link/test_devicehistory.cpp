// Reading a device into a separate image, and the back-up before a write, against the emulated
// device on the scripted line.

#include "enginefixture.h"

#include "emu/device.h"
#include "link/deviceimageread.h"
#include "model/devicecompare.h"
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

TEST_F(HistoryTest, BackUpKeepsTheDeviceUnlessItAlreadyHoldsTheWrite) {
    const DeviceImage held = Read();
    const QString folder = dir.path() + "/history/";
    BackupResult r =
        BackUpBeforeWrite(port, 0, held, WriteScope::WholeDevice(2), false, {}, folder);
    EXPECT_EQ(r.step, BackupStep::AlreadyThere);
    EXPECT_TRUE(DeviceHistory::List(folder).empty());

    DeviceImage wanted = held;
    const uint8_t changed[18] = {};
    wanted.PutGroup(0, changed);
    r = BackUpBeforeWrite(port, 0, wanted, WriteScope::WholeDevice(2), false, {}, folder);
    ASSERT_EQ(r.step, BackupStep::Write);
    const auto list = DeviceHistory::List(folder);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].path, r.path);
    EXPECT_EQ(list[0].deviceNumber, 1);
    EXPECT_EQ(list[0].modifCode, "1002000000000000");
    const auto file = ReadWholeFile(r.path);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->size(), 712u);
    EXPECT_EQ(DeviceImage::FromFile(*file)->Group(1)[0], 0x40);
    // Only the second module's group differs: a write of the first module alone is no change.
    EXPECT_EQ(BackUpBeforeWrite(port, 0, wanted, WriteScope::Module(1), false, {}, folder).step,
              BackupStep::AlreadyThere);

    device.SetFaults({SilentFrom()});
    r = BackUpBeforeWrite(port, 0, wanted, WriteScope::WholeDevice(2), false, {}, folder);
    EXPECT_EQ(r.step, BackupStep::ReadFailed);
    EXPECT_EQ(r.code, ResultCode::NoAnswer);
}

TEST(DeviceHistoryFolder, PruningKeepsTheNewestAndLeavesOtherFiles) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    const DeviceImage image = *DeviceImage::FromFile(std::vector<uint8_t>(712, 0));
    const QDateTime t0(QDate(2026, 1, 2), QTime(3, 4, 5));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(DeviceHistory::Save(image, 7, nullptr, nullptr, folder, t0.addSecs(60 * i)));
    ASSERT_TRUE(DeviceHistory::Save(image, 7, nullptr, nullptr, folder, t0)); // same moment
    ASSERT_TRUE(ReplaceFileAtomically(folder + "mine.lum", {1}));
    EXPECT_EQ(DeviceHistory::List(folder).size(), 6u);
    EXPECT_EQ(DeviceHistory::Prune(folder, 2), 4);
    const auto kept = DeviceHistory::List(folder);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].when, t0.addSecs(240));
    EXPECT_EQ(kept[1].when, t0.addSecs(180));
    EXPECT_EQ(QFileInfo(kept[0].path).fileName(), "0000000000000000_07_20260102-030805-000.lum");
    EXPECT_TRUE(QFile::exists(folder + "mine.lum"));
}

} // namespace
