#include "ui/model/edit_rules.h"

#include <algorithm>
#include <limits>

#include "runtime/text.h"

namespace kelvra {

namespace {

bool RateChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u'-';
}

bool NameBox(const BoxRules& rules) {
    return !rules.integerInput && rules.maxLength > 0;
}

// The box's measure of a text: characters for a rate box, GBK bytes for a name box.
size_t Length(const BoxRules& rules, std::u16string_view text) {
    if (rules.integerInput) return text.size();
    size_t bytes = 0;
    for (char16_t c : text) bytes += static_cast<size_t>(std::max(rules.gbkWidth(c), 1));
    return bytes;
}

}  // namespace

bool AcceptsChar(const BoxRules& rules, char16_t c) {
    if (c < 32) return false;
    if (rules.integerInput) return RateChar(c);
    if (!NameBox(rules)) return true;
    return rules.gbkWidth(c) > 0;  // surrogates included: GBK has nothing outside the BMP
}

bool AcceptsText(const BoxRules& rules, std::u16string_view text) {
    if (!rules.integerInput && !NameBox(rules)) return true;
    if (!std::all_of(text.begin(), text.end(), [&](char16_t c) { return AcceptsChar(rules, c); }))
        return false;
    return rules.maxLength <= 0 || Length(rules, text) <= static_cast<size_t>(rules.maxLength);
}

bool AcceptsChange(const BoxRules& rules, std::u16string_view from, std::u16string_view to) {
    if (AcceptsText(rules, to)) return true;
    size_t prefix = 0;
    while (prefix < from.size() && prefix < to.size() && from[prefix] == to[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < from.size() - prefix && suffix < to.size() - prefix &&
           from[from.size() - 1 - suffix] == to[to.size() - 1 - suffix])
        ++suffix;
    const std::u16string_view inserted = to.substr(prefix, to.size() - prefix - suffix);
    return std::all_of(inserted.begin(), inserted.end(),
                       [&](char16_t c) { return AcceptsChar(rules, c); }) &&
           Length(rules, to) < Length(rules, from);
}

std::u16string PastedPiece(const BoxRules& rules, std::u16string_view text, size_t start,
                           size_t end, std::u16string_view clip) {
    start = std::min(start, text.size());
    end = std::clamp(end, start, text.size());
    clip = clip.substr(0, clip.find_first_of(u"\r\n"));
    std::u16string piece;
    for (char16_t c : clip) {
        if (!AcceptsChar(rules, c)) break;
        std::u16string result(text.substr(0, start));
        result += piece;
        result += c;
        result += text.substr(end);
        if (!AcceptsText(rules, result)) break;
        piece += c;
    }
    return piece;
}

std::string NormaliseRateText(std::string_view gbk) {
    // A rate written in full-width digits by hand counts in the total, so it must not vanish here.
    const std::string text = FoldFullWidth(gbk);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    constexpr uint64_t kCap = std::numeric_limits<int64_t>::max();
    uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<uint64_t>(text[i] - '0');
        magnitude = magnitude > (kCap - digit) / 10 ? kCap : magnitude * 10 + digit;
    }
    const int64_t value =
        negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    const int64_t clamped = std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max());
    if (clamped == 0) return {};
    return IntToText(static_cast<int32_t>(clamped));
}

}  // namespace kelvra
