#pragma once
// Properties of the controls by number, as ReadProperty and WriteProperty address them, and the
// conversions of the values written and read. Platform-free.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/model/layout.h"
#include "wheel/font_spec.h"

namespace kelvra {

// Index 0..7 of every control type: left, top, width, height, tag, visible, disabled, cursor.
enum class PropertyIndex : int32_t {
    Left = 0,
    Top = 1,
    Width = 2,
    Height = 3,
    Tag = 4,
    Visible = 5,
    Disabled = 6,
    Cursor = 7
};

// Codes not listed here (1007, 1016, ...) are texts, as is Text itself.
enum class PropertyKind : int32_t {
    Integer = 1000,
    Int32 = 1001,
    Int64 = 1002,
    Bool = 1003,
    DateTime = 1004,
    Text = 1005,
    Choice = 1006,
    Picture = 1009,
    Sound = 1010,
    Cursor = 1011,
    Data = 1012,
    Font = 1013,
    Colour = 1014,
    Integer2 = 1015,
    Colour2 = 1017,
    Data2 = 1023,
    Data3 = 1024,
};

// What a kind's value is made of; the conversions depend only on this.
enum class ValueClass { Int32, Int64, Bool, Choice, Colour, Bytes, Cursor, Font, Text };
ValueClass ClassOf(PropertyKind kind);

struct FontRecord {
    int32_t angle = 0;  // tenths of a degree
    bool bold = false, italic = false, strikeOut = false, underline = false;
    int32_t size = 0;  // points
    std::string face;  // GBK

    bool operator==(const FontRecord&) const = default;
};

// What a write passes and a read returns.
struct PropertyValue {
    int64_t number = 0;  // int32, bool, choice, colour in the low 32 bits; 8-byte kinds whole
    std::string text;    // text kinds (GBK)
    std::vector<uint8_t> bytes;  // binary kinds and the cursor
    FontRecord font;             // a whole font (memberIndex -1)

    static PropertyValue Number(int64_t n);
    static PropertyValue Text(std::string_view t);
};

// Table sizes, common entries included: EditBox 29, Label 29, CartoonObject 32, TransLabel 15;
// Window 26, Tab 16, Button 16 and CartoonBox 20 are this program's choice.
int32_t PropertyTableSize(ControlType type);
// The kind of entry `index` of the type's table. An index outside the table (negative, or at
// or past the table size) gives Text: the caller decides whether that is an error.
PropertyKind PropertyKindOf(ControlType type, int32_t index);

constexpr int32_t kMaxPosition = 32627;
// left/top: above 32627 -> 32627, below -32627 -> -32627.
int32_t ClampPosition(int64_t v);
// width/height: above 32627 -> 32627, negative -> 0.
int32_t ClampSize(int64_t v);

// A written value as the control stores it: bool -> 0/1 by its low 32 bits, choice negative
// -> 0, integers -> low 32 bits sign-extended, colours -> low 32 bits unsigned, 8-byte kinds
// whole, text and bytes as they are. Fonts pass through: see WriteFontMember/WriteFontRecord.
PropertyValue ConvertForWrite(PropertyKind kind, const PropertyValue& v);

// The result of MulDiv: a * b / c in 64 bits, rounded half away from zero; -1 when c is 0 or the
// result does not fit in (-2^31, 2^31).
int32_t MulDivRounded(int32_t a, int32_t b, int32_t c);

// Members of a font property, for memberIndex 0..6.
enum class FontMember : int32_t {
    Angle = 0,
    Bold = 1,
    Italic = 2,
    StrikeOut = 3,
    Underline = 4,
    Size = 5,
    Face = 6
};

// Writes one member onto `current`, or onto `defaultGui` when `current` is not set; the result
// is always set. Angle: modulo 3600 into 0..3599; bold: weight 700 or 0; size in points: height
// -MulDiv(size, dpiY, 72), a negative size taken as 0; face: the text (up to its first NUL)
// when it has 1 to 31 bytes, else "宋体". A member outside 0..6 leaves the font as it was.
FontSpec WriteFontMember(const FontSpec& current, const FontSpec& defaultGui, int32_t member,
                         const PropertyValue& v, int32_t dpiY);
// A whole record starts from an all-zero font; the angle is taken as it is.
FontSpec WriteFontRecord(const FontRecord& r, int32_t dpiY);
// The record of a font (pass the default GUI font for a control that has none of its own).
// Bold is a weight of 700 or more; the size is MulDiv(|height|, 72, dpiY).
FontRecord ReadFontRecord(const FontSpec& f, int32_t dpiY);

}  // namespace kelvra
