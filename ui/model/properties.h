#pragma once
// The values of the controls' properties, as ReadProperty and WriteProperty pass them, and their
// conversions. Platform-free.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/model/property_tables.h"
#include "wheel/font_spec.h"

namespace kelvra {

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
