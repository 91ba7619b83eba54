// The main window's whole-device write (F10) with a fault at each of its requests in turn, and
// the journeys where a write ends after a block went out: after each, what the emulated device
// holds is compared with what the operator was told, the data not known to be on the device
// are still marked changed, and F10 on a healthy line then writes them.

#include "dialogs/commandrun.h"
#include "guisupport/guiharness.h"
#include "link/frameobserver.h"
#include "port/timingdialog.h"
#include "scheme/schemeeditor.h"
#include "support/testfaults.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <array>
#include <functional>

namespace {

// The emulator's default device: two modules, then the network image.
constexpr int kModules = 2;
constexpr int kBlocks = kModules + 1;

using Bytes = std::vector<uint8_t>;
using Contents = std::array<Bytes, kBlocks>;

Contents DeviceHolds(const emu::Device& device) {
    Contents c;
    for (int m = 0; m < kModules; ++m) {
        const auto r = device.GetModuleRecords(m + 1);
        c[m] = Bytes(r.begin(), r.end());
    }
    const auto image = device.GetImage();
    c[kModules] = Bytes(image.begin() + 1, image.end()); // byte 0 is the block number
    return c;
}

Contents DocumentHolds(DeviceDocument& doc) {
    Contents c;
    for (int m = 0; m < kModules; ++m)
        c[m] = Bytes(doc.program.Records + 18 * m, doc.program.Records + 18 * (m + 1));
    c[kModules] = Bytes(doc.network.Image + 1, doc.network.Image + NetworkBlocks::ImageSize);
    return c;
}

bool Changed(DeviceDocument& doc, int block) {
    return block < kModules ? doc.ModuleChanged(block) : doc.NetworkChanged();
}

// Every block the device holds differs from what it held before.
void EditEveryBlock(MainWindow& m) {
    for (int input = 0; input < 24; ++input)
        m.Program().PutDelay(input, 5 + input);
    m.Network().PutSpeedCode(2);
    m.Network().PutSlaveAddress(0, 9);
}

enum class Held { Old, New, Either };

const char* Name(Held h) {
    return h == Held::Old ? "old" : h == Held::New ? "new" : "either";
}

// What the operator was told the device holds, block by block. Modules go out in order, then
// the network image: a block the words name neither as written nor as sent holds its old data.
struct Claim {
    std::array<Held, kBlocks> held{Held::Old, Held::Old, Held::Old};
    bool success = false;
    std::string missing; // set when nothing said what the device holds
};

Claim Claimed(GuiHarness& h) {
    Claim c;
    const QString status = h.Main().statusBar()->currentMessage();
    QString said;
    for (const OperatorMessage& m : h.Op().Shown())
        said += QString::fromStdString(m.text) + "\n";
    if (status.startsWith(QString::fromUtf8("Записано в прибор"))) {
        c.success = true;
        c.held.fill(Held::New);
        return c;
    }
    if (said.contains(QString::fromUtf8("Запись не проверена: прибор не удалось прочитать"))) {
        c.held.fill(Held::New); // every block confirmed, the check after them failed
        return c;
    }
    if (said.contains(QString::fromUtf8("Записать в прибор без резервной копии?")) ||
        said.contains(QString::fromUtf8("В прибор ничего не записано.")))
        return c;
    if (!said.contains(QString::fromUtf8("прибор записан не полностью."))) {
        c.missing = (status + " / " + said).toStdString();
        return c;
    }
    int written = 0;
    if (said.contains(QString::fromUtf8("Записан модуль 1 из 2")))
        written = 1;
    if (said.contains(QString::fromUtf8("Записаны модули 1–2 из 2")))
        written = 2;
    for (int m = 0; m < written; ++m)
        c.held[m] = Held::New;
    const QRegularExpression module(
        QString::fromUtf8("одуль (\\d)( из \\d)? передан, но прибор не подтвердил его запись"));
    if (const auto match = module.match(said); match.hasMatch())
        c.held[match.captured(1).toInt() - 1] = Held::Either;
    if (said.contains(QString::fromUtf8("сетевые блоки переданы, но прибор не подтвердил")))
        c.held[kModules] = Held::Either;
    return c;
}

// The device's state against the claim: each block old or new, and as the operator was told;
// what is not known to be on the device is still offered. Empty when all holds.
// Windows shown before the write are modalsBefore.
std::string Check(GuiHarness& h, const Contents& old, const Contents& wanted, int modalsBefore) {
    // None of the faults changes what the device stores: a difference the read-back finds is a
    // block the write took for stored when the device never took it.
    if (h.ModalTitles().size() > modalsBefore)
        return "unexpected window: " + h.ModalTitles().mid(modalsBefore).join(", ").toStdString();
    const Claim claim = Claimed(h);
    if (!claim.missing.empty())
        return "the operator was not told what the device holds: " + claim.missing;
    const Contents now = DeviceHolds(h.Device());
    std::string wrong;
    for (int b = 0; b < kBlocks; ++b) {
        const bool isOld = now[b] == old[b];
        const bool isNew = now[b] == wanted[b];
        const std::string block = "block " + std::to_string(b + 1) + " ";
        if (!isOld && !isNew)
            wrong += block + "holds neither the old nor the new data; ";
        else if (claim.held[b] == Held::New && !isNew)
            wrong += block + "told new, holds old; ";
        else if (claim.held[b] == Held::Old && !isOld)
            wrong += block + "told old, holds new; ";
        if (claim.held[b] != Held::New && !Changed(h.Main().Document(), b))
            wrong += block + Name(claim.held[b]) + " but no longer marked changed; ";
    }
    return wrong;
}

// After the fault: the same F10 on a healthy line leaves the device with all the new data.
std::string WriteAgain(GuiHarness& h, const Contents& wanted) {
    h.Device().ClearFaults();
    h.Fake().FailReadsAfter(-1);
    MainWindow& m = h.Main();
    if (!m.Engine().IsOpen() && ApplyPortSettings(m) != 0)
        return "the port did not open again";
    h.Op().Clear();
    m.WriteDeviceClick();
    const bool told = m.statusBar()->currentMessage().startsWith(
                          QString::fromUtf8("Записано в прибор 1: 2 модуля и сетевые блоки")) ||
                      h.Op().Saw("Прибор уже содержит эти данные");
    if (!told)
        return "again: " + h.Op().LastText() + m.statusBar()->currentMessage().toStdString();
    if (DeviceHolds(h.Device()) != wanted)
        return "again: the device lacks the new data";
    for (int b = 0; b < kBlocks; ++b)
        if (Changed(m.Document(), b))
            return "again: block " + std::to_string(b + 1) + " still marked changed";
    return {};
}

// Calls act at the first request of the function that goes out.
struct AtFirstRequest : FrameObserver {
    int function = 0;
    std::function<void()> act;
    void OnRequest(int64_t, const uint8_t*, int, int, int f) override {
        if (f == function && act) {
            auto once = std::move(act);
            act = nullptr;
            once();
        }
    }
};

struct FaultKind {
    const char* name;
    emu::Fault (*at)(uint64_t request);
};

emu::Fault Make(emu::FaultKind kind, int value, uint64_t from, uint64_t to) {
    emu::Fault f;
    f.kind = kind;
    f.value = value;
    f.from = from;
    f.to = to;
    return f;
}

constexpr uint64_t kOn = std::numeric_limits<uint64_t>::max();

const FaultKind kKinds[] = {
    {"silent from k", [](uint64_t k) { return SilentFrom(k); }},
    {"bad CRC at k", [](uint64_t k) { return Make(emu::FaultKind::BadCrc, 3, k, k); }},
    {"partial reply at k", [](uint64_t k) { return Make(emu::FaultKind::Partial, 4, k, k); }},
    {"busy from k", [](uint64_t k) { return Make(emu::FaultKind::Exception, 6, k, kOn); }},
    {"busy at k", [](uint64_t k) { return Make(emu::FaultKind::Exception, 6, k, k); }},
};

} // namespace

class TestWriteSweep : public QObject {
    Q_OBJECT

private slots:
    // One fault at request k of the write, for every k: the device holds, block by block, its
    // old data or the new, as the operator was told, and success is only told when it holds
    // all the new data.
    void faultAtEveryRequest_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("verify"); // "Проверять запись чтением"
        for (bool verify : {true, false})
            for (int i = 0; i < int(std::size(kKinds)); ++i)
                QTest::addRow("%s, %s", kKinds[i].name, verify ? "read back" : "no read-back")
                    << i << verify;
    }
    void faultAtEveryRequest() {
        QFETCH(int, kind);
        QFETCH(bool, verify);
        // The back-up's four reads, each block's send, its busy poll and the poll that
        // confirms it, the three read-backs.
        const int requests = 4 + kBlocks * 3 + (verify ? kBlocks : 0);
        for (int k = 1; k <= requests + 1; ++k) {
            GuiHarness h;
            h.GrantAccess(1);
            h.Device().SetBusyAfterWrite(1);
            h.ReadDevice();
            if (!verify) {
                h.OnModal([](QDialog& d) {
                    auto& dialog = static_cast<ExchangeTimingDialog&>(d);
                    dialog.verifyCheck->setChecked(false);
                    Click(dialog.OK);
                });
                h.Main().ExchangeTimingClick();
            }
            const Contents old = DeviceHolds(h.Device());
            EditEveryBlock(h.Main());
            const Contents wanted = DocumentHolds(h.Main().Document());
            for (int b = 0; b < kBlocks; ++b)
                QVERIFY(wanted[b] != old[b]);
            h.Op().Clear();
            const uint64_t start = h.Device().RequestCount();
            h.Device().AddFault(kKinds[kind].at(start + uint64_t(k)));
            const int modals = int(h.ModalTitles().size());
            h.Main().WriteDeviceClick();
            const std::string at = "k = " + std::to_string(k) + ": ";
            if (k > requests) // past the end: the fault never came
                QCOMPARE(h.Device().RequestCount() - start, uint64_t(requests));
            const std::string wrong = Check(h, old, wanted, modals);
            QVERIFY2(wrong.empty(), (at + wrong + " | " + h.Op().LastText()).c_str());
            const std::string again = WriteAgain(h, wanted);
            QVERIFY2(again.empty(), (at + again).c_str());
        }
    }

    // The device stays busy after module 1's block; while it is still storing, the operator
    // presses Esc, the port vanishes, or the device falls silent. Module 1 went out: the
    // operator learns it was sent and not confirmed, and the device does hold it.
    void aWriteEndedAfterABlockWentOut_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("first"); // the first line of the message
        QTest::newRow("Esc") << "esc" << QString::fromUtf8("Обмен прерван оператором");
        QTest::newRow("port vanishes")
            << "vanish" << QString::fromUtf8("Сбой COM-порта FAKE при чтении или записи");
        QTest::newRow("device silent")
            << "silent" << QString::fromUtf8("устройство 1 FAKE не отвечает на запрос");
    }
    void aWriteEndedAfterABlockWentOut() {
        QFETCH(QString, how);
        QFETCH(QString, first);
        GuiHarness h;
        h.OnModal([](QDialog& d) { d.reject(); }); // the password prompt of the first showing
        h.Main().show();
        QApplication::processEvents();
        h.GrantAccess(1);
        MainWindow& m = h.Main();
        h.Device().SetBusyAfterWrite(15);
        h.ReadDevice();
        const Contents old = DeviceHolds(h.Device());
        EditEveryBlock(m);
        const Contents wanted = DocumentHolds(m.Document());
        h.Op().Clear();
        AtFirstRequest poll;
        poll.function = 14;
        poll.act = [&] {
            // On the engine's thread: the key goes to the window while the line waits.
            if (how == "esc")
                h.OnWindowsThread([&] { QTest::keyClick(&m, Qt::Key_Escape); });
            else if (how == "vanish")
                h.Fake().FailReadsAfter(0);
            else
                h.Device().AddFault(SilentFrom(h.Device().RequestCount() + 1));
        };
        m.Engine().AddObserver(&poll);
        if (how == "esc") { // keys go to the window the operator is in
            m.show();
            m.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&m));
        }
        const int modals = int(h.ModalTitles().size());
        m.WriteDeviceClick();
        m.Engine().RemoveObserver(&poll);

        QCOMPARE(h.Op().Shown().size(), size_t(1));
        const QString said = QString::fromStdString(h.Op().LastText());
        QVERIFY2(said.startsWith(first), qPrintable(said));
        QVERIFY2(said.endsWith(QString::fromUtf8("Модуль 1 из 2 передан, но прибор не подтвердил "
                                                 "его запись; прибор записан не полностью.")),
                 qPrintable(said));
        QVERIFY(m.statusBar()->currentMessage().startsWith(
            QString::fromUtf8("Запись в прибор 1 не завершена")));
        const Contents now = DeviceHolds(h.Device());
        QVERIFY(now[0] == wanted[0]); // the device took the block before the end
        QVERIFY(now[1] == old[1] && now[2] == old[2]);
        const std::string wrong = Check(h, old, wanted, modals);
        QVERIFY2(wrong.empty(), wrong.c_str());
        const std::string again = WriteAgain(h, wanted);
        QVERIFY2(again.empty(), again.c_str());
    }

    // A read stopped at module 2 (the device silent), the line healthy again, module 2's
    // scheme opened with its "программ." button: F10 there sends nothing, asks nothing, and
    // says why; the device keeps its program.
    void schemeEditorAfterAPartialReadSendsNothing() {
        GuiHarness h;
        h.GrantAccess(1);
        MainWindow& m = h.Main();
        // The configuration and module 1 answer, module 2's read does not.
        h.Device().AddFault(SilentFrom(h.Device().RequestCount() + 3));
        h.ReadDevice();
        QVERIFY(h.Op().LastText().find("не отвечает на запрос") != std::string::npos);
        h.Device().ClearFaults();
        emu::Device::Records program{};
        program[0] = 0x70;
        program[5] = 0x11;
        h.Device().SetModuleRecords(2, program);
        h.Op().Clear();
        const uint64_t before = h.Device().RequestCount();
        bool opened = false;
        h.OnModal([&](QDialog& d) {
            auto& editor = static_cast<SchemeEditor&>(d);
            opened = true;
            QTest::keyClick(&editor, Qt::Key_F10);
            editor.CloseWith(mr::Cancel);
        });
        h.Op().Answer(MsgButton::Yes); // to "Данные не были изменены.Передавать?", if it came
        QVERIFY(m.programButtons[1]->isEnabled());
        QTest::mouseClick(m.programButtons[1], Qt::LeftButton);
        QVERIFY(opened);
        QCOMPARE(h.Device().RequestCount(), before);
        QVERIFY(h.Device().GetModuleRecords(2) == program);
        QVERIFY(!h.Op().Saw("Данные не были изменены.Передавать?"));
        QVERIFY(!h.Op().Shown().empty());
        QVERIFY2(h.Op().Shown()[0].text.rfind("Программа модуля 2 не прочитана из прибора", 0) == 0,
                 h.Op().Shown()[0].text.c_str());
    }
};

QTEST_MAIN(TestWriteSweep)
#include "tst_writesweep.moc"
