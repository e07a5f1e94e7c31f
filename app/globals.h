#pragma once
// The program's global data: created at process start, released at exit.

#include <array>
#include <cstdint>

#include "config/prize_table.h"

namespace kelvra {

struct Globals {
    PrizeTable prizeTable{};
    std::array<int32_t, 10> labelSpriteIds{};
    int32_t plateSpriteId = 0;
    int32_t pointerSpriteId = 0;
    int64_t startTimeMs = 0;
    int32_t hotKeyId = 0;
    int32_t currentRateTotal = 0;
};

Globals& G();

}  // namespace kelvra
