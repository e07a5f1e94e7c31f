#pragma once
#include <cstdint>

namespace kelvra {

// The rate window: its boxes filled from the file when it opens, the running total under them,
// and its 保存, which stores the rates only when they add up to 100.
void LoadRateBoxes();
int32_t ComputeTotal();
void ShowTotal();
void SaveRates();

}  // namespace kelvra
