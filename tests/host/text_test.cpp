// Text and number operations: the exact conversions the rates, names and the clock rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "runtime/fatal.h"
#include "runtime/text.h"

namespace kelvra {
namespace {

TEST(TextToInt, ReadsWhatOperatorsType) {
    struct Case {
        const char* name;
        std::string text;
        int32_t expected;
    } cases[] = {
        {"empty", "", 0},
        {"leading blanks", "  42", 42},
        {"tabs and line breaks are white space", "\t\r\n 7", 7},
        {"per cent sign ends the digits", "42%", 42},
        {"ascii minus", "-7", -7},
        {"plus sign", "+7", 7},
        {"full-width digits", "４２", 42},
        {"ideographic space then full-width digits", "　４２", 42},
        {"full-width minus", "－５", -5},
        {"digits then letters", "12ab", 12},
        {"letters only", "ab", 0},
        {"blanks only", "   ", 0},
        {"sign alone", "-", 0},
        {"two signs", "--5", 0},
        {"wraps past int32", "2147483648", std::numeric_limits<int32_t>::min()},
        {"wraps twice", "4294967297", 1},
        {"stops at NUL", std::string("12\00034", 5), 12},
        {"incomplete character ends the scan", "5\xA3", 5},
        {"other double-byte characters stop the digits", "5个", 5},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToInt(c.text), c.expected) << c.name;
}

TEST(TextToInt64, ConvertsAClockReadingWhole) {
    EXPECT_EQ(TextToInt64("1765432109876"), 1765432109876LL);
    EXPECT_EQ(TextToInt64(""), 0);
    EXPECT_EQ(TextToInt64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(TextToInt64("１７６５"), 1765);
}

TEST(FoldFullWidth, FoldsOnlyTheListedForms) {
    EXPECT_EQ(FoldFullWidth("！～☆★　＋"), "!~** +");
    EXPECT_EQ(FoldFullWidth("Ａｚ"), "Az");
    EXPECT_EQ(FoldFullWidth("奖项"), "奖项");
    EXPECT_EQ(FoldFullWidth("a\xB0"), "a") << "a lead byte at the end is dropped";
}

// Code page 936: 0x81..0xFE lead a character whose trail byte is 0x40..0xFE but not 0x7F; 0x80
// (the euro sign) and 0xFF are characters of their own.
TEST(GbkCharSize, LeadAndTrailBytesAtTheirEdges) {
    struct Case {
        std::string text;
        size_t expected;
    } cases[] = {
        {"\x80\x40", 1}, {"\x81\x40", 2}, {"\xA0\xA1", 2}, {"\xFE\xFE", 2},
        {"\xFF\x40", 1}, {"\x81\x3F", 1}, {"\x81\x7F", 1}, {"\x81\x80", 2},
        {"\x81\xFF", 1}, {"\x81", 1},     {"a\x81", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GbkCharSize(c.text, 0), c.expected) << testing::PrintToString(c.text);
    EXPECT_TRUE(IsIncompleteAt("a\x81", 1));
    EXPECT_FALSE(IsIncompleteAt("a\x80", 1)) << "the euro sign is whole";
    EXPECT_FALSE(IsIncompleteAt("a\xFF", 1));
}

TEST(RemoveAllBlanks, DropsAsciiAndIdeographicSpacesOnly) {
    EXPECT_EQ(RemoveAllBlanks(" 谢谢 参与　"), "谢谢参与");
    EXPECT_EQ(RemoveAllBlanks("　 "), "");
    EXPECT_EQ(RemoveAllBlanks("a\tb"), "a\tb");
    EXPECT_EQ(RemoveAllBlanks(" 2 0 "), "20");
    // A trail byte of 0x20 cannot occur in GBK, but 0xA1 0xA1 inside a longer text must not be
    // found across a character boundary: "〡" is A9 A1, followed by "ˇ" A1 A6.
    EXPECT_EQ(RemoveAllBlanks("\xA9\xA1\xA1\xA6"), "\xA9\xA1\xA1\xA6");
    EXPECT_EQ(RemoveAllBlanks("ab\xC4"), "ab") << "an incomplete character ends the text";
    // Every lead byte takes its trail: 81 A1 and A0 A1 are characters, and the A1 A1 after them
    // an ideographic space.
    EXPECT_EQ(RemoveAllBlanks("\x81\xA1\xA1\xA1"), "\x81\xA1");
    EXPECT_EQ(RemoveAllBlanks("\xA0\xA1\xA1\xA1"), "\xA0\xA1");
    EXPECT_EQ(RemoveAllBlanks("50\x80 \xFF"), "50\x80\xFF") << "0x80 and 0xFF stand alone";
}

TEST(IntToTextAndConcat, FormatLikePercentD) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(100), "100");
    EXPECT_EQ(IntToText(-3), "-3");
    EXPECT_EQ(IntToText(std::numeric_limits<int32_t>::min()), "-2147483648");
    EXPECT_EQ(ConcatText({"当前中奖率：", IntToText(95), "%"}), "当前中奖率：95%");
    EXPECT_EQ(ConcatText({"", "a", std::string_view()}), "a");
}

TEST(CompareAndLength, AreByteWise) {
    EXPECT_EQ(CompareText("", std::string_view()), 0);
    EXPECT_EQ(CompareText("a", "b"), -1);
    EXPECT_EQ(CompareText("b", "a"), 1);
    EXPECT_EQ(CompareText("ab", "a"), 1);
    EXPECT_EQ(CompareText("\x80", "a"), 1) << "bytes compare unsigned";
    EXPECT_EQ(CompareText("A", "a"), -1) << "no case folding";
    EXPECT_EQ(TextLength("OPPO手机"), 8);
    EXPECT_EQ(TextLength(std::string_view()), 0);
}

TEST(Remainder, TruncatedDivisionKeepsTheDividendsSign) {
    EXPECT_EQ(Remainder(1234.0, 100.0), 34.0);
    EXPECT_EQ(Remainder(250.0, 100.0), 50.0);
    EXPECT_EQ(Remainder(-7.0, 100.0), -7.0);
    EXPECT_EQ(Remainder(-250.0, 100.0), -50.0);
    EXPECT_EQ(Remainder(5.0, 2.0), 1.0);
    EXPECT_EQ(Remainder(1765432109876.0, 100.0), 76.0);
}

TEST(RemainderDeathTest, ZeroDivisorIsFatal) {
    EXPECT_EXIT(Remainder(1.0, 0.0), testing::ExitedWithCode(255), "");
    EXPECT_EXIT(Remainder(1.0, -0.0), testing::ExitedWithCode(255), "");
}

TEST(TruncateToInt, RoundsTowardZero) {
    EXPECT_EQ(TruncateToInt(2.9), 2);
    EXPECT_EQ(TruncateToInt(-2.9), -2);
    EXPECT_EQ(TruncateToInt(1e300), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(TruncateToInt(std::nan("")), 0);
    EXPECT_EQ(TruncateToInt32(4294967296.0 + 5.0), 5) << "int32 callers keep the low 32 bits";
    EXPECT_EQ(TruncateToInt32(-1.5), -1);
}

}  // namespace
}  // namespace kelvra
