// The packed input records: every bit field against the record layout, the group transfers,
// the presets of the test menu and the creation defaults.

#include "model/inputprogram.h"
#include "model/moduleconfig.h"
#include "support/scriptedoperator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <vector>

namespace {

using Getter = int (InputProgram::*)(int) const;
using Setter = void (InputProgram::*)(int, int);

// Each field as the record layout describes it: byte, mask, lowest bit.
struct FieldCase {
    const char* name;
    Getter get;
    Setter put;
    int byte;
    int mask;
    int shift;
};

const FieldCase kFields[] = {
    {"Namur", &InputProgram::GetNamur, &InputProgram::PutNamur, 0, 0x01, 0},
    {"Contact", &InputProgram::GetContact, &InputProgram::PutContact, 0, 0x02, 1},
    {"Relay", &InputProgram::GetRelay, &InputProgram::PutRelay, 0, 0x04, 2},
    {"Color", &InputProgram::GetColor, &InputProgram::PutColor, 0, 0x38, 3},
    {"AlarmType", &InputProgram::GetAlarmType, &InputProgram::PutAlarmType, 0, 0xC0, 6},
    {"Delay", &InputProgram::GetDelay, &InputProgram::PutDelay, 1, 0x3F, 0},
    {"Sound", &InputProgram::GetSound, &InputProgram::PutSound, 1, 0x40, 6},
    {"Archive", &InputProgram::GetArchive, &InputProgram::PutArchive, 1, 0x80, 7},
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

class RecordField : public ::testing::TestWithParam<FieldCase> {};

// Every value of the field, on inputs at both ends and inside, over a background of zeros and of
// ones: only the field's bits of the one record byte change.
TEST_P(RecordField, ChangesOnlyItsOwnBits) {
    const FieldCase& f = GetParam();
    for (uint8_t background : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x5A}}) {
        for (int input : {0, 1, 17, 18, 35}) {
            for (int value = 0; value <= (f.mask >> f.shift); ++value) {
                InputProgram inputProgram;
                std::memset(inputProgram.Records, background, sizeof inputProgram.Records);
                (inputProgram.*f.put)(input, value);
                std::vector<uint8_t> expected(108, background);
                expected[3 * input + f.byte] =
                    static_cast<uint8_t>((background & ~f.mask) | (value << f.shift));
                ASSERT_EQ(std::vector<uint8_t>(inputProgram.Records, inputProgram.Records + 108),
                          expected)
                    << f.name << " input " << input << " value " << value;
                EXPECT_EQ((inputProgram.*f.get)(input), value) << f.name;
            }
        }
    }
}

// A value wider than the field never spills into the neighbouring fields.
TEST_P(RecordField, WideValueStaysInsideTheField) {
    const FieldCase& f = GetParam();
    InputProgram inputProgram;
    std::memset(inputProgram.Records, 0, sizeof inputProgram.Records);
    (inputProgram.*f.put)(4, 0x7FFFFFFF);
    EXPECT_EQ(inputProgram.Records[3 * 4 + f.byte], f.mask) << f.name;
    EXPECT_EQ(inputProgram.Records[3 * 4 + (f.byte + 1) % 3], 0) << f.name;
}

// Inputs outside 0..35 are neither read nor written.
TEST_P(RecordField, InputOutOfRangeIsIgnored) {
    const FieldCase& f = GetParam();
    InputProgram inputProgram;
    std::memset(inputProgram.Records, 0xFF, sizeof inputProgram.Records);
    const std::vector<uint8_t> before(inputProgram.Records, inputProgram.Records + 108);
    for (int input : {-1, 36, 1000}) {
        (inputProgram.*f.put)(input, 0);
        EXPECT_EQ((inputProgram.*f.get)(input), 0) << f.name;
    }
    EXPECT_EQ(std::vector<uint8_t>(inputProgram.Records, inputProgram.Records + 108), before);
}

INSTANTIATE_TEST_SUITE_P(AllFields, RecordField, ::testing::ValuesIn(kFields),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Program, ColourAndAlarmTypeOnAClearedRecord) {
    InputProgram inputProgram;
    inputProgram.ClearRecords(0, 36);
    inputProgram.PutColor(7, 6);
    EXPECT_EQ(inputProgram.Records[21], 0x30);
    inputProgram.PutAlarmType(7, 3);
    EXPECT_EQ(inputProgram.Records[21], 0xF0);
    EXPECT_EQ(inputProgram.GetColor(7), 6);
    EXPECT_EQ(inputProgram.GetAlarmType(7), 3);
}

TEST(Program, DelayKeepsSoundAndArchiving) {
    InputProgram inputProgram;
    inputProgram.Records[3 * 2 + 1] = 0xC0;
    inputProgram.PutDelay(2, 60);
    EXPECT_EQ(inputProgram.Records[7], 0xC0 | 60);
}

TEST(Program, ModuleParameterLivesInTheModulesFirstInput) {
    InputProgram inputProgram;
    std::memset(inputProgram.Records, 0, sizeof inputProgram.Records);
    inputProgram.Records[3 * 1 + 2] = 0x05; // input 1: not module 1's parameter
    inputProgram.Records[3 * 6 + 2] = 0xFB; // input 6: module 1's first input
    EXPECT_EQ(inputProgram.GetModuleParameter(1), 3);
    EXPECT_EQ(inputProgram.GetModuleParameter(0), 0);
    inputProgram.PutModuleParameter(5, 7);
    EXPECT_EQ(inputProgram.Records[3 * 30 + 2], 0x07);
    inputProgram.PutModuleParameter(1, 0);
    EXPECT_EQ(inputProgram.Records[3 * 6 + 2], 0xF8); // bits 3..7 stay as read
    inputProgram.PutModuleParameter(6, 7);
    inputProgram.PutModuleParameter(-1, 7);
    EXPECT_EQ(inputProgram.GetModuleParameter(6), 0);
    EXPECT_EQ(inputProgram.Records[107], 0);
}

TEST(Program, ConstructionState) {
    InputProgram inputProgram;
    EXPECT_EQ(inputProgram.ModuleWriteLength, 19);
}

struct ClearCase {
    int first;
    int count;
    int clearedFrom; // expected cleared inputs [clearedFrom, clearedTo)
    int clearedTo;
};

class ClearRecords : public ::testing::TestWithParam<ClearCase> {};

TEST_P(ClearRecords, ClearsOnlyInputsInside0To35) {
    const ClearCase& c = GetParam();
    InputProgram inputProgram;
    std::memset(inputProgram.Records, 0xEE, sizeof inputProgram.Records);
    inputProgram.ClearRecords(c.first, c.count);
    for (int input = 0; input < 36; ++input) {
        const bool cleared = input >= c.clearedFrom && input < c.clearedTo;
        const uint8_t* r = inputProgram.Records + 3 * input;
        if (cleared) {
            EXPECT_EQ(r[0], 0x20) << input;
            EXPECT_EQ(r[1], 0x00) << input;
            EXPECT_EQ(r[2], 0x00) << input;
        } else {
            EXPECT_EQ(r[0], 0xEE) << input;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, ClearRecords,
                         ::testing::Values(ClearCase{30, 10, 30, 36}, ClearCase{0, 36, 0, 36},
                                           ClearCase{6, 6, 6, 12}, ClearCase{35, 1, 35, 36},
                                           ClearCase{36, 5, 0, 0}, ClearCase{-3, 5, 0, 2},
                                           ClearCase{5, 0, 0, 0}, ClearCase{5, -4, 0, 0},
                                           ClearCase{0, 0x7FFFFFFF, 0, 36},
                                           ClearCase{0x7FFFFFF0, 0x7FFFFFF0, 0, 0}));

TEST(Program, GroupTransfersMoveOneModule) {
    InputProgram inputProgram;
    std::memset(inputProgram.Records, 0, sizeof inputProgram.Records);
    uint8_t group[18];
    for (int i = 0; i < 18; ++i)
        group[i] = static_cast<uint8_t>(0xA0 + i);
    inputProgram.PutModuleBuffer(group);
    inputProgram.ModuleBufferToRecords(2);
    for (int i = 0; i < 108; ++i)
        EXPECT_EQ(inputProgram.Records[i], (i >= 36 && i < 54) ? 0xA0 + i - 36 : 0) << i;
    inputProgram.RecordsToModuleBuffer(0);
    for (uint8_t b : inputProgram.ModuleBuffer)
        EXPECT_EQ(b, 0);
    inputProgram.RecordsToModuleBuffer(2);
    EXPECT_EQ(std::memcmp(inputProgram.ModuleBuffer, group, 18), 0);
    inputProgram.RecordsToModuleBuffer(6); // no such module: an empty group
    for (uint8_t b : inputProgram.ModuleBuffer)
        EXPECT_EQ(b, 0);
    inputProgram.ModuleBufferToRecords(-1);
    inputProgram.ModuleBufferToRecords(6);
    EXPECT_EQ(inputProgram.Records[36], 0xA0);
}

TEST(Program, ModuleReplyFillsTheGroupFromByteFour) {
    // address 1, function 68, byte count 19, module 3, 18 record bytes, CRC
    std::vector<uint8_t> reply = {0x01, 0x44, 19, 3};
    for (int i = 0; i < 18; ++i)
        reply.push_back(static_cast<uint8_t>(i + 1));
    reply.push_back(0xAA);
    reply.push_back(0xBB);
    InputProgram inputProgram;
    ASSERT_EQ(inputProgram.PutModuleReply(reply.data(), static_cast<int>(reply.size())), 0);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(inputProgram.ModuleBuffer[i], i + 1);
}

TEST(Program, ShortModuleReplyIsAReceiveError) {
    InputProgram inputProgram;
    std::memset(inputProgram.ModuleBuffer, 0x77, sizeof inputProgram.ModuleBuffer);
    std::vector<uint8_t> reply(260, 0x11);
    reply[1] = 0x44;
    reply[2] = 18; // one byte short of a module group
    EXPECT_EQ(inputProgram.PutModuleReply(reply.data(), 260), 128);
    reply[2] = 19; // enough claimed, but the buffer holds only 21 bytes
    EXPECT_EQ(inputProgram.PutModuleReply(reply.data(), 21), 128);
    EXPECT_EQ(inputProgram.PutModuleReply(nullptr, 260), 128);
    for (uint8_t b : inputProgram.ModuleBuffer)
        EXPECT_EQ(b, 0x77);
}

TEST(Program, WriteLengthStaysAtOneModuleGroup) {
    InputProgram inputProgram;
    for (int reported : {0, 1, 18, 19, 20, 255}) {
        inputProgram.PutModuleWriteLength(reported);
        EXPECT_EQ(inputProgram.ModuleWriteLength, 19) << reported;
    }
    inputProgram.ModuleWriteLength = 200; // stored directly: the write still carries 19 bytes
    EXPECT_EQ(inputProgram.GetModuleWriteLength(), 19);
    for (int i = 0; i < 108; ++i)
        inputProgram.Records[i] = static_cast<uint8_t>(i);
    const std::vector<uint8_t> data = inputProgram.ModuleWriteData(1);
    ASSERT_EQ(data.size(), 19u);
    EXPECT_EQ(data[0], 2);
    EXPECT_EQ(data[1], 18);
    EXPECT_EQ(data[18], 35);
}

// Modules "МЛВ" in slot 0 and "МСЮ" in slot 3: inputs 0..11 are fitted.
ModuleConfig TwoModules() {
    ModuleConfig moduleConfig;
    const uint8_t config[17] = {2, 1, 0, 0, 2};
    moduleConfig.PutConfig(config);
    return moduleConfig;
}

struct PresetCase {
    const char* name;
    TestPreset preset;
    uint8_t start[3];
    uint8_t fitted[3];
};

class Presets : public ::testing::TestWithParam<PresetCase> {};

TEST_P(Presets, RewriteFittedInputsOnly) {
    const PresetCase& c = GetParam();
    const ModuleConfig moduleConfig = TwoModules();
    InputProgram inputProgram;
    for (int input = 0; input < 36; ++input)
        std::memcpy(inputProgram.Records + 3 * input, c.start, 3);
    inputProgram.ApplyPreset(c.preset, moduleConfig);
    for (int input = 0; input < 36; ++input) {
        const uint8_t* expected = input < 12 ? c.fitted : c.start;
        for (int b = 0; b < 3; ++b)
            EXPECT_EQ(inputProgram.Records[3 * input + b], expected[b])
                << c.name << " input " << input;
    }
}

INSTANTIATE_TEST_SUITE_P(
    TestMenu, Presets,
    ::testing::Values(
        PresetCase{"Namur", TestPreset::Namur, {0x20, 0, 0}, {0x21, 0, 0}},
        PresetCase{"DryContact", TestPreset::DryContact, {0xFF, 0xFF, 0xFF}, {0xFE, 0xFF, 0xFF}},
        PresetCase{"NormallyOpen", TestPreset::NormallyOpen, {0x20, 0, 0}, {0x22, 0, 0}},
        PresetCase{
            "NormallyClosed", TestPreset::NormallyClosed, {0xFF, 0xFF, 0xFF}, {0xFD, 0xFF, 0xFF}},
        // alarm type 2, colour 4, contact 0, sound 0
        PresetCase{"Red", TestPreset::Red, {0xFF, 0xFF, 0xFF}, {0xA5, 0xBF, 0xFF}},
        // alarm type 1, colour 6
        PresetCase{"Yellow", TestPreset::Yellow, {0xFF, 0xFF, 0xFF}, {0x75, 0xBF, 0xFF}},
        // alarm type 3, colour 2
        PresetCase{"Green", TestPreset::Green, {0x00, 0x00, 0x00}, {0xD0, 0x00, 0x00}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Program, DefaultDatabaseAddsRelaysDelaysAndModuleParameter) {
    const ModuleConfig moduleConfig = TwoModules();
    InputProgram inputProgram;
    std::memset(inputProgram.Records, 0xFF, sizeof inputProgram.Records);
    inputProgram.ApplyPreset(TestPreset::DefaultDatabase, moduleConfig);
    // alarm type 2, sound, contact 0, colour 4, archiving; Namur and relay bits kept (set)
    for (int input = 0; input < 12; ++input) {
        const bool relay = input < 6 || input == 9 || input == 10;
        EXPECT_EQ(inputProgram.Records[3 * input], 0xA5) << input;
        EXPECT_EQ(inputProgram.Records[3 * input + 1], relay ? 0xC5 : 0xFF) << input;
        EXPECT_EQ(inputProgram.Records[3 * input + 2], (input == 0 || input == 6) ? 0xF8 : 0xFF)
            << input;
    }
    for (int i = 36; i < 108; ++i)
        EXPECT_EQ(inputProgram.Records[i], 0xFF) << i;
}

TEST(Program, DefaultAssignmentOnOneMsuModule) {
    ModuleConfig moduleConfig;
    const uint8_t config[17] = {1, 0, 2};
    moduleConfig.PutConfig(config);
    InputProgram inputProgram;
    inputProgram.ClearRecords(0, 36);
    inputProgram.DefaultRelaysAndDelays(moduleConfig);
    for (int input = 0; input < 36; ++input) {
        const bool set = input == 3 || input == 4;
        EXPECT_EQ(inputProgram.Records[3 * input], set ? 0x24 : 0x20) << input;
        EXPECT_EQ(inputProgram.Records[3 * input + 1], set ? 0x05 : 0x00) << input;
    }
}

TEST(Program, PresetsNeverPassInput35) {
    ModuleConfig moduleConfig;
    moduleConfig.ModuleCount = 50; // stored directly, beyond what any device holds
    for (int m = 0; m < 6; ++m)
        moduleConfig.ModuleType[m] = 1;
    InputProgram inputProgram;
    inputProgram.CreateDefaults(moduleConfig);
    inputProgram.ApplyPreset(TestPreset::DefaultDatabase, moduleConfig);
    for (int input = 0; input < 36; ++input)
        EXPECT_EQ(inputProgram.GetRelay(input), 1) << input;
}

TEST(Program, AskCreateAnswers) {
    struct Case {
        MsgButton answer;
        int access;
        bool result;
        std::size_t messages;
    };
    for (const Case& c : {Case{MsgButton::No, 0, true, 1}, Case{MsgButton::No, 1, true, 1},
                          Case{MsgButton::Yes, 0, false, 2}, Case{MsgButton::Yes, 1, false, 1}}) {
        ScriptedOperator op;
        op.Answer(c.answer);
        InputProgram inputProgram;
        EXPECT_EQ(inputProgram.AskCreate(op, c.access), c.result);
        ASSERT_EQ(op.Shown().size(), c.messages);
        EXPECT_EQ(op.Shown()[0].text, "Конфигурация не задана. Будете создавать?");
        EXPECT_EQ(op.Shown()[0].buttons, (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No}));
        if (c.messages == 2) {
            EXPECT_EQ(op.Shown()[1].text, "Ваш уровень доступа не позволяет создавать схему");
        }
    }
}

} // namespace
