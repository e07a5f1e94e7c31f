#pragma once
// What the rate window computes from its ten boxes, and the save of ten box texts, apart from
// any window.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvra {

// TextToInt of each box text, added in double from box 1 to box 10, truncated.
int32_t ComputeRateTotal(const std::array<std::string, 10>& boxTexts);
// "当前中奖率：" + the total in decimal + "%".
std::string TotalCaption(int32_t total);
// Text colour of the total label: red (0xFF) above 100, black otherwise.
uint32_t TotalColour(int32_t total);

// Writes keyWord1..keyWord10 of [section] with the box texts, blanks removed, in order. Write
// failures are not reported.
void SaveSection(std::string_view section, std::string_view keyWord,
                 const std::array<std::string, 10>& boxTexts);

}  // namespace kelvra
