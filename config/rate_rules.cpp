#include "config/rate_rules.h"

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

void SaveSection(std::string_view section, std::string_view keyWord,
                 const std::array<std::string, 10>& boxTexts) {
    for (int i = 1; i <= 10; ++i) {
        IniWriteText(ConfigPath(), section, ConcatText({keyWord, IntToText(i)}),
                     RemoveAllBlanks(boxTexts[i - 1]));
    }
}

}  // namespace kelvra
