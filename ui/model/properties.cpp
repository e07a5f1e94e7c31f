#include "ui/model/properties.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <span>

namespace kelvra {
namespace {

using K = PropertyKind;

// Every table starts with left, top, width, height, tag, visible, disabled, cursor.
template <size_t N>
constexpr std::array<PropertyKind, 8 + N> WithCommon(const PropertyKind (&own)[N]) {
    std::array<PropertyKind, 8 + N> kinds{K::Int32, K::Int32, K::Int32, K::Int32,
                                          K::Text,  K::Bool,  K::Bool,  K::Cursor};
    for (size_t i = 0; i < N; ++i) kinds[8 + i] = own[i];
    return kinds;
}

// 8 caption, border, back colour, back picture, picture mode, icon, close box, maximize box,
// 16 minimize box, position, movable, in taskbar, topmost, Esc closes, Enter moves focus,
// 23 help file, help id, background sound.
constexpr auto kWindowKinds = WithCommon(
    {K::Text, K::Choice, K::Colour, K::Picture, K::Choice, K::Data, K::Bool, K::Bool, K::Bool,
     K::Choice, K::Bool, K::Bool, K::Bool, K::Bool, K::Bool, K::Text, K::Integer, K::Sound});

// 8 tab titles, current page, font, multi-line, tab position, tab width, tab height, icons.
constexpr auto kTabKinds =
    WithCommon({K::Text, K::Int32, K::Font, K::Bool, K::Choice, K::Int32, K::Int32, K::Picture});

// 8 content, border, text colour, back colour, font, hide selection, max length, multi-line,
// 16 scroll bars, alignment, input mode, password character, case, caret position,
// 22 selection start, selection length, selected text, spin minimum, spin maximum,
// 27 data source, data column.
constexpr auto kEditBoxKinds =
    WithCommon({K::Text,  K::Choice, K::Colour, K::Colour, K::Font,  K::Bool,   K::Int32,
                K::Bool,  K::Choice, K::Choice, K::Choice, K::Text,  K::Choice, K::Int32,
                K::Int32, K::Int32,  K::Text,   K::Int32,  K::Int32, K::Text,   K::Text});

// 8 caption, effect, border, gradient, gradient colours 1 and 2, back picture, picture mode,
// 16 text colour, back colour, font, horizontal alignment, wrap, vertical alignment,
// 22 line spacing, data source, data column, tooltip, shadow colour, border width,
// 28 notifications.
constexpr auto kLabelKinds =
    WithCommon({K::Text,   K::Choice, K::Choice, K::Choice, K::Colour,  K::Colour, K::Picture,
                K::Choice, K::Colour, K::Colour, K::Font,   K::Choice,  K::Bool,   K::Choice,
                K::Int32,  K::Text,   K::Text,   K::Text,   K::Colour2, K::Int32,  K::Bool});

// 8 caption, style, font, horizontal alignment, vertical alignment, picture, default, text colour.
constexpr auto kButtonKinds =
    WithCommon({K::Text, K::Choice, K::Font, K::Choice, K::Choice, K::Picture, K::Bool, K::Colour});

// 8 caption, font, text colour, horizontal alignment, vertical alignment, wrap, shadow effect.
constexpr auto kTransLabelKinds =
    WithCommon({K::Text, K::Font, K::Colour, K::Choice, K::Choice, K::Bool, K::Choice});

// 8 back colour, back picture, picture mode, border, frame interval, auto redraw, mouse
// capture, sounds on, 16 background sound, clip, scroll x, scroll y.
constexpr auto kCartoonBoxKinds =
    WithCommon({K::Colour, K::Picture, K::Choice, K::Choice, K::Integer2, K::Bool, K::Bool, K::Bool,
                K::Sound, K::Bool, K::Int32, K::Int32});

// 8 text, font, text colour, picture, layer, angle, zoom, opacity, 16 transparent colour,
// rotate follows, appear sound, hit sound, lifetime, x speed, y speed, turn speed,
// 24 bounce, mirrored, flipped, frame count, frame interval, frames, user data, created.
constexpr auto kCartoonObjectKinds = WithCommon(
    {K::Text,   K::Font, K::Colour, K::Picture, K::Int32, K::Int32, K::Int32, K::Int32,
     K::Colour, K::Bool, K::Sound,  K::Sound,   K::Int32, K::Int32, K::Int32, K::Int32,
     K::Bool,   K::Bool, K::Bool,   K::Int32,   K::Int32, K::Data,  K::Int64, K::DateTime});

static_assert(std::size(kWindowKinds) == 26);
static_assert(std::size(kTabKinds) == 16);
static_assert(std::size(kEditBoxKinds) == 29);
static_assert(std::size(kLabelKinds) == 29);
static_assert(std::size(kButtonKinds) == 16);
static_assert(std::size(kTransLabelKinds) == 15);
static_assert(std::size(kCartoonBoxKinds) == 20);
static_assert(std::size(kCartoonObjectKinds) == 32);

std::span<const PropertyKind> KindsOf(ControlType type) {
    switch (type) {
        case ControlType::Window:
            return kWindowKinds;
        case ControlType::Tab:
            return kTabKinds;
        case ControlType::EditBox:
            return kEditBoxKinds;
        case ControlType::Label:
            return kLabelKinds;
        case ControlType::Button:
            return kButtonKinds;
        case ControlType::TransLabel:
            return kTransLabelKinds;
        case ControlType::CartoonBox:
            return kCartoonBoxKinds;
        case ControlType::CartoonObject:
            return kCartoonObjectKinds;
    }
    return {};
}

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

int32_t PropertyTableSize(ControlType type) {
    return static_cast<int32_t>(KindsOf(type).size());
}

PropertyKind PropertyKindOf(ControlType type, int32_t index) {
    const std::span<const PropertyKind> kinds = KindsOf(type);
    if (index < 0 || static_cast<size_t>(index) >= kinds.size()) return K::Text;
    return kinds[index];
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
