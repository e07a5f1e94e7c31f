#pragma once
#include <cstdint>

namespace kelvra {

// Rebuilds the prize table from the file and shows the names in the settings page's boxes
// (when the main window is there).
void LoadPrizeTableIntoBoxes();

int32_t ComputeTotal();
void ShowTotal();
void LoadRateBoxes();
void SaveRates();
void SaveNames();

}  // namespace kelvra
