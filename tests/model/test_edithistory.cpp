// Undo and redo of the operator's edits: the document goes back byte for byte, "changed" follows
// the baseline, and what was no edit (a module read since) stays.

#include "model/devicedocument.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

DeviceImage TwoModules() {
    const uint8_t config[17] = {2, 1, 0, 0, 2};
    return *DeviceImage::FromFile(MakeCreatedConfigFile(config));
}

// One random edit as the windows make them: a record field, a module parameter, a label, a
// network field, or two fields at once under one step.
void RandomEdit(DeviceDocument& doc, std::mt19937& random, int n) {
    const int input = int(random() % 12);
    const int value = int(random() % 8);
    doc.Edit("шаг " + std::to_string(n), [&] {
        switch (random() % 5) {
        case 0:
            doc.program.PutDelay(input, int(random() % 61));
            break;
        case 1:
            doc.program.PutAlarmType(input, value & 3);
            doc.program.PutColor(input, value & 6);
            break;
        case 2:
            doc.program.PutModuleParameter(input % 2, value & 1);
            break;
        case 3:
            doc.modules.PutLabel(std::string(size_t(1 + value), char('A' + value)), input);
            break;
        default:
            doc.network.PutSlaveAddress(input % 2, 1 + value);
            doc.network.PutStartAddress(input % 2, int(random() % 65536));
            break;
        }
    });
}

} // namespace

TEST(EditHistory, TwoHundredEditsUndoneAndRedoneByteForByte) {
    DeviceDocument doc;
    doc.Load(TwoModules(), DocumentOrigin::File("a.lum"));
    const auto start = doc.Image().Bytes();
    std::mt19937 random(7);
    for (int n = 0; n < int(EditHistory::Limit); ++n)
        RandomEdit(doc, random, n);
    const auto end = doc.Image().Bytes();
    ASSERT_NE(start, end);
    ASSERT_TRUE(doc.Changed());
    const size_t steps = doc.history.Size(); // edits that changed nothing are no steps
    EXPECT_GT(steps, EditHistory::Limit / 2);

    for (size_t i = 0; i < steps; ++i)
        ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.Undo());
    EXPECT_EQ(doc.Image().Bytes(), start);
    EXPECT_FALSE(doc.Changed());

    // A save half-way: redoing past it changes the document again, undoing back to it does not.
    for (size_t i = 0; i < steps / 2; ++i)
        ASSERT_TRUE(doc.Redo());
    doc.Saved("a.lum");
    EXPECT_FALSE(doc.Changed());
    EXPECT_FALSE(doc.HasUnsavedWork());
    ASSERT_TRUE(doc.Redo());
    EXPECT_TRUE(doc.Changed());
    EXPECT_TRUE(doc.HasUnsavedWork());
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.Changed());
    EXPECT_FALSE(doc.ChangedOutsideEdit());
    while (doc.Redo()) {
    }
    EXPECT_EQ(doc.Image().Bytes(), end);
    EXPECT_EQ(doc.history.UndoName(), "шаг " + std::to_string(EditHistory::Limit - 1));
}

TEST(EditHistory, StepsAreWhatTheOperatorDid) {
    DeviceDocument doc;
    doc.Load(TwoModules(), DocumentOrigin::File("a.lum"));
    const int delay = doc.program.GetDelay(0);
    ASSERT_NE(delay, 15);

    // Nested steps are one; a step that changed nothing is none.
    doc.Edit("Модуль 1, вход 1: добавлена задержка", [&] {
        doc.Edit("Модуль 1, вход 1: задержка", [&] {
            EXPECT_TRUE(doc.history.Editing());
            EXPECT_FALSE(doc.history.CanUndo()); // not while a dialog is open
            doc.program.PutDelay(0, 15);
        });
    });
    doc.Edit("ничего", [] {});
    ASSERT_EQ(doc.history.Size(), 1u);
    EXPECT_EQ(doc.history.UndoName(), "Модуль 1, вход 1: добавлена задержка");

    // A module read since the step is no edit: undoing the step keeps what it read, in that
    // module and in the step's own bytes.
    doc.Edit("Модуль 1, вход 2: задержка", [&] { doc.program.PutDelay(1, 33); });
    uint8_t read[InputProgram::GroupSize] = {};
    read[5] = 0x42;
    std::ranges::copy(read, doc.program.Records + InputProgram::GroupSize);
    doc.program.PutDelay(1, 7); // as a read of module 1 would leave it
    doc.ModuleRead(1);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.program.GetDelay(1), 7);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.program.GetDelay(0), delay);
    EXPECT_EQ(doc.program.Records[InputProgram::GroupSize + 5], 0x42);
    EXPECT_EQ(doc.history.RedoName(), "Модуль 1, вход 1: добавлена задержка");

    // A new edit ends the redo; the oldest steps go past the limit; opening starts afresh.
    doc.Edit("Вход 2: текст", [&] { doc.modules.PutLabel("B", 1); });
    EXPECT_FALSE(doc.history.CanRedo());
    for (int n = 0; n < int(EditHistory::Limit) + 5; ++n)
        doc.Edit("шаг", [&] { doc.program.PutDelay(2, n % 2 ? 10 : 20); });
    EXPECT_EQ(doc.history.Size(), EditHistory::Limit);
    int calls = 0;
    doc.onChange = [&calls] { ++calls; };
    doc.Load(TwoModules(), DocumentOrigin::File("b.lum"));
    EXPECT_FALSE(doc.history.CanUndo());
    EXPECT_GT(calls, 0);
}

// What the mark "Данные изменены" and the question before dropping the document go by: work that
// neither the file nor the device holds.
TEST(EditHistory, UnsavedWorkIsWhatNoFileAndNoDeviceHolds) {
    DeviceDocument doc;
    doc.Load(TwoModules(), DocumentOrigin::Device(0, "pty", "9600 N 2"));
    doc.StartFromDevice(DocumentOrigin::Device(0, "pty", "9600 N 2"));
    EXPECT_TRUE(doc.UnsavedWork().empty());

    // A label: no device keeps it; only a save does.
    doc.Edit("Вход 1: текст", [&] { doc.modules.PutLabel("Насос", 0); });
    doc.Edit("Модуль 2: задержка", [&] { doc.program.PutDelay(7, 9); });
    EXPECT_EQ(doc.UnsavedWork(), (std::vector<std::string>{"модуль 2 отличается от прибора",
                                                           "тексты входов не сохранены в файле"}));
    // The device confirmed module 2: what is left is the label.
    doc.DeviceHoldsModule(1, doc.Image().Group(1));
    EXPECT_EQ(doc.UnsavedWork(), (std::vector<std::string>{"тексты входов не сохранены в файле"}));
    doc.Saved("/tmp/a.lum");
    EXPECT_FALSE(doc.HasUnsavedWork());
    // Undone after the save and the write: neither holds that.
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.UnsavedWork(), (std::vector<std::string>{"модуль 2 отличается от прибора"}));

    // In file mode a confirmed write keeps the edit too, and giving up goes back to the file.
    doc.Load(TwoModules(), DocumentOrigin::File("a.lum"));
    doc.Edit("Модуль 1: задержка", [&] { doc.program.PutDelay(0, 44); });
    EXPECT_EQ(doc.UnsavedWork(), (std::vector<std::string>{"модуль 1 не сохранен в файле"}));
    doc.DeviceHoldsModule(0, doc.Image().Group(0));
    EXPECT_FALSE(doc.HasUnsavedWork());
    EXPECT_TRUE(doc.ModuleChanged(0)); // still not the file's
    doc.RevertModule(0, "Модуль 1: изменения отменены");
    EXPECT_FALSE(doc.ModuleChanged(0));
    EXPECT_EQ(doc.history.UndoName(), "Модуль 1: изменения отменены");
}

TEST(EditHistory, AChangeOutsideEditIsFound) {
    DeviceDocument doc;
    doc.Load(TwoModules(), DocumentOrigin::File("a.lum"));
    doc.Edit("Модуль 1: задержка", [&] { doc.program.PutDelay(0, 3); });
    EXPECT_FALSE(doc.ChangedOutsideEdit());
    doc.program.PutDelay(1, 4); // a window that forgot the edit call
    EXPECT_TRUE(doc.ChangedOutsideEdit());
    doc.Edit("Модуль 1: задержка", [&] { doc.program.PutDelay(0, 5); });
    EXPECT_TRUE(doc.ChangedOutsideEdit()); // counted, not forgotten
    EXPECT_EQ(doc.history.StrayChanges(), 1);
}
