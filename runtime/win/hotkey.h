#pragma once
#include <windows.h>

#include <cstdint>

namespace kelvra {

// The message a hot-key press is turned into, sent to the target window.
constexpr UINT kHotKeyNotifyMessage = 0x8075;

// Claims a system-wide hot key for `window` and routes its presses to `target` as
// kHotKeyNotifyMessage (wParam = id). Modifier codes 1..6 are Ctrl, Shift, Ctrl+Shift, Alt,
// Ctrl+Alt, Shift+Alt; others pass as the platform's bits. Ids start at 33001; 0 on failure.
int32_t RegisterNotifyHotKey(HWND window, HWND target, int32_t modifiers, int32_t virtualKey);

// Forgets the target, the counter and the subclassed window (restoring its procedure), so that a
// test can set up hot keys as a fresh process would.
void ResetNotifyHotKeysForTesting();

}  // namespace kelvra
