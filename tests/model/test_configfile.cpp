// The 712-byte configuration file: created content, save and open, refusal of short files.

#include "helper_modelsnapshot.h"
#include "model/configfile.h"
#include "model/deviceimage.h"
#include "model/labelclipboard.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

namespace {

// "Дискр.сигн." in Windows-1251
const std::string kDefaultPrefix = "\xC4\xE8\xF1\xEA\xF0.\xF1\xE8\xE3\xED.";

std::string Label(const std::vector<uint8_t>& file, int input) {
    return std::string(file.begin() + 208 + 14 * input, file.begin() + 208 + 14 * (input + 1));
}

std::string DefaultLabel(int input) {
    std::string n = std::to_string(input + 1);
    return kDefaultPrefix + std::string(3 - n.size(), '0') + n;
}

void ExpectRecords(const std::vector<uint8_t>& file, int input, std::array<uint8_t, 3> expected) {
    for (int b = 0; b < 3; ++b)
        EXPECT_EQ(file[18 + 3 * input + b], expected[b]) << "input " << input << " byte " << b;
}

void ExpectCommonCreatedContent(const std::vector<uint8_t>& file) {
    ASSERT_EQ(file.size(), 712u);
    EXPECT_EQ(file[0], 0);
    for (int i = 126; i < 208; ++i)
        EXPECT_EQ(file[i], 0) << i;
    for (int input = 0; input < 36; ++input)
        EXPECT_EQ(Label(file, input), DefaultLabel(input)) << input;
}

TEST(ConfigFile, CreatedWithOneMlv) {
    const std::array<uint8_t, 17> config = {1, 1};
    const std::vector<uint8_t> file = MakeCreatedConfigFile(config);
    ExpectCommonCreatedContent(file);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 1, file.begin() + 18),
              std::vector<uint8_t>(config.begin(), config.end()));
    for (int input = 0; input < 6; ++input)
        ExpectRecords(file, input, {0xA6, 0xC5, 0x00});
    for (int input = 6; input < 36; ++input)
        ExpectRecords(file, input, {0x20, 0x00, 0x00});
    EXPECT_EQ(Label(file, 0), "\xC4\xE8\xF1\xEA\xF0.\xF1\xE8\xE3\xED.001");
    EXPECT_EQ(Label(file, 35), "\xC4\xE8\xF1\xEA\xF0.\xF1\xE8\xE3\xED.036");
}

TEST(ConfigFile, CreatedWithOneMsu) {
    const std::array<uint8_t, 17> config = {1, 2};
    const std::vector<uint8_t> file = MakeCreatedConfigFile(config);
    ExpectCommonCreatedContent(file);
    for (int input : {0, 1, 2, 5})
        ExpectRecords(file, input, {0xA2, 0xC0, 0x00});
    for (int input : {3, 4})
        ExpectRecords(file, input, {0xA6, 0xC5, 0x00});
    for (int input = 6; input < 36; ++input)
        ExpectRecords(file, input, {0x20, 0x00, 0x00});
}

TEST(ConfigFile, CreatedWithSixModulesClaimingMore) {
    const std::array<uint8_t, 17> config = {8, 1, 1, 1, 1, 1, 1, 2, 2};
    const std::vector<uint8_t> file = MakeCreatedConfigFile(config);
    ASSERT_EQ(file.size(), 712u);
    for (int input = 0; input < 36; ++input)
        ExpectRecords(file, input, {0xA6, 0xC5, 0x00});
    EXPECT_EQ(file[1], 8); // the configuration itself is kept as given
}

TEST(ConfigFile, OpenLoadsEverySection) {
    const std::array<uint8_t, 17> config = {1, 0, 2};
    std::vector<uint8_t> file = MakeCreatedConfigFile(config);
    file[126] = 17;
    file[207] = 0x0A;
    ModuleConfig moduleConfig;
    InputProgram inputProgram;
    NetworkBlocks f15;
    moduleConfig.InputId[20][0] = "stale";
    f15.WriteLength = 40;
    ASSERT_TRUE(LoadConfigFile(file, moduleConfig, inputProgram, f15));
    EXPECT_EQ(moduleConfig.ModuleCount, 1);
    EXPECT_EQ(moduleConfig.ModuleType[0], 2);
    EXPECT_EQ(moduleConfig.ModuleAddress[0], 1);
    EXPECT_EQ(moduleConfig.GetInputId(5), "DI_1_6    ");
    EXPECT_EQ(moduleConfig.GetInputId(20), ""); // identifiers beyond the fitted modules cleared
    EXPECT_EQ(moduleConfig.GetLabel(35), DefaultLabel(35));
    EXPECT_EQ(inputProgram.Records[9], 0xA6);
    EXPECT_EQ(inputProgram.Records[10], 0xC5);
    EXPECT_EQ(f15.Image[0], 17);
    EXPECT_EQ(f15.GetSpeedCode(), 2);
    EXPECT_EQ(f15.WriteLength, 82);
    EXPECT_EQ(f15.Image[81], 0x0A);
}

std::vector<uint8_t> RandomBytes(std::mt19937& rng, std::size_t n) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(byte(rng));
    return v;
}

// Whatever the bytes, opening and saving gives them back; only byte 0 is the current
// new-device-number.
TEST(ConfigFile, SaveOpenSaveIsByteIdenticalButForByteZero) {
    std::mt19937 rng(712);
    std::vector<std::vector<uint8_t>> files;
    const std::array<uint8_t, 17> mlvMsu = {2, 1, 0, 2};
    files.push_back(MakeCreatedConfigFile(mlvMsu));
    for (int i = 0; i < 20; ++i) {
        files.push_back(RandomBytes(rng, 712));
        // A module count a device can have, and as many fitted slots.
        const int count = files.back()[1] % 7;
        files.back()[1] = uint8_t(count);
        for (int slot = 0; slot < 16; ++slot)
            files.back()[2 + slot] = slot < count ? uint8_t(files.back()[2 + slot] | 1) : 0;
    }
    for (const auto& original : files) {
        ModuleConfig moduleConfig;
        InputProgram inputProgram;
        NetworkBlocks f15;
        ASSERT_TRUE(LoadConfigFile(original, moduleConfig, inputProgram, f15));
        moduleConfig.NewBusNumber = 0x1E;
        const std::vector<uint8_t> saved = SaveConfigFile(moduleConfig, inputProgram, f15);
        ASSERT_EQ(saved.size(), 712u);
        EXPECT_EQ(saved[0], 0x1E);
        EXPECT_TRUE(std::equal(saved.begin() + 1, saved.end(), original.begin() + 1));

        ModuleConfig serv2;
        InputProgram lum2;
        NetworkBlocks f152;
        ASSERT_TRUE(LoadConfigFile(saved, serv2, lum2, f152));
        serv2.NewBusNumber = 0x1E;
        EXPECT_EQ(SaveConfigFile(serv2, lum2, f152), saved);
    }
}

TEST(ConfigFile, SaveWritesTheModelInItsSections) {
    ModuleConfig moduleConfig;
    InputProgram inputProgram;
    NetworkBlocks f15;
    moduleConfig.NewBusNumber = 4;
    const uint8_t config[17] = {1, 0, 0, 1};
    moduleConfig.PutConfig(config);
    for (int i = 0; i < 108; ++i)
        inputProgram.Records[i] = static_cast<uint8_t>(i);
    f15.Image[0] = 17;
    f15.Image[81] = 0x0A;
    moduleConfig.PutLabel("first", 0);
    moduleConfig.PutLabel("last", 35);
    const std::vector<uint8_t> file = SaveConfigFile(moduleConfig, inputProgram, f15);
    ASSERT_EQ(file.size(), 712u);
    EXPECT_EQ(file[0], 4);
    EXPECT_EQ(file[1], 1);
    EXPECT_EQ(file[4], 1);
    for (int i = 0; i < 108; ++i)
        ASSERT_EQ(file[18 + i], i);
    EXPECT_EQ(file[126], 17);
    EXPECT_EQ(file[207], 0x0A);
    EXPECT_EQ(Label(file, 0), "first         ");
    EXPECT_EQ(Label(file, 35), "last          ");
    EXPECT_EQ(file[208 + 14], 0); // a label never loaded is zero bytes
}

TEST(ConfigFile, ShortFileIsRefusedWhole) {
    const std::array<uint8_t, 17> config = {1, 1};
    std::vector<uint8_t> good = MakeCreatedConfigFile(config);
    ModuleConfig moduleConfig;
    InputProgram inputProgram;
    NetworkBlocks f15;
    ASSERT_TRUE(LoadConfigFile(good, moduleConfig, inputProgram, f15));
    const ModuleConfig servBefore = moduleConfig;
    const InputProgram lumBefore = inputProgram;
    const NetworkBlocks f15Before = f15;
    std::vector<uint8_t> other(711, 0x02);
    EXPECT_FALSE(LoadConfigFile(other, moduleConfig, inputProgram, f15));
    EXPECT_TRUE(SameModel(moduleConfig, servBefore));
    EXPECT_TRUE(SameModel(inputProgram, lumBefore));
    EXPECT_TRUE(SameModel(f15, f15Before));
}

// The windows and lum08-cli open files by one rule: a longer file is no configuration either.
TEST(ConfigFile, LongFileIsRefusedWithItsSize) {
    const std::array<uint8_t, 17> config = {1, 2};
    std::vector<uint8_t> longer = MakeCreatedConfigFile(config);
    longer.resize(718, 0x33);
    ModuleConfig moduleConfig;
    InputProgram inputProgram;
    NetworkBlocks f15;
    EXPECT_FALSE(LoadConfigFile(longer, moduleConfig, inputProgram, f15));
    EXPECT_EQ(ConfigFileProblem(longer), "718 байт вместо 712");
    EXPECT_FALSE(DeviceImage::FromFile(longer).has_value());
}

TEST(ConfigFile, LabelClipboardStartsEmpty) {
    LabelClipboard copy;
    for (const auto& row : copy.Labels)
        for (uint8_t b : row)
            EXPECT_EQ(b, 0);
    EXPECT_EQ(copy.FirstInput, 0);
    EXPECT_EQ(copy.LastInput, 0);
}

} // namespace

// A file for a device nobody looks at first: exactly a configuration, or the reason it is not.
TEST(ConfigFile, StrictCheckNamesWhatIsWrong) {
    auto file = [](size_t size, std::vector<uint8_t> config) {
        std::vector<uint8_t> bytes(size, 0);
        std::copy(config.begin(), config.end(), bytes.begin() + 1);
        return bytes;
    };
    const struct {
        std::vector<uint8_t> bytes;
        std::string problem;
    } cases[] = {
        {file(712, {2, 1, 0, 0, 2}), ""},
        {file(712, {6, 1, 2, 1, 2, 1, 2}), ""},
        {file(713, {2, 1, 0, 0, 2}), "713 байт вместо 712"},
        {file(711, {2, 1, 0, 0, 2}), "711 байт вместо 712"},
        {file(100000, {}), "100000 байт вместо 712"},
        {file(712, {}), "модулей 0, а в приборе их от 1 до 6"},
        {file(712, {7, 1, 1, 1, 1, 1, 1, 1}), "модулей 7, а в приборе их от 1 до 6"},
        {file(712, {2, 1, 0, 0, 2, 1}), "модулей 2, а заполненных адресов модулей 3"},
        {file(712, {2, 1, 0, 0, 5}), "модуль неизвестного типа, код 5, по адресу модуля 3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrictConfigFileProblem(c.bytes), c.problem) << c.problem;
}
