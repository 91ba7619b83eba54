// The editor's module program exchange with the emulated device: reading with F9, writing
// with F10 and the busy wait, and what the close query does with changes not sent.

#include "helper_scheme.h"

#include "emu/faults.h"
#include "model/inputprogram.h"
#include "model/labelclipboard.h"
#include "model/moduleconfig.h"
#include "scheme/alarmcell.h"
#include "scheme/inputcell.h"
#include "support/testfaults.h"

#include <QProgressBar>
#include <QTest>
#include <cstring>

using namespace schemetest;

namespace {
const std::string kUnchanged = "Данные не были изменены.Передавать?";
const std::string kChanged = "Данные были изменены. Передать в прибор?";
const std::string kAccess = "Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт";

QByteArray Bytes(const uint8_t* p, int n) {
    return QByteArray(reinterpret_cast<const char*>(p), n);
}

QByteArray Bytes(const emu::Device::Records& r) {
    return Bytes(r.data(), int(r.size()));
}

// The module 2 records as the editor holds them once built: the Namur bit of row 2 cleared.
emu::Device::Records MsuAsBuilt() {
    emu::Device::Records r = kMsuRecords;
    r[6] = 0x20;
    return r;
}

// The data of the function 69 requests the device saw.
std::vector<QByteArray> Writes(GuiHarness& h) {
    std::vector<QByteArray> writes;
    for (const auto& r : h.Device().RequestLog())
        if (r.function == 69)
            writes.push_back(Bytes(r.data.data(), int(r.data.size())));
    return writes;
}
} // namespace

class TestExchange : public QObject {
    Q_OBJECT

private slots:
    // Opening builds from memory; F9 afterwards reads the module and rebuilds.
    void openingNeverTalksF9Does() {
        GuiHarness h(GuiHarness::Line::Pty);
        ReadDevice(h);
        InputProgram& inputProgram = h.Main().Program();
        const DeviceDocument& doc = h.Main().Document();
        inputProgram.PutDelay(0, 33); // module 1 changed in memory only
        emu::Device::Records fresh = kEmptyRecords;
        fresh[0] = 0x70; // warning, yellow
        fresh[2] = 0x01;
        h.Device().SetModuleRecords(2, fresh);
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            QCOMPARE(Requests(h, 68), 0);
            QVERIFY(!e.alarmCells[0]);
            QTest::keyClick(&e, Qt::Key_F9);
            QCOMPARE(Requests(h, 68), 1);
            QCOMPARE(h.Device().RequestLog().back().data, std::vector<uint8_t>{2});
            QVERIFY(e.alarmCells[0]);
            QCOMPARE(e.alarmCells[0]->Caption(), U("пред"));
            QVERIFY(!e.progressBar->isVisible());
            QCOMPARE(e.windowTitle(),
                     U("Программирование обработки дискретных входов ЛУМ-08 устройство 1"));
        });
        QCOMPARE(Bytes(inputProgram.Records + 18, 18), Bytes(fresh));
        QCOMPARE(Bytes(doc.Baseline().Group(1).data(), 18), Bytes(fresh));
        QCOMPARE(inputProgram.GetDelay(0), 33); // the other module stays as it was
        QCOMPARE(Bytes(doc.Baseline().Group(0).data(), 18), Bytes(kMlvRecords));
        QVERIFY(h.Op().Shown().empty());
    }

    void f9InFileModeSendsNothing() {
        GuiHarness h(GuiHarness::Line::Pty);
        ReadDevice(h);
        h.SetFileMode();
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            InputCell* before = e.inputCells[0];
            QTest::keyClick(&e, Qt::Key_F9);
            QCOMPARE(e.inputCells[0], before); // not rebuilt
            QVERIFY(!e.progressBar->isVisible());
        });
        QVERIFY(h.Device().RequestLog().empty());
        QVERIFY(h.Op().Shown().empty());
    }

    // F10 on an unchanged module asks first; Yes writes the module's 18 bytes after its number.
    void f10Unchanged_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes sends") << true;
        QTest::newRow("No keeps") << false;
    }
    void f10Unchanged() {
        QFETCH(bool, yes);
        GuiHarness h(GuiHarness::Line::Pty);
        ReadDevice(h);
        h.GrantAccess(1);
        h.Device().SetBusyAfterWrite(1);
        InputProgram& inputProgram = h.Main().Program();
        h.ForgetEdits();
        h.Op().Answer(yes ? MsgButton::Yes : MsgButton::No);
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            e.setWindowTitle("before");
            QTest::keyClick(&e, Qt::Key_F10);
            QCOMPARE(e.windowTitle(),
                     yes ? U("Программирование обработки дискретных входов ЛУМ-08 устройство 1")
                         : QString("before"));
            QVERIFY(!e.progressBar->isVisible());
        });
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        const OperatorMessage& asked = h.Op().Shown()[0];
        QCOMPARE(asked.text, kUnchanged);
        QCOMPARE(asked.caption, std::string("Подтвердите передачу данных"));
        QCOMPARE(asked.buttons, (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No}));
        QCOMPARE(asked.defaultButton, MsgButton::No);
        const auto writes = Writes(h);
        if (!yes) {
            QVERIFY(writes.empty());
            return;
        }
        QCOMPARE(writes.size(), size_t(1));
        QCOMPARE(writes[0], QByteArray(1, '\x02') + Bytes(MsuAsBuilt()));
        QVERIFY(Requests(h, 14) >= 2); // busy once, then stored
        QCOMPARE(Bytes(h.Device().GetModuleRecords(2)), Bytes(MsuAsBuilt()));
        QCOMPARE(Bytes(h.Main().Document().Baseline().Group(0).data(), 108),
                 Bytes(inputProgram.Records, 108));
        QVERIFY(!h.Changed());
    }

    // Access level 0 refuses the write before anything else, in file mode too.
    void f10NeedsFullAccess_data() {
        QTest::addColumn<int>("fileMode");
        QTest::newRow("device") << 0;
        QTest::newRow("file") << 1;
    }
    void f10NeedsFullAccess() {
        QFETCH(int, fileMode);
        GuiHarness h(GuiHarness::Line::Pty);
        ReadDevice(h);
        h.GrantAccess(0);
        if (fileMode)
            h.SetFileMode();
        h.EditModule();
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            QTest::keyClick(&e, Qt::Key_F10);
            h.ForgetEdits(); // let it close quietly
        });
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text, kAccess);
        QCOMPARE(h.Op().Shown()[0].caption, std::string("Предупреждение"));
        QCOMPARE(h.Op().Shown()[0].icon, MsgIcon::Warning);
        QVERIFY(h.Device().RequestLog().empty());
    }

    void f10InFileModeSendsNothing() {
        GuiHarness h(GuiHarness::Line::Pty);
        ReadDevice(h);
        h.GrantAccess(1);
        h.SetFileMode();
        h.EditModule();
        OpenEditor(h, 1, [&](SchemeEditor& e) { QTest::keyClick(&e, Qt::Key_F10); });
        QVERIFY(h.Device().RequestLog().empty());
        QVERIFY(h.Op().Shown().empty());
        QCOMPARE(int(h.Main().Document().IsFileMode() && h.Changed()),
                 1); // the close recorded the change for the file
    }

    // Closing with changes: No puts back exactly this module's 18 bytes, Cancel stays, Yes
    // writes.
    void closeQuery_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(MsgButton::No);
        QTest::newRow("Cancel") << int(MsgButton::Cancel);
        QTest::newRow("Yes") << int(MsgButton::Yes);
    }
    void closeQuery() {
        QFETCH(int, answer);
        GuiHarness h(GuiHarness::Line::Pty);
        ReadDevice(h);
        h.GrantAccess(1);
        h.Device().SetBusyAfterWrite(0);
        InputProgram& inputProgram = h.Main().Program();
        inputProgram.PutDelay(0, 9); // module 1, not the one edited
        bool stayed = false;
        OpenEditor(h, 2, [&](SchemeEditor& e) {
            inputProgram.PutAlarmType(7, 3);
            inputProgram.PutDelay(9, 60);
            h.Op().Answer(MsgButton(answer));
            e.CloseWith(mr::Cancel);
            stayed = e.isVisible();
            h.ForgetEdits();
        });
        QCOMPARE(h.Op().Shown()[0].text, kChanged);
        QCOMPARE(h.Op().Shown()[0].buttons,
                 (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No, MsgButton::Cancel}));
        QCOMPARE(h.Op().Shown()[0].defaultButton, MsgButton::Cancel);
        QCOMPARE(stayed, answer == int(MsgButton::Cancel));
        QCOMPARE(inputProgram.GetDelay(0), 9);
        if (answer == int(MsgButton::No)) {
            QCOMPARE(Bytes(inputProgram.Records + 18, 18),
                     Bytes(h.Main().Document().Baseline().Group(1).data(), 18));
            // The baseline is the device's module as read, its valve input a dry contact.
            QCOMPARE(Bytes(inputProgram.Records + 18, 18), Bytes(MsuAsBuilt()));
            QVERIFY(Writes(h).empty());
        } else if (answer == int(MsgButton::Yes)) {
            QCOMPARE(Writes(h).size(), size_t(1));
            QCOMPARE(h.Device().GetModuleRecords(2)[3 * 1], uint8_t(0xE0)); // indication, red
            QCOMPARE(h.Device().GetModuleRecords(2)[3 * 3 + 1], uint8_t(60));
        } else {
            QCOMPARE(inputProgram.GetDelay(9), 60);
            QVERIFY(Writes(h).empty());
        }
    }

    // A device that stays busy is polled again every 200 ms, as long as it takes.
    void busyDeviceIsPolledEvery200ms() {
        GuiHarness h; // scripted line, virtual time
        ReadDevice(h);
        h.GrantAccess(1);
        h.Device().SetBusyAfterWrite(40);
        h.Main().Program().PutDelay(0, 3); // something to write: an equal device is not written
        h.Op().Answer(MsgButton::Yes);
        h.Fake().ClearRecords();
        OpenEditor(h, 1, [&](SchemeEditor&) {});
        std::vector<int64_t> polls;
        for (size_t i = 0; i < h.Fake().Written().size(); ++i)
            if (h.Fake().Written()[i][1] == 14)
                polls.push_back(h.Fake().WriteTimes()[i]);
        QCOMPARE(int(polls.size()), 41); // 40 busy answers, then stored
        for (size_t i = 1; i < polls.size(); ++i) {
            const int64_t gap = polls[i] - polls[i - 1];
            // the pause, plus the poll's own few bytes on the line
            QVERIFY2(gap >= 200000 && gap < 260000, qPrintable(QString::number(gap)));
        }
        QVERIFY(h.Op().Shown().size() == 1); // only the question: no error
        QCOMPARE(Bytes(h.Device().GetModuleRecords(1)), Bytes(h.Main().Program().Records, 18));
    }

    // A failed read reports the device's silence and keeps the drawing and the model.
    void readFailureKeepsTheDrawing() {
        GuiHarness h;
        ReadDevice(h);
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            InputCell* before = e.inputCells[0];
            h.Device().AddFault(SilentFrom());
            h.Device().SetModuleRecords(1, kEmptyRecords);
            QTest::keyClick(&e, Qt::Key_F9);
            QCOMPARE(e.inputCells[0], before);
            QVERIFY(!e.progressBar->isVisible());
            h.Device().ClearFaults();
        });
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text, std::string("устройство 1 FAKE не отвечает на запрос"));
        QCOMPARE(Bytes(h.Main().Program().Records, 18), Bytes(kMlvRecords));
    }

    // A failed write is reported; the change flag stays set, so closing offers the transfer
    // again (No gives the edits up).
    void writeFailureIsReported() {
        GuiHarness h;
        ReadDevice(h);
        h.GrantAccess(1);
        InputProgram& inputProgram = h.Main().Program();
        bool open = false;
        OpenEditor(h, 1, [&](SchemeEditor& e) {
            inputProgram.PutDelay(2, 7);
            // Silent once the back-up (configuration, three modules, image) has been read.
            h.Device().AddFault(SilentFrom(h.Device().RequestCount() + 6));
            QTest::keyClick(&e, Qt::Key_F10);
            QVERIFY(h.Changed());
            QVERIFY(!e.progressBar->isVisible());
            h.Op().Answer(MsgButton::No);
            e.CloseWith(mr::Cancel);
            open = e.isVisible();
        });
        QVERIFY(!open);
        QCOMPARE(h.Op().Shown().size(), size_t(2));
        QCOMPARE(h.Op().Shown()[0].text,
                 std::string("устройство 1 FAKE не отвечает на запрос\n"
                             "Модуль 1 передан, но прибор не подтвердил его запись."));
        QCOMPARE(h.Op().Shown()[1].text, std::string("Данные были изменены. Передать в прибор?"));
        QCOMPARE(h.Main().Document().Baseline().Group(0)[3 * 2 + 1], uint8_t(0x4F)); // not taken
    }

    // Writing before any scheme was built asks whether to create one; No closes the editor.
    void writeWithoutSchemeAsksToCreate_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("closes");
        QTest::newRow("No closes") << int(MsgButton::No) << 1 << true;
        QTest::newRow("Yes stays") << int(MsgButton::Yes) << 1 << false;
        QTest::newRow("basic access: refused first") << int(MsgButton::No) << 0 << false;
    }
    void writeWithoutSchemeAsksToCreate() {
        QFETCH(int, answer);
        QFETCH(int, level);
        QFETCH(bool, closes);
        GuiHarness h;
        ReadDevice(h);
        h.GrantAccess(1);
        SchemeEditor e(h.Main(), &h.Main());
        e.show();
        e.SchemeBuilt = 0;
        h.Main().Access().level = level;
        h.ForgetEdits();
        h.Op().Answer(MsgButton(answer));
        e.WriteDeviceClick();
        QCOMPARE(!e.isVisible(), closes);
        QCOMPARE(h.Op().Shown().size(), size_t(1));
        QCOMPARE(h.Op().Shown()[0].text,
                 level == 0 ? kAccess : std::string("Конфигурация не задана. Будете создавать?"));
        QCOMPARE(Requests(h, 69), 0);
        e.hide();
    }
};

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
