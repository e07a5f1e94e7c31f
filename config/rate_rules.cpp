#include "config/rate_rules.h"

#include <algorithm>
#include <limits>

#include "config/prize_table.h"
#include "runtime/ini.h"
#include "runtime/text.h"

namespace kelvra {

int32_t ComputeRateTotal(const std::array<std::string, 10>& boxTexts) {
    double total = 0.0;
    for (const std::string& text : boxTexts) total += TextToInt(text);
    return TruncateToInt32(total);
}

std::string TotalCaption(int32_t total) {
    return ConcatText({"当前中奖率：", IntToText(total), "%"});
}

uint32_t TotalColour(int32_t total) {
    return total > 100 ? 0xFFu : 0u;
}

std::string NormaliseRateText(std::string_view text) {
    text = TextView(text);
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

bool RateBoxAcceptsChar(char32_t c) {
    return (c >= U'0' && c <= U'9') || c == U'-' || c < 32;
}

bool FitsByteLimit(std::string_view gbk, int32_t limit) {
    return static_cast<int64_t>(gbk.size()) <= limit;
}

void SaveSection(std::string_view section, std::string_view keyWord,
                 const std::array<std::string, 10>& boxTexts) {
    for (int i = 1; i <= 10; ++i) {
        IniWriteText(ConfigPath(), section, ConcatText({keyWord, IntToText(i)}),
                     RemoveAllBlanks(boxTexts[i - 1]));
    }
}

}  // namespace kelvra
