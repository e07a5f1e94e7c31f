#include "runtime/text.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/fatal.h"

namespace kelvra {

namespace {

bool IsWhite(unsigned char c) {
    return c == 0x20 || (c >= 0x09 && c <= 0x0D);
}

template <typename Int>
Int ParseInteger(std::string_view text) {
    using Unsigned = std::make_unsigned_t<Int>;
    const std::string folded = FoldFullWidth(text);
    size_t i = 0;
    while (i < folded.size() && IsWhite(static_cast<unsigned char>(folded[i]))) ++i;
    bool negative = false;
    if (i < folded.size() && (folded[i] == '-' || folded[i] == '+')) {
        negative = folded[i] == '-';
        ++i;
    }
    // Unsigned arithmetic: the value wraps on overflow like the accumulator it copies.
    Unsigned value = 0;
    for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
        value = static_cast<Unsigned>(value * 10u + static_cast<Unsigned>(folded[i] - '0'));
    }
    if (negative) value = static_cast<Unsigned>(Unsigned{0} - value);
    return static_cast<Int>(value);
}

}  // namespace

std::string_view TextView(std::string_view text) {
    if (text.empty()) return {};
    const void* nul = std::memchr(text.data(), 0, text.size());
    if (nul == nullptr) return text;
    return text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
}

std::string FoldFullWidth(std::string_view text) {
    text = TextView(text);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsIncompleteAt(text, i)) break;
        const auto lead = static_cast<unsigned char>(text[i]);
        if (GbkCharSize(text, i) == 1) {
            out.push_back(static_cast<char>(lead));
            continue;
        }
        const auto trail = static_cast<unsigned char>(text[++i]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out.push_back(static_cast<char>(trail - 0x80));
        } else if (lead == 0xA1 && trail == 0xA1) {
            out.push_back(' ');
        } else if (lead == 0xA1 && trail == 0xAB) {
            out.push_back('~');
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out.push_back('*');
        } else {
            out.push_back(static_cast<char>(lead));
            out.push_back(static_cast<char>(trail));
        }
    }
    return out;
}

int32_t TextToInt(std::string_view text) {
    return ParseInteger<int32_t>(text);
}
int64_t TextToInt64(std::string_view text) {
    return ParseInteger<int64_t>(text);
}

std::string IntToText(int32_t n) {
    return std::to_string(n);
}

std::string ConcatText(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view part : parts) out.append(TextView(part));
    return out;
}

int32_t CompareText(std::string_view a, std::string_view b) {
    a = TextView(a);
    b = TextView(b);
    const size_t n = std::min(a.size(), b.size());
    const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (c != 0) return c < 0 ? -1 : 1;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int32_t TextLength(std::string_view text) {
    return static_cast<int32_t>(TextView(text).size());
}

std::string RemoveAllBlanks(std::string_view text) {
    text = TextView(text);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsIncompleteAt(text, i)) break;
        if (GbkCharSize(text, i) == 1) {
            if (text[i] != ' ') out.push_back(text[i]);
            continue;
        }
        if (text.substr(i, 2) != "\xA1\xA1") out.append(text.substr(i, 2));
        ++i;
    }
    return out;
}

double Remainder(double x, double y) {
    if (y == 0.0) ReportRuntimeError("不能求余数于零");
    return std::fmod(x, y);
}

int64_t TruncateToInt(double x) {
    if (std::isnan(x)) return 0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (x >= kLimit || x < -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(x);
}

}  // namespace kelvra
