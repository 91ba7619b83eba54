// Reading and writing a whole device from the main window, against the emulated device.

#include "guisupport/guiharness.h"
#include "support/testfaults.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <cstring>

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

emu::Device::Records Records(uint8_t first) {
    emu::Device::Records r{};
    for (size_t i = 0; i < r.size(); ++i)
        r[i] = uint8_t(first + i);
    return r;
}
} // namespace

class TestDeviceCommands : public QObject {
    Q_OBJECT

private slots:
    void readShowsTheModuleTableOverPseudoTerminal() {
        GuiHarness h(GuiHarness::Line::Pty);
        h.Device().SetModuleRecords(2, Records(0x40));
        emu::Device::Image image{};
        image[1] = 15;
        image[81] = 0x0A;
        h.Device().SetImage(image);
        MainWindow& m = h.Main();
        h.ReadDevice();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QCOMPARE(m.modificationEdit->text(), QString("1002000000000000"));
        QCOMPARE(m.designationLabel->text(), U("ЛУМ-08-1002000000000000"));
        QCOMPARE(m.inputCountLabel->text(), QString("12"));
        QCOMPARE(m.moduleTypeLabels[0]->text(), U("МЛВ"));
        QCOMPARE(m.programButtons[0]->text(), U("нет"));
        QVERIFY(!m.programButtons[0]->isEnabled());
        QCOMPARE(m.moduleTypeLabels[1]->text(), U("МСЮ"));
        QCOMPARE(m.moduleAddressLabels[1]->text(), QString("3"));
        QCOMPARE(m.moduleCodeLabels[1]->text(), QString("2"));
        QCOMPARE(m.inputRangeLabels[1]->text(), QString("DI_2_1 - DI_2_6"));
        QCOMPARE(m.programButtons[1]->text(), U("программ."));
        QVERIFY(m.programButtons[1]->isEnabled());
        QVERIFY(m.moduleAddressLabels[2]->text().isEmpty());
        for (QPushButton* b : {m.inputsTableButton, m.clockButton, m.testButton,
                               m.networkSettingsButton, m.f15BlocksButton})
            QVERIFY(b->isEnabled());
        QVERIFY(!m.Document().IsFileMode());
        QVERIFY(m.progressBar->isHidden());
        // The model holds the device's records and image, and so does its baseline.
        QCOMPARE(int(m.Program().Records[18]), 0x40);
        QCOMPARE(int(m.Network().Image[1]), 15);
        QCOMPARE(int(m.Document().Baseline().Network()[81]), 0x0A);
        QCOMPARE(int(m.Document().Baseline().Group(1)[17]), 0x40 + 17);
        QVERIFY(!m.Document().HasUnsavedWork());
    }

    void writeSendsRecordsAndImageOverPseudoTerminal() {
        GuiHarness h(GuiHarness::Line::Pty);
        h.Device().SetBusyAfterWrite(1);
        h.ReadDevice();
        MainWindow& m = h.Main();
        h.GrantAccess(1);
        m.Program().PutDelay(0, 33);
        m.Program().PutColor(7, 6);
        m.Network().PutSpeedCode(3);
        QVERIFY(h.Changed());
        m.WriteDeviceClick();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QVERIFY(!h.Changed()); // the device holds the edits
        const auto block1 = h.Device().GetModuleRecords(1);
        const auto block2 = h.Device().GetModuleRecords(2);
        QVERIFY(std::memcmp(block1.data(), m.Program().Records, 18) == 0);
        QVERIFY(std::memcmp(block2.data(), m.Program().Records + 18, 18) == 0);
        QCOMPARE(int(h.Device().GetImage()[81]), 0x0C);
        QCOMPARE(int(h.Device().GetImage()[0]), 17);
    }

    void writeRefusals() {
        GuiHarness h;
        MainWindow& m = h.Main();
        // Nothing read yet: no configuration on screen.
        h.GrantAccess(1);
        m.WriteDeviceClick();
        QCOMPARE(h.Op().LastText(), std::string("Kонфигурация не задана"));
        QVERIFY(h.Fake().Written().empty());

        h.ReadDevice();
        h.GrantAccess(0);
        h.Fake().ClearRecords();
        m.WriteDeviceClick();
        QCOMPARE(h.Op().LastText(),
                 std::string("Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт"));
        QVERIFY(h.Fake().Written().empty());
    }

    void writeToADeviceWithAnotherModuleCountRestoresTheModel() {
        GuiHarness h;
        MainWindow& m = h.Main();
        h.ReadDevice();
        h.GrantAccess(1);
        uint8_t config[17];
        std::memcpy(config, m.Modules().Config, 17);
        h.Device().SetModules({{0, 1}, {3, 2}, {5, 2}});
        h.Fake().ClearRecords();
        m.WriteDeviceClick();
        QCOMPARE(h.Op().LastText(),
                 std::string("Количество модулей в приборе\nне соответствует количеству модулей "
                             "на экране"));
        QCOMPARE(m.Modules().ModuleCount, 2);
        QVERIFY(std::memcmp(config, m.Modules().Config, 17) == 0);
        QCOMPARE(m.Modules().ModuleType[0], 1);
        QCOMPARE(m.Modules().ModuleType[1], 2);
        QCOMPARE(m.Modules().ModuleAddress[1], 3);
        QCOMPARE(m.Modules().ModuleAddress[2], 0);
        // Function 17 only: the back-up's, which is also the write's check of the modules and
        // stops at the other configuration.
        QCOMPARE(h.Fake().Written().size(), size_t(1));
        for (const auto& frame : h.Fake().Written())
            QCOMPARE(int(frame[1]), 17);

        // Same count, another slot: the configuration message.
        h.Device().SetModules({{0, 1}, {4, 2}});
        m.WriteDeviceClick();
        QCOMPARE(h.Op().LastText(), std::string("Передаваемая конфигурация\nне соответствует "
                                                "конфигурации прибора"));
        QCOMPARE(h.Op().Shown().back().caption, std::string("Подтверждение"));
        QCOMPARE(m.Modules().ModuleAddress[1], 3);
    }

    void deviceWithoutModulesStillReadsTheImage() {
        GuiHarness h;
        h.Device().SetModules({});
        h.ReadDevice();
        QVERIFY(h.Op().Shown().empty());
        const auto log = h.Device().RequestLog();
        QCOMPARE(log.size(), size_t(2));
        QCOMPARE(int(log[0].function), 17);
        QCOMPARE(int(log[1].function), 68);
        QCOMPARE(log[1].data, std::vector<uint8_t>{17});
        QCOMPARE(h.Main().inputCountLabel->text(), QString("0"));
        QVERIFY(h.Main().f15BlocksButton->isEnabled());
    }

    void readInterruptedBySilentDevice() {
        GuiHarness h;
        MainWindow& m = h.Main();
        h.SetFileMode();
        // The configuration and the first module answer, then nothing.
        h.Device().AddFault(SilentFrom(3));
        h.ReadDevice();
        QCOMPARE(h.Op().LastText(), std::string("устройство 1 FAKE не отвечает на запрос"));
        QVERIFY(!m.Document().IsFileMode());
        for (QPushButton* b : {m.clockButton, m.networkSettingsButton, m.f15BlocksButton})
            QVERIFY(!b->isEnabled());
        QVERIFY(m.progressBar->isHidden());
        // About 8 s on the line, none of it real.
        QVERIFY(h.Clock().ElapsedMs() > 7000);
        // What came before the failure is shown.
        QCOMPARE(m.modificationEdit->text(), QString("1002000000000000"));
    }

    void testMenuPresetWritesEveryInput() {
        GuiHarness h;
        h.Device().SetBusyAfterWrite(0);
        h.ReadDevice();
        h.GrantAccess(1);
        MainWindow& m = h.Main();
        QAction* red = nullptr;
        for (QAction* sub : m.testMenu->actions())
            if (sub->menu())
                for (QAction* a : sub->menu()->actions())
                    if (QString(a->text()).remove('&') == U("Красный"))
                        red = a;
        QVERIFY(red);
        red->trigger();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        for (int block = 1; block <= 2; ++block) {
            const auto r = h.Device().GetModuleRecords(block);
            for (int i = 0; i < 6; ++i) {
                QCOMPARE(r[size_t(3 * i)] & 0xFA, 0xA0);  // emergency, red, normally closed
                QCOMPARE(r[size_t(3 * i + 1)] & 0x40, 0); // no sound
            }
        }
    }
};

QTEST_MAIN(TestDeviceCommands)
#include "tst_devicecommands.moc"
