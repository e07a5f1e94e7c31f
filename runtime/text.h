#pragma once
// Text and number operations of the program. Texts are GBK byte strings (code page 936): a byte
// of 0x81..0xFE followed by a trail byte is one double-byte character; 0x80 (the euro sign) and
// 0xFF stand alone. Every function treats its input as the bytes before the first NUL, so a text
// read from a C string and the same text in a std::string agree.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kelvra {

constexpr bool IsGbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
constexpr bool IsGbkTrail(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}
// The size of the character at text[i]: 2 for a lead byte followed by a trail byte, otherwise 1.
// Every walk over GBK text steps with this, so a broken lead byte never swallows the byte after it.
constexpr size_t GbkCharSize(std::string_view text, size_t i) {
    return IsGbkLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                   IsGbkTrail(static_cast<unsigned char>(text[i + 1]))
               ? 2
               : 1;
}
// Whether the character that starts at text[i] is a lead byte with nothing after it: incomplete.
constexpr bool IsIncompleteAt(std::string_view text, size_t i) {
    return i + 1 == text.size() && IsGbkLead(static_cast<unsigned char>(text[i]));
}

// The bytes of `text` before its first NUL.
std::string_view TextView(std::string_view text);

// Folds the full-width forms of the ASCII characters (and the ideographic space, "～", "☆",
// "★") to single bytes; an incomplete character at the end is dropped.
std::string FoldFullWidth(std::string_view text);

int32_t TextToInt(std::string_view text);
int64_t TextToInt64(std::string_view text);
std::string IntToText(int32_t n);

std::string ConcatText(std::initializer_list<std::string_view> parts);
int32_t CompareText(std::string_view a, std::string_view b);
int32_t TextLength(std::string_view text);

// Removes every ASCII space and every ideographic space, wherever it stands.
std::string RemoveAllBlanks(std::string_view text);

// x - trunc(x / y) * y, exact, with the sign of x. A zero divisor is a fatal runtime error.
double Remainder(double x, double y);
// Rounds toward zero. NaN gives 0; values outside the int64 range give INT64_MIN, as the
// processor's own conversion does.
int64_t TruncateToInt(double x);
inline int32_t TruncateToInt32(double x) {
    return static_cast<int32_t>(static_cast<uint32_t>(TruncateToInt(x)));
}

}  // namespace kelvra
