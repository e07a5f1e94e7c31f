#pragma once
// The ten prizes as the wheel and the pick see them, built from peizhi.ini or, when the file is
// missing, from the built-in prizes.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kelvra {

struct PrizeEntry {
    std::string name;  // centred in 8 bytes, as drawn on the wheel
    int32_t rate = 0, low = 0, high = 0;
};
using PrizeTable = std::array<PrizeEntry, 10>;  // index 0 is prize 1

// Pads `text` with spaces on both sides to `width` bytes; the odd space goes after it. Texts of
// `width` bytes or more come back unchanged.
std::string CentreText(std::string_view text, int32_t width = 8);

// Rebuilds every entry of `table` from the configuration file, then shows each prize's name
// without its blanks through showName(i, name), i = 1..10 in order. Never writes the file.
void LoadPrizeTable(PrizeTable& table,
                    const std::function<void(int, const std::string&)>& showName);

// The current directory joined with "\peizhi.ini", as every read and write of the file uses it.
std::string ConfigPath();

}  // namespace kelvra
