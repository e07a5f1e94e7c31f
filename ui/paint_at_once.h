#pragma once
// A window painted whole in one picture, which the screen takes in one piece.

#include <windows.h>

namespace kelvra {

// Paints the client area of `window` and of each of its shown children, as each paints itself
// (erased, then asked to print its client area, the lowest first), into one picture, and puts
// that on the window in one copy; the children then paint their frames, and nothing is left to
// paint. However long the painting takes, the screen goes from the old picture to the whole new
// one: the window's own painting reaches it control by control, and Wine shows what was painted
// when a paint ends 50 ms after the thread last waited. Every control must answer WM_PRINTCLIENT
// as it answers WM_PAINT. False, with nothing done, when the picture cannot be made.
bool PaintAtOnce(HWND window);

}  // namespace kelvra
