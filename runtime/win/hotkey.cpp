#include "runtime/win/hotkey.h"

namespace kelvra {

namespace {

HotKeyState* g_state = nullptr;

HotKeyState& HotKeys() {
    static HotKeyState fallback;
    return g_state != nullptr ? *g_state : fallback;
}

constexpr int32_t kFirstIdBase = 33000;

LRESULT CALLBACK HotKeyWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const HotKeyState& s = HotKeys();
    if (msg == WM_HOTKEY) {
        const auto id = static_cast<int32_t>(wParam);
        if (id > kFirstIdBase && id <= s.highestId && s.target != nullptr)
            SendMessageW(s.target, kHotKeyNotifyMessage, wParam, 0);
    }
    return CallWindowProcW(s.previous, hwnd, msg, wParam, lParam);
}

UINT PlatformModifiers(int32_t code) {
    switch (code) {
        case 1:
            return MOD_CONTROL;
        case 2:
            return MOD_SHIFT;
        case 3:
            return MOD_CONTROL | MOD_SHIFT;
        case 4:
            return MOD_ALT;
        case 5:
            return MOD_CONTROL | MOD_ALT;
        case 6:
            return MOD_SHIFT | MOD_ALT;
        default:
            return static_cast<UINT>(code);
    }
}

}  // namespace

void BindHotKeyState(HotKeyState* state) {
    g_state = state;
}

int32_t RegisterNotifyHotKey(HWND window, HWND target, int32_t modifiers, int32_t virtualKey) {
    HotKeyState& s = HotKeys();
    s.target = target;
    if (s.previous == nullptr && window != nullptr) {
        s.subclassed = window;
        s.previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HotKeyWindowProc)));
    }
    const int32_t id = kFirstIdBase + ++s.counter;
    s.highestId = id;
    if (!RegisterHotKey(window, id, PlatformModifiers(modifiers), static_cast<UINT>(virtualKey)))
        return 0;
    return id;
}

void RestoreHotKeyWindow(HotKeyState& state) {
    if (state.subclassed != nullptr && IsWindow(state.subclassed))
        SetWindowLongPtrW(state.subclassed, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(state.previous));
    state = HotKeyState{};
}

}  // namespace kelvra
