// The operator's own work through the real windows: nothing typed is dropped without the
// question, Отмена and Esc keep it, the change mark says what is unsaved, and a back-up of one
// device goes into another only when the operator says so. No window changes the document
// behind its edit call.

#include "app/historywindow.h"
#include "dialogs/differencesdialog.h"
#include "dialogs/labeldialog.h"
#include "dialogs/uitext.h"
#include "guisupport/guiharness.h"
#include "platform/devicehistory.h"
#include "port/timingdialog.h"
#include "report/inputstable.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const std::string kSaveQuestion = "Данные были изменены. Сохранить в файле?";

int Writes(GuiHarness& h) {
    int n = 0;
    for (const auto& r : h.Device().RequestLog())
        n += r.function == 69;
    return n;
}

// Input 7's label typed in "Входные сигналы".
void TypeLabel(GuiHarness& h, const QString& text) {
    h.OnModal([&h, text](QDialog& d) {
        auto& table = static_cast<InputsTableWindow&>(d);
        h.OnModal([text](QDialog& l) {
            auto& label = static_cast<LabelDialog&>(l);
            Part<QLineEdit>(label, "labelEdit")->setText(text);
            QTest::mouseClick(Part<QPushButton>(label, "OK"), Qt::LeftButton);
        });
        table.inputsGrid->setCurrentCell(6, InputsTableWindow::ColText);
        table.GridDoubleClick();
    });
    h.Main().InputsTableClick();
}

QString Label(GuiHarness& h, int input) {
    return QString::fromLatin1(h.Main().Modules().GetLabel(input).c_str()).trimmed();
}

} // namespace

class TestOperatorWork : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    // Device mode: a typed label is unsaved until a save, whatever a write does; F9 asks first.
    void typedLabelSurvivesF9AndTheMarkSaysWhy() {
        GuiHarness h;
        h.GrantAccess(1);
        h.ReadDevice();
        MainWindow& m = h.Main();
        QVERIFY(m.changedLabel->isHidden());
        TypeLabel(h, "Pump 7");
        QVERIFY(!m.changedLabel->isHidden());
        QCOMPARE(m.changedLabel->toolTip(), U("тексты входов не сохранены в файле"));

        const uint64_t requests = h.Device().RequestCount();
        h.Op().Answer(MsgButton::Cancel);
        h.ReadDevice();
        QCOMPARE(h.Op().LastText(), kSaveQuestion);
        QCOMPARE(h.Op().Shown().back().buttons,
                 (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No, MsgButton::Cancel}));
        QCOMPARE(h.Device().RequestCount(), requests); // nothing read
        QCOMPARE(Label(h, 6), QString("Pump 7"));

        // A write leaves the label unsaved; a save ends it.
        m.WriteDeviceClick();
        QVERIFY(!m.changedLabel->isHidden());
        h.OnFileDialog(dir_.filePath("labels.lum"));
        m.SaveFileClick();
        QVERIFY(m.changedLabel->isHidden());
        h.Op().Clear();
        h.ReadDevice(); // nothing unsaved: no question
        QVERIFY2(h.Op().Shown().empty(), h.Op().LastText().c_str());
        QVERIFY(!m.Document().ChangedOutsideEdit());
    }

    // File mode: Esc at the close question keeps the program open with the edit.
    void escAtClosingKeepsTheEdit() {
        GuiHarness h;
        h.ReadDevice();
        const QString path = dir_.filePath("device.lum");
        h.OnFileDialog(path);
        h.Main().SaveFileClick();
        h.OnFileDialog(path);
        h.Main().OpenFileClick();
        TypeLabel(h, "Valve 7");
        h.Op().Answer(MsgButton::Cancel); // what Esc gives in the question
        QCloseEvent close;
        QApplication::sendEvent(&h.Main(), &close);
        QVERIFY(!close.isAccepted());
        QCOMPARE(h.Op().LastText(), kSaveQuestion);
        QCOMPARE(Label(h, 6), QString("Valve 7"));
        QVERIFY(h.Main().Document().HasUnsavedWork());
    }

    // A back-up of device 5 opened while "Устр. №" shows 1: F10 asks, and its default sends
    // nothing. With "Показывать изменения перед записью" the target and the changes come first.
    void backUpOfAnotherDeviceIsWrittenOnlyWhenAsked() {
        GuiHarness h;
        h.GrantAccess(1);
        h.ReadDevice();
        DeviceImage other = h.Main().Document().Image();
        other.SetHasLabels(false);
        std::vector<uint8_t> group(other.Group(1).begin(), other.Group(1).end());
        group[3] ^= 0x40;
        other.PutGroup(1, group);
        QString kept;
        QVERIFY(DeviceHistory::Save(other, 5, &kept, nullptr));
        h.OnModal([](QDialog& d) {
            auto& history = static_cast<HistoryWindow&>(d);
            QTest::mouseClick(history.Open, Qt::LeftButton);
        });
        h.Main().HistoryClick();
        QCOMPARE(h.Main().CurFile(), kept);

        h.Main().WriteDeviceClick();
        QCOMPARE(h.Op().LastText(),
                 std::string("Данные сняты с прибора 5, запись пойдет в прибор 1. Записать?"));
        QCOMPARE(h.Op().Shown().back().defaultButton, MsgButton::No);
        QCOMPARE(Writes(h), 0);
        QCOMPARE(h.Main().statusBar()->currentMessage().left(33),
                 U("Запись в прибор 1 отменена: ничег"));

        h.Main().Settings().showChanges = true;
        QStringList seen;
        h.OnModal([&seen](QDialog& d) {
            auto& changes = static_cast<DifferencesDialog&>(d);
            seen << changes.windowTitle() << changes.Heading->text()
                 << QString::number(changes.List->count());
            QTest::mouseClick(changes.Cancel, Qt::LeftButton);
        });
        h.Op().Answer(MsgButton::Yes);
        h.Main().WriteDeviceClick();
        QCOMPARE(seen.value(0), U("Изменения перед записью"));
        QVERIFY(seen.value(1).startsWith(U("Прибор 1, порт ")));
        QVERIFY(seen.value(2).toInt() > 0);
        QCOMPARE(Writes(h), 0);
    }
};

QTEST_MAIN(TestOperatorWork)
#include "tst_operatorwork.moc"
