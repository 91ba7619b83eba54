// Operator journeys around writes on the emulated device: "Сверить с прибором", the check after
// a write, the back-up before it, the device history and putting a back-up back.

#include "app/historywindow.h"
#include "dialogs/differencesdialog.h"
#include "guisupport/guiharness.h"
#include "platform/devicehistory.h"
#include "platform/filestore.h"
#include "port/timingdialog.h"
#include "support/testfaults.h"

#include <QCheckBox>
#include <QDir>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList Lines(QDialog& d) {
    QStringList lines;
    auto& diff = static_cast<DifferencesDialog&>(d);
    for (int i = 0; i < diff.List->count(); ++i)
        lines << diff.List->item(i)->text();
    return lines;
}

int Writes(GuiHarness& h) {
    int n = 0;
    for (const auto& r : h.Device().RequestLog())
        n += r.function == 69;
    return n;
}

emu::Device::Records Pattern(uint8_t seed) {
    emu::Device::Records r{};
    for (size_t i = 0; i < r.size(); ++i)
        r[i] = uint8_t(seed + 3 * i);
    // Inputs 3 to 5 of a valve module are dry contacts, as every read leaves them.
    for (size_t i : {6u, 9u, 12u})
        r[i] &= 0xFE;
    return r;
}

// What the device stores: its address, configuration, module blocks and network image.
std::vector<std::string> Memory(GuiHarness& h) {
    std::vector<std::string> kept;
    for (const std::string& line : h.Device().Dump())
        if (line.rfind("address", 0) == 0 || line.rfind("config", 0) == 0 ||
            line.rfind("block", 0) == 0 || line.rfind("image", 0) == 0)
            kept.push_back(line);
    return kept;
}

} // namespace

class TestVerify : public QObject {
    Q_OBJECT
private slots:
    void init() { QDir(DeviceHistory::Folder()).removeRecursively(); }

    void verifyFindsAByteChangedInTheDevice() {
        GuiHarness h;
        QVERIFY(DeviceHistory::Folder().startsWith(GuiHarness::AppDataFolder()));
        h.ReadDevice();
        h.Main().VerifyClick();
        QVERIFY(h.Op().Saw("Прибор совпадает с данными программы"));
        QCOMPARE(h.PendingModal(), 0);

        h.Device().PokeByte(2, 4, 0x99); // input DI_2_2: delay 25, sound off, archive on
        QStringList lines;
        h.OnModal([&](QDialog& d) { lines = Lines(d); });
        h.Main().VerifyClick();
        QCOMPARE(lines, QStringList({"Модуль 2, вход DI_2_2: задержка 0 → 25 с",
                                     "Модуль 2, вход DI_2_2: архив отключено → включено"}));
        QCOMPARE(Writes(h), 0);
    }

    // A device cell that does not take the write: the write reports success, the read-back
    // finds the difference, and the change stays marked to be offered again.
    void checkAfterWriteFindsWhatTheDeviceDidNotKeep() {
        GuiHarness h;
        h.GrantAccess(1);
        h.ReadDevice();
        h.Main().Program().PutDelay(7, 10);
        h.Device().PokeByte(2, 4, 0x00, /*stuck=*/true);
        QStringList lines;
        h.OnModal([&](QDialog& d) { lines = Lines(d); });
        h.Main().WriteDeviceClick();
        QCOMPARE(lines, QStringList({"Модуль 2, вход DI_2_2: задержка 10 → 0 с"}));
        QVERIFY(h.ModuleChanged(1)); // the device did not keep it
        QCOMPARE(Writes(h), 3);

        // Switched off in "Настройка обмена": the same write is not read back.
        h.OnModal([](QDialog& d) {
            auto& dialog = static_cast<ExchangeTimingDialog&>(d);
            dialog.verifyCheck->setChecked(false);
            Click(dialog.OK);
        });
        h.Main().ExchangeTimingClick();
        QVERIFY(!h.Main().VerifyWrites());
        h.Main().WriteDeviceClick();
        QCOMPARE(h.PendingModal(), 0);
        QCOMPARE(h.ModalTitles().count("Различия"), 1);
        QVERIFY(!h.ModuleChanged(1));
    }

    void backUpHoldsThePreviousDeviceAndEqualDataAreNotWritten() {
        GuiHarness h;
        h.GrantAccess(1);
        h.Device().SetModuleRecords(2, Pattern(0x11));
        h.ReadDevice();
        // "Сохранить как ..." of what was read: the back-up must be the same file.
        QTemporaryDir dir;
        h.OnFileDialog(dir.filePath("read.lum"));
        h.Main().SaveFileClick();
        const auto saved = ReadWholeFile(dir.filePath("read.lum"));
        QVERIFY(saved);
        const auto before = h.Device().GetModuleRecords(2);
        const auto imageBefore = h.Device().GetImage();
        h.Main().Program().PutDelay(7, 10);
        h.Main().Network().PutSpeedCode(2);
        h.Main().WriteDeviceClick();
        const auto list = DeviceHistory::List();
        QCOMPARE(int(list.size()), 1);
        const auto file = ReadWholeFile(list[0].path);
        QVERIFY(file && file->size() == 712u);
        QVERIFY(*file == *saved);
        const auto kept = *DeviceImage::FromFile(*file);
        QVERIFY(std::ranges::equal(kept.Group(1), before));
        QVERIFY(std::ranges::equal(kept.Network(), imageBefore));
        QCOMPARE(list[0].deviceNumber, 1);
        QCOMPARE(list[0].modifCode, QString("1002000000000000"));
        QVERIFY(h.Device().GetModuleRecords(2) != before);

        const int writes = Writes(h);
        h.Op().Clear();
        h.Main().WriteDeviceClick();
        QVERIFY(h.Op().Saw("Прибор уже содержит эти данные"));
        QCOMPARE(Writes(h), writes);
        QCOMPARE(int(DeviceHistory::List().size()), 1);
    }

    void failedBackUpReadStopsTheWrite() {
        GuiHarness h;
        h.GrantAccess(1);
        h.ReadDevice();
        h.Main().Program().PutDelay(7, 10);
        h.Device().SetFaults({SilentFrom()});
        h.Main().WriteDeviceClick(); // the question's default is No
        QVERIFY(h.Op().LastText().find("Записать в прибор без резервной копии?") !=
                std::string::npos);
        h.Device().ClearFaults();
        QCOMPARE(Writes(h), 0);
        QVERIFY(DeviceHistory::List().empty());
    }

    // The operator writes the wrong data, then opens the back-up from the history and writes
    // it back: the device holds its old contents byte for byte. The history never grows past
    // its limit, and the newest back-up survives the pruning.
    void restoringABackUpThroughF10() {
        GuiHarness h;
        h.GrantAccess(1);
        const QDateTime old(QDate(2020, 1, 1), QTime(0, 0));
        const auto blank = *DeviceImage::FromFile(std::vector<uint8_t>(712, 0));
        for (int i = 0; i < DeviceHistory::Limits{}.maxFiles; ++i)
            QVERIFY(DeviceHistory::Save(blank, 1, nullptr, nullptr, DeviceHistory::Folder(),
                                        old.addSecs(i)));
        h.Device().SetModuleRecords(1, Pattern(0x21));
        h.Device().SetModuleRecords(2, Pattern(0x05));
        emu::Device::Image image{};
        image[1] = 15, image[81] = 0x0A;
        h.Device().SetImage(image);
        const auto memory = Memory(h);
        QCOMPARE(int(memory.size()), 9);
        h.ReadDevice();
        h.Main().Program().ApplyPreset(TestPreset::Green, h.Main().Modules());
        h.Main().Network().DeleteBlock(0);
        h.Main().WriteDeviceClick();
        QVERIFY(Memory(h) != memory);
        const auto list = DeviceHistory::List();
        QCOMPARE(int(list.size()), DeviceHistory::Limits{}.maxFiles);
        QCOMPARE(list.back().when, old.addSecs(1)); // the oldest went
        QVERIFY(list.front().when > old.addYears(5));

        h.OnModal([](QDialog& d) {
            auto& history = static_cast<HistoryWindow&>(d);
            QCOMPARE(history.Table->rowCount(), DeviceHistory::Limits{}.maxFiles);
            QVERIFY(history.Table->item(0, HistoryWindow::Differences)
                        ->text()
                        .contains("(всего различий:"));
            QCOMPARE(history.Table->item(0, HistoryWindow::Port)->text(),
                     QString(FakeLine::PortName) + ", 9600 бит/с, 8N2");
            QCOMPARE(history.Table->item(DeviceHistory::Limits{}.maxFiles - 1, HistoryWindow::Port)
                         ->text(),
                     "нет сведений");
            Click(history.Open); // the newest is selected
        });
        h.Main().HistoryClick();
        QVERIFY(h.Main().Document().IsFileMode());
        QCOMPARE(h.Main().CurFile(), list.front().path);

        // With unsaved edits of the open file, another back-up is opened only after the
        // question; Cancel keeps the file and its edits.
        const int zader = h.Main().Program().GetDelay(0);
        h.Main().Program().PutDelay(0, zader + 1);
        h.OnModal([](QDialog& d) { Click(static_cast<HistoryWindow&>(d).Open); });
        h.Op().Answer(MsgButton::Cancel);
        h.Main().HistoryClick();
        QCOMPARE(h.Op().LastText(), std::string("Данные были изменены. Сохранить в файле?"));
        QCOMPARE(h.Main().Program().GetDelay(0), zader + 1);
        h.Main().Program().PutDelay(0, zader);

        h.Main().WriteDeviceClick();
        QCOMPARE(Memory(h), memory);
    }
};

QTEST_MAIN(TestVerify)
#include "tst_verify.moc"
