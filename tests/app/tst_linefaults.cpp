// Line faults seen from the windows: the main window's read (F9), write (F10) and bus-number
// change, the network window's transfer on closing and the scheme editor's module write, on the
// real serial line over a pseudo-terminal, the emulated device misbehaving mid-command.
// The operator sees the engine's message, the main window stays open, the model is complete or
// the operator was told, and the same command then works on a healthy line.

#include "app/passworddialog.h"
#include "dialogs/commandrun.h"
#include "guisupport/guiharness.h"
#include "network/networkwindow.h"
#include "scheme/schemeeditor.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <cstring>
#include <memory>

namespace {

// A write first reads the device for its back-up: the configuration, the emulator's two
// modules and the network image.
constexpr uint64_t kBackupReads = 4;

emu::Fault FaultFrom(emu::FaultKind kind, uint64_t from, int value = 0) {
    emu::Fault f;
    f.kind = kind;
    f.from = from;
    f.value = value;
    return f;
}

// Shows the main window as at start-up, past the password prompt, so that a request to close
// it would be seen.
void ShowMainWindow(GuiHarness& h) {
    h.OnModal([](QDialog& d) {
        auto& dialog = static_cast<PasswordDialog&>(d);
        Part<QLineEdit>(dialog, "passwordEdit")->clear();
        QTest::keyClick(Part<QLineEdit>(dialog, "passwordEdit"), Qt::Key_Return);
    });
    h.Main().show();
    QApplication::processEvents();
    h.GrantAccess(1);
    h.Op().Clear();
}

// Whether the device holds the model's configuration, records and network image.
bool DeviceEqualsModel(GuiHarness& h) {
    MainWindow& m = h.Main();
    const auto config = h.Device().GetConfig();
    if (std::memcmp(config.data(), m.Modules().Config, 17) != 0)
        return false;
    for (int k = 0; k < m.Modules().GetModuleCount(); ++k)
        if (std::memcmp(h.Device().GetModuleRecords(k + 1).data(), m.Program().Records + 18 * k,
                        18) != 0)
            return false;
    return std::memcmp(h.Device().GetImage().data() + 1, m.Network().Image + 1, 81) == 0;
}

void EditModel(MainWindow& m) {
    for (int input = 0; input < 12; ++input)
        m.Program().PutDelay(input, 10 + input);
    m.Network().PutSpeedCode(2);
    m.Network().PutSlaveAddress(0, 9);
}

std::string Who(GuiHarness& h, int number) {
    return "устройство " + std::to_string(number) + " " + h.Main().Engine().PortName;
}

// The device on a new line, healthy again, and the port set up on it; null when that failed.
std::unique_ptr<emu::PtyServer> Replug(GuiHarness& h) {
    h.Device().ClearFaults();
    auto line = std::make_unique<emu::PtyServer>(h.Device());
    ExchangeEngine& port = h.Main().Engine();
    if (!line->Start())
        return nullptr;
    port.PortName = line->SlavePath();
    if (ApplyPortSettings(h.Main()) != 0)
        return nullptr;
    h.Op().Clear();
    return line;
}
} // namespace

class TestLineFaults : public QObject {
    Q_OBJECT

private slots:
    void readDeviceSilentMidway() {
        GuiHarness h(GuiHarness::Line::Pty);
        ShowMainWindow(h);
        MainWindow& m = h.Main();
        m.Engine().SetHeaderRepeats(1);
        // The configuration and the first module answer, then nothing.
        h.Device().AddFault(FaultFrom(emu::FaultKind::Silent, h.Device().RequestCount() + 3));
        h.ReadDevice();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().LastText(), Who(h, 1) + " не отвечает на запрос");
        QVERIFY(m.isVisible());
        QVERIFY(m.progressBar->isHidden());
        for (QPushButton* b : {m.clockButton, m.networkSettingsButton, m.f15BlocksButton})
            QVERIFY(!b->isEnabled()); // nothing offered on a half-read device

        h.Device().ClearFaults();
        h.Op().Clear();
        h.ReadDevice();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QVERIFY(DeviceEqualsModel(h));
        QVERIFY(m.f15BlocksButton->isEnabled());
    }

    void writeRefusedWithExceptionSeven() {
        GuiHarness h(GuiHarness::Line::Pty);
        ShowMainWindow(h);
        MainWindow& m = h.Main();
        h.Device().SetBusyAfterWrite(0);
        h.ReadDevice();
        EditModel(m);
        // The back-up (whose function 17 is also the check of the modules) and the first module
        // pass; the second module is refused.
        const uint64_t from = h.Device().RequestCount() + kBackupReads + 3;
        h.Device().AddFault(FaultFrom(emu::FaultKind::Exception, from, 7));
        m.WriteDeviceClick();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        // Module 2 went out and was refused: it is not reported as never sent.
        QCOMPARE(h.Op().LastText(), Who(h, 1) + " ошибка обмена 07\nЗаписан модуль 1 из 2; "
                                                "модуль 2 передан, но прибор не подтвердил его "
                                                "запись; прибор записан не полностью.");
        QCOMPARE(h.Op().Shown()[0].caption, std::string("Предупреждение"));
        QVERIFY(m.isVisible());
        QVERIFY(m.progressBar->isHidden());
        int sends = 0; // 7 is final: the refused block is not sent again
        for (const auto& r : h.Device().RequestLog())
            sends += r.number >= from && r.function == 69;
        QCOMPARE(sends, 1);
        QVERIFY(!DeviceEqualsModel(h));

        h.Device().ClearFaults();
        h.Op().Clear();
        m.WriteDeviceClick();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QVERIFY(DeviceEqualsModel(h));
    }

    void portVanishesMidWrite() {
        GuiHarness h(GuiHarness::Line::Pty);
        ShowMainWindow(h);
        MainWindow& m = h.Main();
        h.Device().SetBusyAfterWrite(0);
        h.ReadDevice();
        EditModel(m);
        const std::string port = m.Engine().PortName;
        // The line goes at the first module's poll.
        h.Device().AddFault(
            FaultFrom(emu::FaultKind::Hangup, h.Device().RequestCount() + kBackupReads + 3));
        m.WriteDeviceClick();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        const OperatorMessage& gone = h.Op().Shown()[0];
        QVERIFY2(gone.text.rfind("Сбой COM-порта " + port + " при чтении или записи", 0) == 0,
                 gone.text.c_str());
        QVERIFY(gone.text.find("Проверьте оборудование и заново настройте порт.") !=
                std::string::npos);
        QCOMPARE(gone.caption, std::string("Ошибка"));
        QVERIFY(!m.Engine().IsOpen());
        QApplication::processEvents();
        QVERIFY(m.isVisible()); // the program goes on

        // Until the port is set up again every command says so, and still nothing closes. The
        // edits the device never took are asked for first.
        h.Op().Clear();
        h.Op().Answer(MsgButton::Cancel);
        h.ReadDevice();
        QCOMPARE(h.Op().LastText(), std::string("Данные были изменены. Сохранить в файле?"));
        QVERIFY(m.Document().HasUnsavedWork());
        h.Op().Answer(MsgButton::No);
        h.ReadDevice();
        QCOMPARE(h.Op().LastText(), std::string("Не выбран COM-порт."));
        QApplication::processEvents();
        QVERIFY(m.isVisible());

        // The operator plugs the device in again and sets the port up.
        const auto again = Replug(h);
        QVERIFY(again);
        m.WriteDeviceClick();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QVERIFY(DeviceEqualsModel(h));
        ClosePort(m);
        again->Stop();
    }

    void busNumberChangeWithSpoiltChecksums() {
        GuiHarness h(GuiHarness::Line::Pty);
        ShowMainWindow(h);
        MainWindow& m = h.Main();
        h.Device().SetBusyAfterWrite(0);
        m.Engine().SetHeaderRepeats(1);
        m.Engine().SetBodyRepeats(1);
        // The device takes block 99, then every answer's CRC is spoilt.
        h.Device().AddFault(FaultFrom(emu::FaultKind::BadCrc, h.Device().RequestCount() + 2, 3));
        m.newNumberBox->setCurrentIndex(4);
        m.NewNumberChanged();
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        // Block 99 goes through the write path: its report says what the device did with it.
        QCOMPARE(h.Op().LastText(), Who(h, 5) + " ошибка контрольной суммы\nНомер прибора "
                                                "передан, но прибор не подтвердил его запись.");
        QCOMPARE(h.Device().Address(), 5);
        QCOMPARE(m.deviceNumberBox->currentText(), QString("5")); // the window follows the device

        h.Device().ClearFaults();
        m.Engine().SetHeaderRepeats(5);
        m.Engine().SetBodyRepeats(10);
        h.Op().Clear();
        m.newNumberBox->setCurrentIndex(5);
        m.NewNumberChanged();
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QCOMPARE(h.Device().Address(), 6);
        QCOMPARE(m.deviceNumberBox->currentText(), QString("6"));
        h.ReadDevice(); // and the device answers there
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QVERIFY(m.isVisible());
    }

    void networkWindowTransferWhenThePortVanishes() {
        GuiHarness h(GuiHarness::Line::Pty);
        ShowMainWindow(h);
        MainWindow& m = h.Main();
        h.Device().SetBusyAfterWrite(0);
        h.ReadDevice();
        // The block is sent, and the line goes at its poll.
        h.Device().AddFault(
            FaultFrom(emu::FaultKind::Hangup, h.Device().RequestCount() + kBackupReads + 2));
        const std::string port = m.Engine().PortName;
        auto closeWithTransfer = [&](int speed) {
            h.OnModal([speed](QDialog& d) {
                auto& window = static_cast<NetworkWindow&>(d);
                window.speedBox->setCurrentIndex(speed);
                Click(window.OK);
            });
            m.NetworkSettingsClick();
        };
        // The transfer fails: the window stays with the edits, and the next close offers the
        // transfer again (Cancel keeps editing).
        h.Op().Answer(MsgButton::Yes);
        h.Op().Answer(MsgButton::Cancel);
        closeWithTransfer(2);
        QCOMPARE(h.Op().Shown().size(), size_t(3));
        QCOMPARE(h.Op().Shown()[0].text, std::string("База  была изменена. Передать в прибор?"));
        QCOMPARE(h.Op().Shown()[2].text, h.Op().Shown()[0].text);
        const OperatorMessage& gone = h.Op().Shown()[1];
        QVERIFY2(gone.text.rfind("Сбой COM-порта " + port + " при чтении или записи", 0) == 0,
                 gone.text.c_str());
        QApplication::processEvents();
        QVERIFY(m.isVisible());

        const auto again = Replug(h);
        QVERIFY(again);
        // Opening the window is a new save point: the operator edits and closes again.
        h.Op().Answer(MsgButton::Yes); // "Передать в прибор?"
        closeWithTransfer(3);
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QVERIFY(!m.Document().NetworkChanged());
        QVERIFY(DeviceEqualsModel(h));
        ClosePort(m);
        again->Stop();
    }

    void schemeEditorWriteBusyThenSilent() {
        GuiHarness h(GuiHarness::Line::Pty);
        ShowMainWindow(h);
        MainWindow& m = h.Main();
        InputProgram& inputProgram = m.Program();
        h.Device().SetBusyAfterWrite(0);
        h.ReadDevice();
        auto moduleTwoStored = [&] {
            const auto r = h.Device().GetModuleRecords(2);
            return std::memcmp(r.data(), inputProgram.Records + 18, 18) == 0;
        };
        bool checked = false;
        h.OnModal([&](QDialog& d) {
            auto& editor = static_cast<SchemeEditor&>(d);
            QApplication::processEvents();
            // F10 on a device that stays busy for many polls: waited out, nothing shown.
            inputProgram.PutDelay(8, 9);
            h.Device().SetBusyAfterWrite(6);
            const uint64_t before = h.Device().RequestCount();
            editor.WriteDeviceClick();
            QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
            QVERIFY(moduleTwoStored());
            // The back-up, 69, 6 busy, the echo, the module read back.
            QCOMPARE(h.Device().RequestCount() - before, kBackupReads + 1 + 7 + 1);

            // F10 with the device going silent after taking the block.
            h.Device().SetBusyAfterWrite(0);
            m.Engine().SetHeaderRepeats(1);
            inputProgram.PutDelay(9, 11);
            h.Device().AddFault(
                FaultFrom(emu::FaultKind::Silent, h.Device().RequestCount() + kBackupReads + 2));
            editor.WriteDeviceClick();
            QCOMPARE(h.Op().Shown().size(), size_t(1));
            QCOMPARE(h.Op().LastText(), Who(h, 1) + " не отвечает на запрос\n"
                                                    "Модуль 2 передан, но прибор не подтвердил "
                                                    "его запись.");
            QVERIFY(editor.progressBar->isHidden());
            QVERIFY(h.ModuleChanged(1)); // not confirmed: the device may lack the edits

            // The line is healthy again: F10 sends without asking. The device took the block
            // before it went silent: the back-up read finds it there.
            h.Device().ClearFaults();
            m.Engine().SetHeaderRepeats(5);
            h.Op().Clear();
            editor.WriteDeviceClick();
            QCOMPARE(h.Op().Shown().size(), size_t(1));
            QCOMPARE(h.Op().LastText(), std::string("Прибор уже содержит эти данные"));
            QVERIFY(moduleTwoStored());
            QVERIFY(!h.ModuleChanged(1));
            editor.CloseWith(mr::Cancel);
            checked = true;
        });
        m.OpenSchemeClick(2);
        QVERIFY(checked);
        QApplication::processEvents();
        QVERIFY(m.isVisible());
    }
};

QTEST_MAIN(TestLineFaults)
#include "tst_linefaults.moc"
