#pragma once
// The keys the main window takes itself: full screen, the rate window and the spin.

#include <cstdint>

namespace kelvra {

// Keys of the main window: F11 toggles full screen; Ctrl+F12 opens the rate window when no hot
// key took it first; on the wheel page Space, Enter, Page Down and the Right arrow (a
// presentation remote's keys) start a spin as a press on the hub does, except that the arrow
// stays the tab strip's while it has the focus. Returns 1 when the key was taken.
int32_t OnMainWindowKey(int32_t virtualKey);

}  // namespace kelvra
