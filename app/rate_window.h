#pragma once
// The rate window's handlers: its boxes, the running total and the save of the rates.

#include <cstdint>

namespace kelvra {

// The rate window: its boxes filled from the file when it opens, the running total under them,
// and its 保存, which stores the rates only when they add up to 100.
void LoadRateBoxes();
// The total of the ten boxes, kept for the save.
int32_t ComputeTotal();
// The total under the boxes: its caption, in red above 100.
void ShowTotal();
void SaveRates();

}  // namespace kelvra
