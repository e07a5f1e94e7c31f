#include "runtime/win/hotkey.h"

namespace kelvra {

namespace {

struct HotKeyState {
    HWND target = nullptr;
    HWND subclassed = nullptr;
    int32_t counter = 0;
    int32_t highestId = 0;
    WNDPROC previous = nullptr;
};
HotKeyState g_hotKeys;

constexpr int32_t kFirstIdBase = 33000;

LRESULT CALLBACK HotKeyWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_HOTKEY) {
        const auto id = static_cast<int32_t>(wParam);
        if (id > kFirstIdBase && id <= g_hotKeys.highestId && g_hotKeys.target != nullptr)
            SendMessageW(g_hotKeys.target, kHotKeyNotifyMessage, wParam, 0);
    }
    return CallWindowProcW(g_hotKeys.previous, hwnd, msg, wParam, lParam);
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

int32_t RegisterNotifyHotKey(HWND window, HWND target, int32_t modifiers, int32_t virtualKey) {
    g_hotKeys.target = target;
    if (g_hotKeys.previous == nullptr && window != nullptr) {
        g_hotKeys.subclassed = window;
        g_hotKeys.previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HotKeyWindowProc)));
    }
    const int32_t id = kFirstIdBase + ++g_hotKeys.counter;
    g_hotKeys.highestId = id;
    if (!RegisterHotKey(window, id, PlatformModifiers(modifiers), static_cast<UINT>(virtualKey)))
        return 0;
    return id;
}

}  // namespace kelvra

namespace kelvra {
void ResetNotifyHotKeysForTesting() {
    if (g_hotKeys.subclassed != nullptr && IsWindow(g_hotKeys.subclassed))
        SetWindowLongPtrW(g_hotKeys.subclassed, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(g_hotKeys.previous));
    g_hotKeys = HotKeyState{};
}
}  // namespace kelvra
