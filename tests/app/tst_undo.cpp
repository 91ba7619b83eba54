// Undo and redo through the real windows: edits made in three windows are taken back one by one
// with Ctrl+Z, from the window that made them or from the main window, and made again with
// Ctrl+Y; "Правка" and the change mark follow, a save in between included.

#include "dialogs/labeldialog.h"
#include "guisupport/guiharness.h"
#include "network/f15blockeditor.h"
#include "network/networkwindow.h"
#include "report/inputstable.h"
#include "scheme/cellbutton.h"
#include "scheme/schemeeditor.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Bytes = std::array<uint8_t, ConfigFile::Size>;

Bytes Content(GuiHarness& h) {
    return h.Main().Document().Image().Bytes();
}

void Press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, key, modifiers);
}

QString Text(const QAction* action) {
    return action->text().remove('&');
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void threeEditsInThreeWindows() {
        GuiHarness h;
        // On the screen, past the password prompt of its first showing.
        h.OnModal([](QDialog& d) { d.reject(); });
        h.Main().show();
        QApplication::processEvents();
        h.GrantAccess(1);
        emu::Device::Image image{};
        const uint8_t block[16] = {15, 8, 5, 0xA0, 0x01, 8, 0, 0x91, 1, 2, 3, 4, 5, 6, 7, 8};
        std::copy(block, block + 16, image.begin() + 1);
        h.Device().SetImage(image);
        h.ReadDevice();
        MainWindow& m = h.Main();
        // The device's data kept in a file and opened: edits stay without a transfer question.
        const QString path = dir_.filePath("device.lum");
        h.OnFileDialog(path);
        m.SaveFileClick();
        h.OnFileDialog(path);
        m.OpenFileClick();
        const Bytes read = Content(h);
        QVERIFY(m.changedLabel->isHidden());
        QVERIFY(!m.undoAction->isEnabled());

        // 1. The scheme: a row's contact button, taken back and made again in the editor.
        h.OnModal([&](QDialog& d) {
            auto& e = static_cast<SchemeEditor&>(d);
            QTest::mouseClick(e.contactButtons[0], Qt::LeftButton);
            const Bytes edited = Content(h);
            QVERIFY(edited != read);
            Press(&e, Qt::Key_Z);
            QVERIFY(Content(h) == read);
            QVERIFY(!e.contactButtons[0]->Down() == !(h.Main().Program().GetContact(0) == 1));
            Press(&e, Qt::Key_Y);
            QVERIFY(Content(h) == edited);
        });
        m.OpenSchemeClick(1);
        const Bytes afterScheme = Content(h);
        QVERIFY(afterScheme != read);
        QVERIFY(!m.changedLabel->isHidden());

        // 2. The inputs table: input 7's label through its dialog.
        h.OnModal([&](QDialog& d) {
            auto& t = static_cast<InputsTableWindow&>(d);
            h.OnModal([](QDialog& l) {
                auto& label = static_cast<LabelDialog&>(l);
                Part<QLineEdit>(label, "labelEdit")->setText("Pump 7");
                Click(Part<QPushButton>(label, "OK"));
            });
            t.inputsGrid->setCurrentCell(6, InputsTableWindow::ColText);
            t.GridDoubleClick();
        });
        m.InputsTableClick();
        const Bytes afterLabel = Content(h);
        QVERIFY(afterLabel != afterScheme);
        QCOMPARE(Text(m.undoAction), QString("Отменить: Вход 7 DI_2_1: текст"));

        // 3. The F15 editor: block 1's start address.
        h.OnModal([&](QDialog& d) {
            auto& net = static_cast<NetworkWindow&>(d);
            h.OnModal([](QDialog& f) {
                auto& e = static_cast<F15BlockEditor&>(f);
                e.startAddressEdit->setText("2B0");
                Click(e.OK);
            });
            Click(net.blockButton1);
            Click(net.OK);
        });
        m.F15BlocksClick();
        const Bytes edited = Content(h);
        QVERIFY(edited != afterLabel);
        QCOMPARE(Text(m.undoAction), QString("Отменить: Блок Ф15 1: параметры"));

        // Ctrl+Z three times in the main window: the document as read, and unchanged.
        for (const Bytes& expected : {afterLabel, afterScheme, read}) {
            Press(&m, Qt::Key_Z);
            QVERIFY(Content(h) == expected);
        }
        QVERIFY(!h.Changed() && m.changedLabel->isHidden());
        QVERIFY(!m.undoAction->isEnabled());
        QCOMPARE(Text(m.redoAction), QString("Повторить: Модуль 1, вход DI_1_1: вид контакта"));

        // Ctrl+Y, a save, Ctrl+Shift+Z twice: the edits again; undoing past the save changes
        // the document again, redoing back to it does not.
        Press(&m, Qt::Key_Y);
        h.OnFileDialog(path);
        h.Op().Answer(MsgButton::Yes); // replace the file
        m.SaveFileClick();
        QVERIFY(!h.Changed() && m.changedLabel->isHidden());
        Press(&m, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        Press(&m, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(Content(h) == edited);
        QVERIFY(h.Changed() && !m.changedLabel->isHidden());
        Press(&m, Qt::Key_Z);
        Press(&m, Qt::Key_Z);
        QVERIFY(Content(h) == afterScheme);
        QVERIFY(!h.Changed());
        QVERIFY(h.Op().Shown().size() == 1);
    }

    // A write is no edit: undo after it changes only the document, which then differs from
    // the device, and the next write sends the module again.
    void undoAfterAWriteDiffersFromTheDevice() {
        GuiHarness h;
        h.GrantAccess(1);
        h.ReadDevice();
        MainWindow& m = h.Main();
        h.EditModule(1);
        m.WriteDeviceClick();
        QVERIFY(!h.Changed());
        const auto written = h.Device().GetModuleRecords(2);
        QVERIFY(m.UndoEdit());
        QVERIFY(h.ModuleChanged(1));
        QVERIFY(h.Device().GetModuleRecords(2) == written);
        m.WriteDeviceClick();
        QVERIFY(!h.Changed());
        QVERIFY(h.Device().GetModuleRecords(2) != written);
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
