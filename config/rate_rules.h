#pragma once
// What the rate window computes from its ten boxes, and the save of ten box texts, apart from
// any window.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/file_io.h"

namespace kelvra {

// TextToInt of each box text, added in double from box 1 to box 10, truncated.
int32_t ComputeRateTotal(const std::array<std::string, 10>& boxTexts);
// "当前中奖率：" + the total in decimal + "%".
std::string TotalCaption(int32_t total);
// Text colour of the total label (COLORREF): red above 100, black otherwise.
uint32_t TotalColour(int32_t total);

struct SaveResult {
    WriteOutcome outcome = WriteOutcome::Written;
    std::string file;  // the full path of the configuration file, GBK
    bool saved() const { return outcome == WriteOutcome::Written; }
};

// Writes keyWord1..keyWord10 of [section] with the box texts, blanks removed, in one write of
// the configuration file (the same bytes as ten single writes in order would give).
SaveResult SaveSection(std::string_view section, std::string_view keyWord,
                       const std::array<std::string, 10>& boxTexts);

// The text of the one message box that tells the operator a save was not written: which file,
// why in plain words, and what to do.
std::string SaveFailureText(const SaveResult& result);

}  // namespace kelvra
