#include "ui/model/properties.h"

#include <algorithm>
#include <cstdlib>

namespace kelvra {
namespace {

using K = PropertyKind;

constexpr const char* kFallbackFace = "宋体";
constexpr size_t kMaxFaceBytes = 31;
constexpr int32_t kBoldWeight = 700;

int32_t Low32(int64_t n) {
    return static_cast<int32_t>(static_cast<uint32_t>(n));
}

std::string FaceOrFallback(const std::string& text) {
    const std::string_view face(text.c_str());  // a face name ends at its first NUL
    if (face.empty() || face.size() > kMaxFaceBytes) return kFallbackFace;
    return std::string(face);
}

int32_t HeightFromPoints(int32_t size, int32_t dpiY) {
    if (size < 0) size = 0;
    return -MulDivRounded(size, dpiY, 72);
}

}  // namespace

ValueClass ClassOf(PropertyKind kind) {
    switch (kind) {
        case K::Integer:
        case K::Int32:
        case K::Integer2:
            return ValueClass::Int32;
        case K::Int64:
        case K::DateTime:
            return ValueClass::Int64;
        case K::Bool:
            return ValueClass::Bool;
        case K::Choice:
            return ValueClass::Choice;
        case K::Colour:
        case K::Colour2:
            return ValueClass::Colour;
        case K::Picture:
        case K::Sound:
        case K::Data:
        case K::Data2:
        case K::Data3:
            return ValueClass::Bytes;
        case K::Cursor:
            return ValueClass::Cursor;
        case K::Font:
            return ValueClass::Font;
        case K::Text:
            return ValueClass::Text;
    }
    return ValueClass::Text;
}

PropertyValue PropertyValue::Number(int64_t n) {
    PropertyValue v;
    v.number = n;
    return v;
}

PropertyValue PropertyValue::Text(std::string_view t) {
    PropertyValue v;
    v.text = std::string(t);
    return v;
}

int32_t ClampPosition(int64_t v) {
    if (v > kMaxPosition) return kMaxPosition;
    if (v < -kMaxPosition) return -kMaxPosition;
    return static_cast<int32_t>(v);
}

int32_t ClampSize(int64_t v) {
    if (v > kMaxPosition) return kMaxPosition;
    if (v < 0) return 0;
    return static_cast<int32_t>(v);
}

PropertyValue ConvertForWrite(PropertyKind kind, const PropertyValue& v) {
    switch (ClassOf(kind)) {
        case ValueClass::Int32:
            return PropertyValue::Number(Low32(v.number));
        case ValueClass::Int64:
            return PropertyValue::Number(v.number);
        case ValueClass::Bool:
            return PropertyValue::Number(Low32(v.number) != 0 ? 1 : 0);
        case ValueClass::Choice: {
            const int32_t n = Low32(v.number);
            return PropertyValue::Number(n < 0 ? 0 : n);
        }
        case ValueClass::Colour:
            return PropertyValue::Number(static_cast<uint32_t>(v.number));
        case ValueClass::Bytes:
        case ValueClass::Cursor: {
            PropertyValue out;
            out.bytes = v.bytes;
            return out;
        }
        case ValueClass::Font:
            return v;
        case ValueClass::Text:
            return PropertyValue::Text(v.text);
    }
    return v;
}

int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    int64_t product = static_cast<int64_t>(a) * b;
    int64_t divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const int64_t half = divisor / 2;
    const int64_t result = (product >= 0 ? product + half : product - half) / divisor;
    if (result > INT32_MAX || result < -INT32_MAX) return -1;
    return static_cast<int32_t>(result);
}

FontSpec WriteFontMember(const FontSpec& current, const FontSpec& defaultGui, int32_t member,
                         const PropertyValue& v, int32_t dpiY) {
    FontSpec f = current.set ? current : defaultGui;
    f.set = true;
    const int32_t n = Low32(v.number);
    switch (static_cast<FontMember>(member)) {
        case FontMember::Angle: {
            int32_t angle = n % 3600;
            if (angle < 0) angle += 3600;
            f.escapement = angle;
            break;
        }
        case FontMember::Bold:
            f.weight = n != 0 ? kBoldWeight : 0;
            break;
        case FontMember::Italic:
            f.italic = n != 0;
            break;
        case FontMember::StrikeOut:
            f.strikeOut = n != 0;
            break;
        case FontMember::Underline:
            f.underline = n != 0;
            break;
        case FontMember::Size:
            f.height = HeightFromPoints(n, dpiY);
            break;
        case FontMember::Face:
            f.face = FaceOrFallback(v.text);
            break;
        default:
            return current;
    }
    return f;
}

FontSpec WriteFontRecord(const FontRecord& r, int32_t dpiY) {
    FontSpec f;
    f.set = true;
    f.escapement = r.angle;
    f.weight = r.bold ? kBoldWeight : 0;
    f.italic = r.italic;
    f.strikeOut = r.strikeOut;
    f.underline = r.underline;
    f.height = HeightFromPoints(r.size, dpiY);
    f.face = FaceOrFallback(r.face);
    return f;
}

FontRecord ReadFontRecord(const FontSpec& f, int32_t dpiY) {
    FontRecord r;
    r.angle = f.escapement;
    r.bold = f.weight >= kBoldWeight;
    r.italic = f.italic;
    r.strikeOut = f.strikeOut;
    r.underline = f.underline;
    const int64_t height = std::abs(static_cast<int64_t>(f.height));
    r.size = MulDivRounded(static_cast<int32_t>(std::min<int64_t>(height, INT32_MAX)), 72, dpiY);
    r.face = f.face;
    return r;
}

}  // namespace kelvra
