#pragma once
// A window painted whole in one picture, which the screen takes in one piece.

#include <windows.h>

namespace kelvra {

// Paints the client area of `window` and each of its shown children, framed, as each paints
// itself (erased, then asked to print its client area, the lowest first; an edit box's frame as
// the platform's edit box paints it) into one picture, and puts that on the window in one copy;
// nothing is left to paint. However long the painting takes, the screen goes from the old picture
// to the whole new one, where painting on the window itself reaches it control by control (Wine
// shows what a window drew when a paint ends 50 ms after the thread last waited, or when a DC
// that last drew long ago draws again). Every control must answer WM_PRINTCLIENT as it answers
// WM_PAINT. False, with nothing done, when the picture cannot be made or a child has a frame of
// another kind.
bool PaintAtOnce(HWND window);

}  // namespace kelvra
