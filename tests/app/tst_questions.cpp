// Questions that protect: where "Да" writes to a device or throws data away, the button that
// takes Enter is the one that keeps everything as it is, and pressing it sends nothing.

#include "app/configurationdialog.h"
#include "guisupport/guiharness.h"
#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "model/networkblocks.h"
#include "network/networkwindow.h"
#include "scheme/schemeeditor.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {
using Trigger = std::function<void(GuiHarness&, const QString& existingFile)>;

void EditsInFileMode(GuiHarness& h) {
    h.SetFileMode();
    h.EditModule();
}
} // namespace

Q_DECLARE_METATYPE(MsgButton)
Q_DECLARE_METATYPE(Trigger)

class TestQuestions : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void enterKeepsEverything_data() {
        QTest::addColumn<Trigger>("trigger");
        QTest::addColumn<QString>("question");
        QTest::addColumn<MsgButton>("safe");
        const QString transfer = "Данные были изменены. Передать в прибор?";
        const QString save = "Данные были изменены. Сохранить в файле?";
        // Saving keeps the edits that "Нет" would drop; no device is written.
        QTest::newRow("closing, file edits") << Trigger([](GuiHarness& h, const QString&) {
            EditsInFileMode(h);
            h.Main().CanCloseMainWindow();
        }) << save << MsgButton::Yes;
        QTest::newRow("another file over the edits") << Trigger([](GuiHarness& h, const QString&) {
            EditsInFileMode(h);
            h.Main().CreateFileClick();
        }) << save << MsgButton::Yes;
        QTest::newRow("closing, then the transfer") << Trigger([](GuiHarness& h, const QString&) {
            EditsInFileMode(h);
            h.Op().Answer(MsgButton::No); // not saved
            h.Main().CanCloseMainWindow();
        }) << transfer << MsgButton::No;
        // Labels typed after a read are on no device: closing offers the file, and a save not
        // made keeps the window.
        QTest::newRow("closing, labels typed after a read")
            << Trigger([](GuiHarness& h, const QString&) {
                   h.Main().Modules().PutLabel("Pump 1", 0);
                   QVERIFY(!h.Main().CanCloseMainWindow());
               })
            << save << MsgButton::Yes;
        QTest::newRow("saving over a file") << Trigger([](GuiHarness& h, const QString& existing) {
            h.OnFileDialog(existing);
            h.Main().SaveFileClick();
        }) << "Файл с таким именем существует.\nЗаменить?"
                                            << MsgButton::No;
        QTest::newRow("creating over a file")
            << Trigger([](GuiHarness& h, const QString& existing) {
                   h.OnModal([](QDialog& d) {
                       auto& dialog = static_cast<ConfigurationDialog&>(d);
                       dialog.typeBoxes[0]->setCurrentIndex(1);
                       emit dialog.typeBoxes[0]->activated(1);
                       dialog.addressEdits[0]->setText("0");
                       Click(dialog.OK);
                   });
                   h.OnFileDialog(existing);
                   h.Main().CreateFileClick();
               })
            << "Файл с таким именем существует.\nСоздать его заново?" << MsgButton::No;
        QTest::newRow("a wrong configuration entry") << Trigger([](GuiHarness& h, const QString&) {
            ConfigurationDialog config(h.Main(), &h.Main());
            config.Prepare();
            h.OnModal([](QDialog& d) {
                auto& dialog = static_cast<ConfigurationDialog&>(d);
                dialog.typeBoxes[0]->setCurrentIndex(2);
                emit dialog.typeBoxes[0]->activated(2);
                dialog.addressEdits[0]->setText("16"); // no such address
                Click(dialog.OK);
            });
            h.Main().showModal(config);
        }) << "Ошибка создания конфигурации \nЗакончить?"
                                                     << MsgButton::No;
        // "Да" sends, "Нет" drops the edits: only "Отмена" does neither.
        QTest::newRow("scheme editor closing with edits")
            << Trigger([](GuiHarness& h, const QString&) {
                   h.OnModal([&h](QDialog& d) {
                       h.EditModule();
                       static_cast<SchemeEditor&>(d).CloseWith(mr::Cancel);
                   });
                   h.Main().OpenSchemeClick(1);
               })
            << transfer << MsgButton::Cancel;
        QTest::newRow("scheme editor sending nothing new")
            << Trigger([](GuiHarness& h, const QString&) {
                   h.OnModal([](QDialog& d) { static_cast<SchemeEditor&>(d).WriteDeviceClick(); });
                   h.Main().OpenSchemeClick(1);
               })
            << "Данные не были изменены.Передавать?" << MsgButton::No;
        QTest::newRow("network window closing with edits")
            << Trigger([](GuiHarness& h, const QString&) {
                   h.OnModal([&h](QDialog& d) {
                       h.Main().Network().PutStartAddress(0, 7); // an edit
                       static_cast<NetworkWindow&>(d).CloseWith(mr::Cancel);
                   });
                   h.Main().NetworkSettingsClick();
               })
            << "База  была изменена. Передать в прибор?" << MsgButton::Cancel;
    }
    void enterKeepsEverything() {
        QFETCH(Trigger, trigger);
        QFETCH(QString, question);
        QFETCH(MsgButton, safe);
        const QString existing = dir_.filePath("existing.lum");
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        file.close();
        GuiHarness h;
        h.ReadDevice();
        h.GrantAccess(1);
        const size_t frames = h.Fake().Written().size();
        trigger(h, existing); // every question answered with its default button
        const auto& shown = h.Op().Shown();
        const auto asked = std::find_if(shown.begin(), shown.end(), [&](const OperatorMessage& m) {
            return m.text == question.toStdString();
        });
        QVERIFY2(asked != shown.end(), h.Op().LastText().c_str());
        QCOMPARE(asked->defaultButton, safe);
        QCOMPARE(h.Fake().Written().size(), frames);
    }
};

QTEST_MAIN(TestQuestions)
#include "tst_questions.moc"
