// The device image and the comparison in the operator's words: one table row per field.

#include "model/devicecompare.h"
#include "model/devicedocument.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Model {
    DeviceDocument doc;
    ModuleConfig& moduleConfig = doc.modules;
    InputProgram& inputProgram = doc.program;
    NetworkBlocks& f15 = doc.network;
};

// "МЛВ" in slot 0 and "МСЮ" in slot 3, file-creation records, labels, an empty network image.
DeviceImage Base() {
    const uint8_t config[17] = {2, 1, 0, 0, 2};
    return *DeviceImage::FromFile(MakeCreatedConfigFile(config));
}

// An image edited through the model, as the windows edit it.
DeviceImage Edited(const std::function<void(Model&)>& edit) {
    Model m;
    m.doc.Load(Base(), DocumentOrigin::File("base.lum"));
    edit(m);
    return m.doc.Image();
}

struct Case {
    std::function<void(Model&)> edit;
    std::string line;
};

class CompareTable : public ::testing::TestWithParam<Case> {};

TEST_P(CompareTable, OneFieldGivesItsOneLine) {
    const std::vector<std::string> lines = CompareDeviceImages(Base(), Edited(GetParam().edit));
    EXPECT_EQ(lines, std::vector<std::string>{GetParam().line});
}

const std::string L1 = "Модуль 1, вход DI_1_4: ";
const std::string L2 = "Модуль 2, вход DI_2_3: ";
const std::string B1 = "Блок Ф15 1: ";

INSTANTIATE_TEST_SUITE_P(
    EveryField, CompareTable,
    ::testing::Values(
        Case{[](Model& m) { m.moduleConfig.Config[4] = 0; }, "Адрес модуля 3: МСЮ → нет"},
        Case{[](Model& m) { m.moduleConfig.Config[0] = 3; }, "Количество модулей: 2 → 3"},
        Case{[](Model& m) { m.inputProgram.PutNamur(3, 1); },
             L1 + "тип сигнала сухой контакт → Namur"},
        Case{[](Model& m) { m.inputProgram.PutContact(3, 0); }, L1 + "тип контакта НР → НЗ"},
        Case{[](Model& m) { m.inputProgram.PutRelay(3, 0); }, L1 + "реле есть → нет"},
        Case{[](Model& m) { m.inputProgram.PutColor(3, 6); }, L1 + "цвет красный → желтый"},
        Case{[](Model& m) { m.inputProgram.PutAlarmType(3, 1); },
             L1 + "тип сигнализации авар → пред"},
        Case{[](Model& m) { m.inputProgram.PutDelay(8, 10); }, L2 + "задержка 0 → 10 с"},
        Case{[](Model& m) { m.inputProgram.PutSound(8, 0); }, L2 + "звук есть → нет"},
        Case{[](Model& m) { m.inputProgram.PutArchive(8, 0); }, L2 + "архив включено → отключено"},
        Case{[](Model& m) { m.inputProgram.PutModuleParameter(1, 1); },
             "Модуль 2: параметр модуля 0 → 1"},
        Case{[](Model& m) { m.inputProgram.Records[3 * 8 + 2] = 0x40; },
             L2 + "прочие биты 0x00 → 0x40"},
        Case{[](Model& m) { m.moduleConfig.PutLabel("\xCD\xE0\xF1\xEE\xF1", 8); },
             L2 + "надпись «Дискр.сигн.009» → «Насос»"},
        Case{[](Model& m) { m.f15.PutFunctionCode(0, 15); }, B1 + "код функции 0 → 15"},
        Case{[](Model& m) { m.f15.PutInputCount(0, 8); }, B1 + "количество входов 0 → 8"},
        Case{[](Model& m) { m.f15.PutSlaveAddress(0, 5); }, B1 + "адрес Slave 0 → 5"},
        Case{[](Model& m) { m.f15.PutStartAddress(0, 0x1A0); },
             B1 + "начальный адрес 0x0000 → 0x01A0"},
        Case{[](Model& m) { m.f15.PutDataCount(0, 300); }, B1 + "количество данных 0 → 300"},
        Case{[](Model& m) { m.f15.PutAcknowledge(0, 1); }, B1 + "квитирование выкл → вкл"},
        Case{[](Model& m) { m.f15.PutReset(1, 1); }, "Блок Ф15 2: сброс выкл → вкл"},
        Case{[](Model& m) { m.f15.PutByte(1 + 40 + 7, 0x81); },
             "Блок Ф15 2: прочие биты флагов 0x00 → 0x81"},
        Case{[](Model& m) { m.f15.PutSignal(1, 31, 36); }, "Блок Ф15 2, вход 32: сигнал 0 → 36"},
        Case{[](Model& m) { m.f15.PutSpeedCode(1); }, "Сеть RS-485: скорость 9600 → 19200"},
        Case{[](Model& m) { m.f15.PutParityCode(2); },
             "Сеть RS-485: четность «2 стоп-бита без контр. четности» → «1 стоп-бит с контр. "
             "четности»"},
        Case{[](Model& m) { m.f15.PutByte(81, 0x30); },
             "Сеть RS-485: прочие биты настройки 0x00 → 0x30"}));

// Each side's value reads alone, with its unit: a script compares them as they stand.
TEST(DeviceCompare, BothValuesOfADifferenceCarryTheUnit) {
    const auto parts = CompareDeviceImagesInParts(
        Base(), Edited([](Model& m) { m.inputProgram.PutDelay(8, 10); }));
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].first, "0 с");
    EXPECT_EQ(parts[0].second, "10 с");
    EXPECT_EQ(parts[0].text, L2 + "задержка 0 → 10 с");
}

TEST(DeviceCompare, SameImagesAndSkippedPartsGiveNoLines) {
    EXPECT_TRUE(CompareDeviceImages(Base(), Base()).empty());
    // The block number in image byte 0 is replaced by every write: not a difference.
    EXPECT_TRUE(
        CompareDeviceImages(Base(), Edited([](Model& m) { m.f15.PutByte(0, 17); })).empty());
    // A device read carries no labels: they are not compared.
    DeviceImage device = Edited([](Model& m) { m.moduleConfig.PutLabel("x", 0); });
    device.SetHasLabels(false);
    EXPECT_TRUE(CompareDeviceImages(Base(), device).empty());
    // A module write's scope sees neither the network image nor the other module.
    const DeviceImage other =
        Edited([](Model& m) { m.f15.PutFunctionCode(0, 15), m.inputProgram.PutDelay(0, 9); });
    EXPECT_TRUE(
        CompareDeviceImages(Base(), other, CompareScope::Of(WriteScope::Module(1))).empty());
    EXPECT_TRUE(SameInScope(Base(), other, WriteScope::Module(1)));
    EXPECT_FALSE(SameInScope(Base(), other, WriteScope::Module(0)));
    EXPECT_FALSE(SameInScope(Base(), other, WriteScope::NetworkImage()));
}

TEST(DeviceImage, FileBytesRoundTripAndSections) {
    const std::vector<uint8_t> file = Base().ToFile();
    ASSERT_EQ(file.size(), 712u);
    EXPECT_EQ(DeviceImage::FromFile(file)->Bytes(), Base().Bytes());
    EXPECT_FALSE(DeviceImage::FromFile(std::vector<uint8_t>(711)).has_value());
    EXPECT_FALSE(DeviceImage::FromFile(std::vector<uint8_t>(712, 0xFF)).has_value()); // no config
    EXPECT_EQ(Base().ModuleCount(), 2);
    EXPECT_EQ(Base().ModificationCode(), "1002000000000000");
    EXPECT_EQ(Base().Group(0)[0], 0xA6); // the file layout: inputs 0.. from offset 18
    DeviceImage device = Base();
    device.SetHasLabels(false);
    const std::vector<uint8_t> saved = device.ToFile();
    EXPECT_EQ(std::vector<uint8_t>(saved.begin() + 208, saved.end()), std::vector<uint8_t>(504, 0));
}

} // namespace
