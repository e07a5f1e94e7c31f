#pragma once
// The prize names: loaded into the settings page's boxes, and saved from them.

namespace kelvra {

// Rebuilds the prize table from the file and shows the names in the settings page's boxes
// (when the main window is there).
void LoadPrizeTableIntoBoxes();
// The settings page's 保存: the ten names into the file, then the table and the wheel anew.
void SaveNames();

}  // namespace kelvra
