#pragma once
// The system-wide hot key, claimed for a window and routed to a target window as a message.

#include <windows.h>

#include <cstdint>

namespace kelvra {

// The message a hot-key press is turned into, sent to the target window.
constexpr UINT kHotKeyNotifyMessage = 0x8075;

// Claims a system-wide hot key for `window` and routes its presses to `target` as
// kHotKeyNotifyMessage (wParam = id). Modifier codes 1..6 are Ctrl, Shift, Ctrl+Shift, Alt,
// Ctrl+Alt, Shift+Alt; others pass as the platform's bits. Ids start at 33001; 0 on failure.
//
// Copies of one program ask for the same key and only the first gets it. A press while a window
// of another process with the class of `window` is in front is meant for that copy: it is passed
// on to that process's hot-key window, not routed here. A press passed on to `window` is routed
// with lParam kHotKeyPassedOn, also when the claim failed.
int32_t RegisterNotifyHotKey(HWND window, HWND target, int32_t modifiers, int32_t virtualKey);
constexpr LPARAM kHotKeyPassedOn = 1;

// What the hot keys keep: the one target, the id counter and the window whose procedure routes
// the presses. The program owns it (LayerState).
struct HotKeyState {
    HWND target = nullptr;
    HWND subclassed = nullptr;
    int32_t counter = 0;
    int32_t highestId = 0;
    WNDPROC previous = nullptr;
};
// Gives the subclassed window its own procedure back and forgets everything.
void RestoreHotKeyWindow(HotKeyState& state);

}  // namespace kelvra
