// The property tables and the conversions of written values, fonts included.
#include "ui/model/properties.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kelvra {
namespace {

constexpr ControlType kAllTypes[] = {
    ControlType::Window,     ControlType::Tab,           ControlType::EditBox,
    ControlType::Label,      ControlType::Button,        ControlType::TransLabel,
    ControlType::CartoonBox, ControlType::CartoonObject,
};

constexpr int32_t kScreenDpi = 96;

// The lookup takes entry `number` of the type's table: each entry must carry its own number.
TEST(PropertyTable, EveryNumberFindsItsOwnEntry) {
    for (ControlType t : kAllTypes) {
        const auto size = static_cast<int32_t>(PropertyTable(t).size());
        for (int32_t n = 0; n < size; ++n) {
            const PropertyInfo* p = FindProperty(t, n);
            ASSERT_NE(p, nullptr) << "type " << static_cast<int>(t) << " property " << n;
            EXPECT_EQ(p->number, n) << "type " << static_cast<int>(t);
        }
        EXPECT_EQ(FindProperty(t, -1), nullptr);
        EXPECT_EQ(FindProperty(t, size), nullptr);
    }
}

TEST(Clamp, PositionsAndSizesStayWithinTheLimits) {
    struct Case {
        int64_t in;
        int32_t position, size;
    } cases[] = {
        {0, 0, 0},
        {32627, 32627, 32627},
        {32628, 32627, 32627},
        {40000, 32627, 32627},
        {-5, -5, 0},
        {-32627, -32627, 0},
        {-32628, -32627, 0},
        {INT64_MAX, 32627, 32627},
        {INT64_MIN, -32627, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClampPosition(c.in), c.position) << c.in;
        EXPECT_EQ(ClampSize(c.in), c.size) << c.in;
    }
}

TEST(ConvertForWrite, KeepsWhatEachKindHolds) {
    using K = PropertyKind;
    using V = PropertyValue;
    V png = V::Number(5), pngOnly;
    png.bytes = pngOnly.bytes = {0x89, 'P', 'N', 'G'};
    struct Case {
        const char* name;
        PropertyKind kind;
        PropertyValue in, out;
    } cases[] = {
        {"bool -1 is stored as 1", K::Bool, V::Number(-1), V::Number(1)},
        {"bool looks at the low word only", K::Bool, V::Number(INT64_C(0x100000000)), {}},
        {"choice -3 is stored as 0", K::Choice, V::Number(-3), {}},
        {"choice low word negative", K::Choice, V::Number(INT64_C(0x1FFFFFFFF)), {}},
        {"integer: the low word, signed", K::Integer2, V::Number(0x1FFFFFFFF), V::Number(-1)},
        {"colour: the low word, unsigned", K::Colour2, V::Number(-1), V::Number(0xFFFFFFFF)},
        {"date-time whole", K::DateTime, V::Number(0x123456789A), V::Number(0x123456789A)},
        {"a picture keeps its bytes only", K::Picture, png, pngOnly},
        {"a cursor as well", K::Cursor, png, pngOnly},
        {"unlisted codes are texts", static_cast<K>(1007), V::Text(" a "), V::Text(" a ")},
    };
    for (const Case& c : cases) {
        const PropertyValue out = ConvertForWrite(c.kind, c.in);
        EXPECT_EQ(out.number, c.out.number) << c.name;
        EXPECT_EQ(out.bytes, c.out.bytes) << c.name;
        EXPECT_EQ(out.text, c.out.text) << c.name;
    }
}

TEST(MulDivRounded, RoundsHalfAwayFromZero) {
    struct Case {
        int32_t a, b, c, expected;
    } cases[] = {
        {18, 96, 72, 24},
        {10, 96, 72, 13},
        {3, 12, 72, 1},
        {-3, 12, 72, -1},
        {3, 12, -72, -1},
        {-3, 12, -72, 1},
        {5, 1, 4, 1},
        {7, 1, 4, 2},
        {1, 1, 0, -1},
        {INT32_MAX, 96, 72, -1},
        {INT32_MAX, 72, 96, 1610612735},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MulDivRounded(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
    }
}

FontSpec SomeFont() {
    FontSpec f;
    f.set = true;
    f.height = -16;
    f.weight = 400;
    f.face = "黑体";
    return f;
}

FontSpec GuiFont() {
    FontSpec f;
    f.set = true;
    f.height = -11;
    f.weight = 400;
    f.face = "Tahoma";
    return f;
}

FontSpec WriteMember(FontMember m, const PropertyValue& v, int32_t dpi = kScreenDpi) {
    return WriteFontMember(SomeFont(), GuiFont(), static_cast<int32_t>(m), v, dpi);
}

// A font in one line: height, weight, angle, italic/underline/strike-out, face.
std::string Describe(const FontSpec& f) {
    return std::to_string(f.height) + " " + std::to_string(f.weight) + " " +
           std::to_string(f.escapement) + " " + (f.italic ? "i" : "-") + (f.underline ? "u" : "-") +
           (f.strikeOut ? "s" : "-") + " " + f.face;
}

// Each case writes one member onto SomeFont() (-16 400 0 --- 黑体): only that member changes.
TEST(FontMember, EachMemberConvertsItsValue) {
    const std::string face31(31, 'F');
    struct Case {
        const char* what;
        FontMember member;
        PropertyValue value;
        int32_t dpi;
        std::string font;
    } cases[] = {
        {"18 points", FontMember::Size, PropertyValue::Number(18), 96, "-24 400 0 --- 黑体"},
        {"18 points at 120 dpi", FontMember::Size, PropertyValue::Number(18), 120,
         "-30 400 0 --- 黑体"},
        {"9 points", FontMember::Size, PropertyValue::Number(9), 96, "-12 400 0 --- 黑体"},
        {"a negative size is 0", FontMember::Size, PropertyValue::Number(-4), 96,
         "0 400 0 --- 黑体"},
        {"31-byte face", FontMember::Face, PropertyValue::Text(face31), 96,
         "-16 400 0 --- " + face31},
        {"32-byte face", FontMember::Face, PropertyValue::Text(face31 + "F"), 96,
         "-16 400 0 --- 宋体"},
        {"empty face", FontMember::Face, PropertyValue::Text(""), 96, "-16 400 0 --- 宋体"},
        {"face up to its NUL", FontMember::Face, PropertyValue::Text(std::string("Arial\0x", 7)),
         96, "-16 400 0 --- Arial"},
        {"angle -1", FontMember::Angle, PropertyValue::Number(-1), 96, "-16 400 3599 --- 黑体"},
        {"angle 3600", FontMember::Angle, PropertyValue::Number(3600), 96, "-16 400 0 --- 黑体"},
        {"angle 7201", FontMember::Angle, PropertyValue::Number(7201), 96, "-16 400 1 --- 黑体"},
        {"angle -7201", FontMember::Angle, PropertyValue::Number(-7201), 96,
         "-16 400 3599 --- 黑体"},
        {"bold", FontMember::Bold, PropertyValue::Number(3), 96, "-16 700 0 --- 黑体"},
        {"not bold", FontMember::Bold, PropertyValue::Number(0), 96, "-16 0 0 --- 黑体"},
        {"italic", FontMember::Italic, PropertyValue::Number(2), 96, "-16 400 0 i-- 黑体"},
        {"underline", FontMember::Underline, PropertyValue::Number(-1), 96, "-16 400 0 -u- 黑体"},
        {"strike-out", FontMember::StrikeOut, PropertyValue::Number(1), 96, "-16 400 0 --s 黑体"},
        {"member -1", static_cast<FontMember>(-1), PropertyValue::Number(1), 96,
         "-16 400 0 --- 黑体"},
        {"member 7", static_cast<FontMember>(7), PropertyValue::Number(1), 96,
         "-16 400 0 --- 黑体"},
    };
    for (const Case& c : cases) {
        const FontSpec f = WriteMember(c.member, c.value, c.dpi);
        EXPECT_EQ(Describe(f), c.font) << c.what;
        EXPECT_TRUE(f.set) << c.what;
    }
}

TEST(FontMember, StartsFromTheDefaultGuiFontWhenNoneIsSet) {
    const FontSpec f =
        WriteFontMember(FontSpec{}, GuiFont(), static_cast<int32_t>(FontMember::Bold),
                        PropertyValue::Number(1), kScreenDpi);
    EXPECT_EQ(Describe(f), "-11 700 0 --- Tahoma");
    EXPECT_TRUE(f.set);
}

TEST(FontRecord, WholeRecordStartsFromZeroAndReadsBack) {
    FontRecord r{4000, false, false, false, false, 18, ""};
    EXPECT_EQ(Describe(WriteFontRecord(r, kScreenDpi)), "-24 0 4000 --- 宋体")
        << "the angle kept whole, an empty face";
    EXPECT_TRUE(WriteFontRecord(r, kScreenDpi).set);
    r = {0, false, false, false, false, -1, std::string(32, 'F')};
    EXPECT_EQ(Describe(WriteFontRecord(r, kScreenDpi)), "0 0 0 --- 宋体");

    r = {900, true, true, false, true, 0, "黑体"};
    for (int32_t size : {8, 9, 10, 12, 18, 29}) {
        r.size = size;
        EXPECT_EQ(ReadFontRecord(WriteFontRecord(r, kScreenDpi), kScreenDpi), r) << size;
    }
    EXPECT_FALSE(ReadFontRecord(SomeFont(), kScreenDpi).bold);
    EXPECT_EQ(ReadFontRecord(SomeFont(), kScreenDpi).size, 12);
}

}  // namespace
}  // namespace kelvra
