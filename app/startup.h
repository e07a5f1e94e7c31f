#pragma once
// The start-up sequence and the opening of the rate and instructions windows.

#include <cstdint>

namespace kelvra {

// Start-up, once the main window and all its controls exist: skin, start time, hot key,
// configuration, wheel.
void OnMainWindowCreated();
// Ctrl+F12 arrives here, pressed in this copy or passed on by another one that holds the hot
// key: the rate window opens (or comes forward).
void OnHotKeyNotify(int32_t param1, int32_t param2);
// The "说明" button: the instructions window opens (or comes forward).
void OnHelpClicked();

}  // namespace kelvra
