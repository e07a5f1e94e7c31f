// Property numbering and the conversions of written values, fonts included.
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
const std::string kSongTi = "宋体";

TEST(PropertyTable, SizesTheLogicCountsOn) {
    EXPECT_EQ(PropertyTableSize(ControlType::EditBox), 29);
    EXPECT_EQ(PropertyTableSize(ControlType::Label), 29);
    EXPECT_EQ(PropertyTableSize(ControlType::CartoonObject), 32);
    EXPECT_EQ(PropertyTableSize(ControlType::TransLabel), 15);
    for (ControlType t : kAllTypes) EXPECT_GE(PropertyTableSize(t), 8) << static_cast<int>(t);
}

TEST(PropertyTable, EveryTypeStartsWithTheCommonKinds) {
    const PropertyKind common[] = {PropertyKind::Int32, PropertyKind::Int32, PropertyKind::Int32,
                                   PropertyKind::Int32, PropertyKind::Text,  PropertyKind::Bool,
                                   PropertyKind::Bool,  PropertyKind::Cursor};
    for (ControlType t : kAllTypes) {
        for (int32_t i = 0; i < 8; ++i) {
            EXPECT_EQ(PropertyKindOf(t, i), common[i])
                << "type " << static_cast<int>(t) << " #" << i;
        }
    }
}

TEST(PropertyTable, EntriesTheLogicWritesAndReads) {
    struct Case {
        const char* name;
        ControlType type;
        int32_t index;
        PropertyKind kind;
    } cases[] = {
        {"edit box content", ControlType::EditBox, 8, PropertyKind::Text},
        {"label caption", ControlType::Label, 8, PropertyKind::Text},
        {"label text colour", ControlType::Label, 16, PropertyKind::Colour},
        {"template text", ControlType::CartoonObject, 8, PropertyKind::Text},
        {"template font", ControlType::CartoonObject, 9, PropertyKind::Font},
        {"template text colour", ControlType::CartoonObject, 10, PropertyKind::Colour},
        {"start control disabled", ControlType::TransLabel, 6, PropertyKind::Bool},
    };
    for (const Case& c : cases) EXPECT_EQ(PropertyKindOf(c.type, c.index), c.kind) << c.name;
}

TEST(PropertyTable, IndexOutsideTheTableReadsAsText) {
    for (ControlType t : kAllTypes) {
        EXPECT_EQ(PropertyKindOf(t, -1), PropertyKind::Text);
        EXPECT_EQ(PropertyKindOf(t, PropertyTableSize(t)), PropertyKind::Text);
        EXPECT_EQ(PropertyKindOf(t, INT32_MAX), PropertyKind::Text);
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

TEST(ConvertForWrite, NumbersByKind) {
    struct Case {
        const char* name;
        PropertyKind kind;
        int64_t in, stored;
    } cases[] = {
        {"bool 5 is stored as 1", PropertyKind::Bool, 5, 1},
        {"bool -1 is stored as 1", PropertyKind::Bool, -1, 1},
        {"bool 0 stays 0", PropertyKind::Bool, 0, 0},
        {"bool looks at the low word only", PropertyKind::Bool, INT64_C(0x100000000), 0},
        {"choice -3 is stored as 0", PropertyKind::Choice, -3, 0},
        {"choice 7 stays", PropertyKind::Choice, 7, 7},
        {"choice low word negative", PropertyKind::Choice, INT64_C(0x1FFFFFFFF), 0},
        {"integer keeps the low word, signed", PropertyKind::Int32, INT64_C(0x1FFFFFFFF), -1},
        {"integer 1000 as well", PropertyKind::Integer, INT64_C(0x200000005), 5},
        {"integer 1015 as well", PropertyKind::Integer2, -7, -7},
        {"colour keeps the low word, unsigned", PropertyKind::Colour, INT64_C(0x7000000FF), 0xFF},
        {"colour 1017 as well", PropertyKind::Colour2, -1, INT64_C(0xFFFFFFFF)},
        {"8-byte number whole", PropertyKind::Int64, INT64_C(0x123456789A), INT64_C(0x123456789A)},
        {"date-time whole", PropertyKind::DateTime, -2, -2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConvertForWrite(c.kind, PropertyValue::Number(c.in)).number, c.stored) << c.name;
    }
}

TEST(ConvertForWrite, TextsAndBytesPassUnchanged) {
    EXPECT_EQ(ConvertForWrite(PropertyKind::Text, PropertyValue::Text("谢谢参与")).text,
              "谢谢参与");
    EXPECT_EQ(ConvertForWrite(static_cast<PropertyKind>(1007), PropertyValue::Text(" a ")).text,
              " a ")
        << "unlisted codes are texts";
    PropertyValue picture;
    picture.bytes = {0x89, 'P', 'N', 'G'};
    EXPECT_EQ(ConvertForWrite(PropertyKind::Picture, picture).bytes, picture.bytes);
    EXPECT_EQ(ConvertForWrite(PropertyKind::Cursor, picture).bytes, picture.bytes);
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

TEST(FontMember, SizeInPointsBecomesCharacterHeight) {
    EXPECT_EQ(WriteMember(FontMember::Size, PropertyValue::Number(18)).height, -24);
    EXPECT_EQ(WriteMember(FontMember::Size, PropertyValue::Number(18), 120).height, -30);
    EXPECT_EQ(WriteMember(FontMember::Size, PropertyValue::Number(9)).height, -12);
    EXPECT_EQ(WriteMember(FontMember::Size, PropertyValue::Number(0)).height, 0);
    EXPECT_EQ(WriteMember(FontMember::Size, PropertyValue::Number(-4)).height, 0);
}

TEST(FontMember, FaceNeedsOneToThirtyOneBytes) {
    const std::string face31(31, 'F');
    EXPECT_EQ(WriteMember(FontMember::Face, PropertyValue::Text(face31)).face, face31);
    EXPECT_EQ(WriteMember(FontMember::Face, PropertyValue::Text(face31 + "F")).face, kSongTi);
    EXPECT_EQ(WriteMember(FontMember::Face, PropertyValue::Text("")).face, kSongTi);
    EXPECT_EQ(WriteMember(FontMember::Face, PropertyValue::Text("宋体")).face, kSongTi);
    EXPECT_EQ(WriteMember(FontMember::Face, PropertyValue::Text(std::string("Arial\0x", 7))).face,
              "Arial");
}

TEST(FontMember, AngleIsReducedToOneTurn) {
    struct Case {
        int64_t in;
        int32_t escapement;
    } cases[] = {{-1, 3599}, {0, 0}, {3599, 3599}, {3600, 0}, {7201, 1}, {-3600, 0}, {-7201, 3599}};
    for (const Case& c : cases) {
        EXPECT_EQ(WriteMember(FontMember::Angle, PropertyValue::Number(c.in)).escapement,
                  c.escapement)
            << c.in;
    }
}

TEST(FontMember, FlagsAndWeight) {
    EXPECT_EQ(WriteMember(FontMember::Bold, PropertyValue::Number(3)).weight, 700);
    EXPECT_EQ(WriteMember(FontMember::Bold, PropertyValue::Number(0)).weight, 0);
    EXPECT_TRUE(WriteMember(FontMember::Italic, PropertyValue::Number(2)).italic);
    EXPECT_TRUE(WriteMember(FontMember::StrikeOut, PropertyValue::Number(1)).strikeOut);
    EXPECT_TRUE(WriteMember(FontMember::Underline, PropertyValue::Number(-1)).underline);
}

TEST(FontMember, ChangesOnlyTheSelectedMember) {
    FontSpec expected = SomeFont();
    expected.height = -24;
    EXPECT_EQ(WriteMember(FontMember::Size, PropertyValue::Number(18)), expected);
}

TEST(FontMember, StartsFromTheDefaultGuiFontWhenNoneIsSet) {
    const FontSpec written =
        WriteFontMember(FontSpec{}, GuiFont(), static_cast<int32_t>(FontMember::Face),
                        PropertyValue::Text("宋体"), kScreenDpi);
    FontSpec expected = GuiFont();
    expected.face = kSongTi;
    EXPECT_EQ(written, expected);
    EXPECT_TRUE(written.set);
}

TEST(FontMember, UnknownMemberLeavesTheFont) {
    for (int32_t member : {-1, 7}) {
        EXPECT_EQ(WriteFontMember(SomeFont(), GuiFont(), member, PropertyValue::Number(1), 96),
                  SomeFont());
    }
}

TEST(FontRecord, WholeRecordStartsFromZero) {
    FontRecord r;
    r.angle = 4000;
    r.size = 18;
    const FontSpec f = WriteFontRecord(r, kScreenDpi);
    EXPECT_TRUE(f.set);
    EXPECT_EQ(f.escapement, 4000) << "a whole record keeps its angle";
    EXPECT_EQ(f.weight, 0);
    EXPECT_FALSE(f.italic || f.underline || f.strikeOut);
    EXPECT_EQ(f.height, -24);
    EXPECT_EQ(f.face, kSongTi) << "an empty face";

    r.face = std::string(32, 'F');
    EXPECT_EQ(WriteFontRecord(r, kScreenDpi).face, kSongTi);
    r.size = -1;
    EXPECT_EQ(WriteFontRecord(r, kScreenDpi).height, 0);
}

TEST(FontRecord, ReadsBackWhatWasWritten) {
    FontRecord r;
    r.angle = 900;
    r.bold = true;
    r.italic = true;
    r.underline = true;
    r.face = "黑体";
    for (int32_t size : {8, 9, 10, 12, 18, 29}) {
        r.size = size;
        EXPECT_EQ(ReadFontRecord(WriteFontRecord(r, kScreenDpi), kScreenDpi), r) << size;
    }
    FontSpec normal = SomeFont();
    EXPECT_FALSE(ReadFontRecord(normal, kScreenDpi).bold);
    EXPECT_EQ(ReadFontRecord(normal, kScreenDpi).size, 12);
}

}  // namespace
}  // namespace kelvra
