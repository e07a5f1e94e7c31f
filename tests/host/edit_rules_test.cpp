#include "ui/model/edit_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvra {
namespace {

// GBK widths as code page 936 has them for the characters used below: ASCII one byte, the euro
// sign one byte (0x80), Chinese two; the snowman and lone surrogates have no GBK form.
int TestWidth(char16_t c) {
    if (c < 0x80 || c == u'€') return 1;
    if (c == u'☃' || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return 2;
}

const BoxRules kNameBox{false, 9, &TestWidth};
const BoxRules kRateBox{true, 2, &TestWidth};

TEST(EditRules, WhatEachBoxTakes) {
    struct Case {
        const char* what;
        const BoxRules& rules;
        std::u16string from, to;
        bool taken;
    } cases[] = {
        {"name box: nine bytes", kNameBox, u"", u"谢谢参与a", true},
        {"name box: ten bytes", kNameBox, u"谢谢参与", u"谢谢参与啊", false},
        {"name box: the euro sign is one byte", kNameBox, u"谢谢参与", u"谢谢参与€", true},
        {"name box: no GBK form", kNameBox, u"ab", u"ab☃", false},
        {"name box: a lone surrogate", kNameBox, u"ab", u"ab\xD83D", false},
        {"name box: shortening a long text from the file", kNameBox, u"一二三四五六", u"一二三四五",
         true},
        {"name box: swapping in a shorter character", kNameBox, u"一二三四五", u"一二三四a", true},
        {"name box: a long text may not grow", kNameBox, u"一二三四五", u"一二三四五a", false},
        {"name box: nor take a character GBK lacks", kNameBox, u"一二三四五", u"一二三☃", false},
        {"rate box: two characters", kRateBox, u"1", u"12", true},
        {"rate box: not three", kRateBox, u"12", u"123", false},
        {"rate box: minus", kRateBox, u"", u"-5", true},
        {"rate box: no plus", kRateBox, u"", u"+5", false},
        {"rate box: no letter", kRateBox, u"5", u"5a", false},
        {"rate box: no full-width digits", kRateBox, u"", u"１", false},
        {"rate box: a long number from the file can lose digits", kRateBox, u"2147483647",
         u"214748364", true},
        {"rate box: letters from the file can be deleted", kRateBox, u"abc", u"ab", true},
    };
    for (const Case& c : cases) EXPECT_EQ(AcceptsChange(c.rules, c.from, c.to), c.taken) << c.what;
}

TEST(EditRules, PasteTakesTheLongestFittingStartOfTheFirstLine) {
    struct Case {
        const char* what;
        const BoxRules& rules;
        std::u16string text;
        size_t start, end;
        std::u16string clip, piece;
    } cases[] = {
        {"rate: digits up to the limit", kRateBox, u"", 0, 0, u"12345", u"12"},
        {"rate: replacing the selection", kRateBox, u"99", 0, 2, u"42", u"42"},
        {"rate: stops at a letter", kRateBox, u"", 0, 0, u"4x2", u"4"},
        {"name: stops at the byte limit", kNameBox, u"ab", 1, 1, u"谢谢参与", u"谢谢参"},
        {"name: first line only", kNameBox, u"", 0, 0, u"ab\r\ncd", u"ab"},
        {"name: stops at a character GBK lacks", kNameBox, u"", 0, 0, u"a☃b", u"a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PastedPiece(c.rules, c.text, c.start, c.end, c.clip), c.piece) << c.what;
}

TEST(NormaliseRateText, KeepsTheNumberWithoutZerosOrLoneSignsAndFoldsFullWidthForms) {
    const struct {
        std::vector<const char*> texts;
        const char* expected;
    } groups[] = {
        {{"-", "0", "-0", "00", "", "x5", "--5"}, ""},
        {{"07"}, "7"},
        {{"-9"}, "-9"},
        {{"99"}, "99"},
        {{"+3"}, "3"},
        {{" \t12", "12x3", "１２ｘ"}, "12"},
        {{"２０"}, "20"},
        {{"　－５"}, "-5"},
        {{"2147483647", "2147483648", "4294967296", "99999999999", "18446744073709551616"},
         "2147483647"},
        {{"-2147483648", "-2147483649", "-99999999999", "-99999999999999999999999999"},
         "-2147483648"},
    };
    for (const auto& g : groups)
        for (const char* text : g.texts) EXPECT_EQ(NormaliseRateText(text), g.expected) << text;
}

}  // namespace
}  // namespace kelvra
