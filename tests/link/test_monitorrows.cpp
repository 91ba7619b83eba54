// The bus monitor's rows as the engine's recorder feeds them: what counts as trouble, one
// repeat count per transaction, exception replies with their CRC, and the saved journal.

#include "enginefixture.h"
#include "link/framerecorder.h"
#include "link/monitorrows.h"

#include <string>

namespace {

using TestFrame::Exception;
using TestFrame::Normal;
using TestFrame::Truncated;

const Bytes kConfig = Normal(1, 0x11, Bytes(17, 0));

class MonitorRowsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        port.AddObserver(&recorder);
    }
    void TearDown() override { port.RemoveObserver(&recorder); }

    // Every record's row: one column, and what went wrong in it ("-" for nothing).
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> out;
        for (int64_t s = recorder.FirstSerial(); s < recorder.EndSerial(); ++s)
            out.push_back(FormatRecord(recorder, *recorder.At(s), nullptr)[size_t(column)]);
        return out;
    }
    std::vector<RowTrouble> Troubles() const {
        std::vector<RowTrouble> out;
        for (int64_t s = recorder.FirstSerial(); s < recorder.EndSerial(); ++s)
            out.push_back(TroubleOf(recorder, *recorder.At(s)));
        return out;
    }

    FrameRecorder recorder;
};

using T = RowTrouble;

// A body failure, then a header failure: the engine counts the stages apart ("2/10" then
// "2/5"); the monitor counts the transaction's repeats once.
TEST_F(MonitorRowsTest, RepeatsAreCountedOncePerTransaction) {
    Bytes spoilt = kConfig;
    spoilt.back() ^= 0xFF;
    line.QueueReply(spoilt);
    line.QueueReply({1, 0x03, 0});
    line.QueueSilence(1);
    line.QueueReply(kConfig);
    line.QueueSilence(1);
    line.QueueReply(kConfig);
    EXPECT_EQ(Run(0, 17), 0);
    EXPECT_EQ(Run(0, 17), 0);
    const std::vector<std::string> meaning = Column(MonitorColumn::Meaning);
    std::vector<std::string> requests;
    for (size_t i = 0; i < meaning.size(); ++i)
        if (Column(MonitorColumn::Direction)[i] == "→")
            requests.push_back(meaning[i]);
    EXPECT_EQ(requests, (std::vector<std::string>{
                            "чтение конфигурации", "чтение конфигурации (повтор 1)",
                            "чтение конфигурации (повтор 2)", "чтение конфигурации (повтор 3)",
                            "чтение конфигурации", "чтение конфигурации (повтор 1)"}));
    EXPECT_EQ(Troubles(), (std::vector<T>{T::None, T::Damaged, T::None, T::Foreign, T::None,
                                          T::NoAnswer, T::None, T::None, T::None, T::None,
                                          T::NoAnswer, T::None, T::None, T::None}));
}

struct ExceptionCase {
    const char* name;
    Bytes reply;
    const char* crc;
    int length;
};

class ExceptionRows : public MonitorRowsTest,
                      public ::testing::WithParamInterface<ExceptionCase> {};

// An exception reply is read whole, CRC included, and shown so; the code is the device's
// whatever its CRC says.
TEST_P(ExceptionRows, ShowTheWholeFrameWithItsCrc) {
    line.QueueReply(GetParam().reply);
    EXPECT_EQ(Run(0, 14, {1, 0x0E, 0xC0, 0x0D}), 6);
    ASSERT_EQ(recorder.EndSerial(), 3);
    const MonitorRow row = FormatRecord(recorder, *recorder.At(1), nullptr);
    EXPECT_EQ(row[MonitorColumn::Crc], GetParam().crc);
    EXPECT_EQ(row[MonitorColumn::Length], std::to_string(GetParam().length));
    EXPECT_EQ(row[MonitorColumn::Meaning].rfind("опрос записи: занят (исключение 6)", 0), 0u)
        << row[MonitorColumn::Meaning];
    EXPECT_EQ(TroubleOf(recorder, *recorder.At(1)),
              GetParam().length == 5 && std::string(GetParam().crc) == "верна" ? T::Exception
                                                                               : T::Damaged);
    EXPECT_EQ(TroubleOf(recorder, *recorder.At(2)), T::Failed);
}

Bytes BadCrc(Bytes frame) {
    frame.back() ^= 0x55;
    return frame;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ExceptionRows,
    ::testing::Values(ExceptionCase{"whole", Exception(1, 0x0E, 6), "верна", 5},
                      ExceptionCase{"badCrc", BadCrc(Exception(1, 0x0E, 6)), "неверна", 5},
                      ExceptionCase{"headerOnly", Truncated(Exception(1, 0x0E, 6), 3), "нет", 3}),
    [](const auto& info) { return std::string(info.param.name); });

struct DateCase {
    int64_t localMs;
    const char* text;
};

TEST(MonitorDates, CivilDatesOfLocalMilliseconds) {
    const DateCase cases[] = {{0, "01.01.1970"},
                              {86'400'000LL * 59, "01.03.1970"},
                              {951'782'400'000LL, "29.02.2000"},
                              {1'796'601'599'999LL, "06.12.2026"},
                              {1'796'601'600'000LL, "07.12.2026"},
                              {-1, "31.12.1969"}};
    for (const DateCase& c : cases)
        EXPECT_EQ(DateText(c.localMs), c.text) << c.localMs;
}

// The saved journal: its heading, a date column before the table's, the delta apart.
TEST_F(MonitorRowsTest, JournalHasHeadingDatesAndDeltas) {
    recorder.SetWallClock([] { return int64_t(1'796'646'605'000LL); }); // 07.12.2026 12:30:05
    line.QueueReply(kConfig);
    EXPECT_EQ(Run(0, 17), 0);
    const std::string text = JournalText(recorder, {0, 2}, {"Линия: FAKE", ""});
    EXPECT_EQ(text,
              "Линия: FAKE\n\n"
              "Дата\tВремя\tΔt, мс\tНаправление\tПрибор\tФункция\tСмысл\tДлина\tCRC\tБайты\n"
              "07.12.2026\t12:30:05.000\t\t→\t1 (01)\t17 конфигурация\tчтение конфигурации\t4\t"
              "верна\t01 11 C0 2C\n"
              "07.12.2026\t12:30:05.000\t+0\tитог\t1\t17 конфигурация\tкод 0: выполнено\t\t\t\n");
}

} // namespace
