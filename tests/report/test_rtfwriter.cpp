// The RTF writer: escapes of single pieces of text and whole files, byte for byte.

#include "report/rtfwriter.h"

#include <gtest/gtest.h>

namespace {

struct EscapeCase {
    const char* name;
    const char16_t* text;
    const char* rtf;
};

class EscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTest, WritesTheRtfOfTheText) {
    const EscapeCase& c = GetParam();
    EXPECT_EQ(RtfWriter::EscapeText(QString::fromUtf16(c.text)), QByteArray(c.rtf));
}

// Windows-1251: А..Я are C0..DF, а..я E0..FF, Ё A8, № B9, € 88.
const EscapeCase kEscapes[] = {
    {"Ascii", u"DI_1_3 0x02", "DI_1_3 0x02"},
    {"TabIsAControlWordWithItsDelimiter", u"1\tDI", "1\\tab DI"},
    {"TabBeforeABlank", u"\t 0x00", "\\tab  0x00"},
    {"BracesAndBackslash", u"{a}\\b", "\\{a\\}\\\\b"},
    {"Cyrillic", u"Вход", "\\'c2\\'f5\\'ee\\'e4"},
    {"NumberSignYoAndEuro", u"№Ёё€", "\\'b9\\'a8\\'b8\\'88"},
    {"QuestionMarkStaysItself", u"?", "?"},
    {"ControlByte", u"a\x01", "a\\'01"},
    {"OutsideTheCodePage", u"\u4E2D", "\\u20013?"},
    {"OutsideTheCodePageAboveInt16", u"\uFFFD", "\\u-3?"},
    {"Empty", u"", ""},
};

INSTANTIATE_TEST_SUITE_P(Rtf, EscapeTest, ::testing::ValuesIn(kEscapes),
                         [](const auto& info) { return std::string(info.param.name); });

struct ParagraphCase {
    const char* name;
    const char16_t* line;
    std::vector<const char16_t*> paragraphs;
};

class ParagraphTest : public ::testing::TestWithParam<ParagraphCase> {};

TEST_P(ParagraphTest, LineBreaksEndParagraphs) {
    const ParagraphCase& c = GetParam();
    RtfWriter writer;
    writer.AddLine(QString::fromUtf16(c.line));
    QStringList expected;
    for (const char16_t* p : c.paragraphs)
        expected << QString::fromUtf16(p);
    EXPECT_EQ(writer.Paragraphs(), expected);
}

const ParagraphCase kParagraphs[] = {
    {"PlainLine", u"abc", {u"abc"}},
    {"EmptyLine", u"", {u""}},
    {"LineFeedOnly", u"\n", {u"", u""}},
    {"LineFeed", u"a\nb", {u"a", u"b"}},
    {"CarriageReturnLineFeed", u"a\r\nb", {u"a", u"b"}},
    {"CarriageReturn", u"a\rb", {u"a", u"b"}},
};

INSTANTIATE_TEST_SUITE_P(Rtf, ParagraphTest, ::testing::ValuesIn(kParagraphs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RtfWriter, WholeFileInMsSansSerifEightPoint) {
    RtfWriter writer;
    writer.AddLine(QString::fromUtf8("Файл a.lum"));
    writer.AddLine(QString());
    writer.AddLine(QString::fromUtf8("1\tDI_1_1"));
    const QByteArray expected =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
        "{\\fonttbl{\\f0\\fswiss\\fcharset204 MS Sans Serif;}}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs16 \\'d4\\'e0\\'e9\\'eb a.lum\\par\r\n"
        "\\par\r\n"
        "1\\tab DI_1_1\\par\r\n"
        "}\r\n";
    EXPECT_EQ(writer.Rtf(), expected);
}

TEST(RtfWriter, OtherFontAndSize) {
    RtfWriter writer(QString::fromUtf8("Arial {Cyr}"), 10);
    EXPECT_EQ(writer.Rtf(), QByteArray("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
                                       "{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial \\{Cyr\\};}}\r\n"
                                       "\\viewkind4\\uc1\\pard\\f0\\fs20 }\r\n"));
}

} // namespace
