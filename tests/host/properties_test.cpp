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
        {32627, 32627, 32627}, {32628, 32627, 32627},  {-5, -5, 0},
        {-32628, -32627, 0},   {INT64_MIN, -32627, 0},
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

const FontSpec kSomeFont{true, -16, 400, false, false, false, 0, "黑体"};
const FontSpec kGuiFont{true, -11, 400, false, false, false, 0, "Tahoma"};

FontSpec WriteMember(FontMember m, const PropertyValue& v, int32_t dpi = kScreenDpi) {
    return WriteFontMember(kSomeFont, kGuiFont, static_cast<int32_t>(m), v, dpi);
}

// A font in one line: height, weight, angle, italic/underline/strike-out, face.
std::string Describe(const FontSpec& f) {
    return std::to_string(f.height) + " " + std::to_string(f.weight) + " " +
           std::to_string(f.escapement) + " " + (f.italic ? "i" : "-") + (f.underline ? "u" : "-") +
           (f.strikeOut ? "s" : "-") + " " + f.face;
}

// Each case writes one member onto kSomeFont (-16 400 0 --- 黑体): only that member changes.
TEST(FontMember, EachMemberConvertsItsValue) {
    const std::string face31(31, 'F');
    using M = FontMember;
    using V = PropertyValue;
    struct Case {
        const char* what;
        FontMember member;
        PropertyValue value;
        std::string font;
    } cases[] = {
        {"18 points", M::Size, V::Number(18), "-24 400 0 --- 黑体"},
        {"a negative size is 0", M::Size, V::Number(-4), "0 400 0 --- 黑体"},
        {"31-byte face", M::Face, V::Text(face31), "-16 400 0 --- " + face31},
        {"32-byte face", M::Face, V::Text(face31 + "F"), "-16 400 0 --- 宋体"},
        {"empty face", M::Face, V::Text(""), "-16 400 0 --- 宋体"},
        {"face up to its NUL", M::Face, V::Text(std::string("Arial\0x", 7)), "-16 400 0 --- Arial"},
        {"angle -1", M::Angle, V::Number(-1), "-16 400 3599 --- 黑体"},
        {"angle 7201", M::Angle, V::Number(7201), "-16 400 1 --- 黑体"},
        {"angle -7201", M::Angle, V::Number(-7201), "-16 400 3599 --- 黑体"},
        {"bold", M::Bold, V::Number(3), "-16 700 0 --- 黑体"},
        {"not bold", M::Bold, V::Number(0), "-16 0 0 --- 黑体"},
        {"italic", M::Italic, V::Number(2), "-16 400 0 i-- 黑体"},
        {"underline", M::Underline, V::Number(-1), "-16 400 0 -u- 黑体"},
        {"strike-out", M::StrikeOut, V::Number(1), "-16 400 0 --s 黑体"},
        {"member -1", static_cast<M>(-1), V::Number(1), "-16 400 0 --- 黑体"},
        {"member 7", static_cast<M>(7), V::Number(1), "-16 400 0 --- 黑体"},
    };
    for (const Case& c : cases) {
        const FontSpec f = WriteMember(c.member, c.value);
        EXPECT_EQ(Describe(f), c.font) << c.what;
        EXPECT_TRUE(f.set) << c.what;
    }
    EXPECT_EQ(Describe(WriteMember(M::Size, V::Number(18), 120)), "-30 400 0 --- 黑体");
    // A control without a font of its own starts from the GUI font.
    EXPECT_EQ(Describe(WriteFontMember(FontSpec{}, kGuiFont, static_cast<int32_t>(M::Bold),
                                       V::Number(1), kScreenDpi)),
              "-11 700 0 --- Tahoma");
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
    EXPECT_FALSE(ReadFontRecord(kSomeFont, kScreenDpi).bold);
    EXPECT_EQ(ReadFontRecord(kSomeFont, kScreenDpi).size, 12);
}

}  // namespace
}  // namespace kelvra
