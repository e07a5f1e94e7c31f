#include "runtime/win/hotkey.h"

#include <cwchar>

#include "runtime/layer_state.h"

namespace kelvra {

namespace {

HotKeyState& HotKeys() {
    return LayerState<HotKeyState>();
}

constexpr int32_t kFirstIdBase = 33000;

// Marks the window that routes the presses, so that another copy can find it.
constexpr wchar_t kHotKeyWindowProp[] = L"KelvraHotKeyWindow";

// The same number in every process.
UINT PassedOnMessage() {
    static const UINT message = RegisterWindowMessageW(L"KelvraHotKeyPassedOn");
    return message;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

// When a window of another process with the class of `own` is in front: true, and that
// process's hot-key window in `other` (null when it has none left).
bool AnotherCopyInFront(HWND own, HWND& other) {
    other = nullptr;
    HWND front = GetForegroundWindow();
    if (front != nullptr) front = GetAncestor(front, GA_ROOT);
    if (front == nullptr) return false;
    const DWORD pid = ProcessOf(front);
    wchar_t ownClass[256] = {}, frontClass[256] = {};
    if (pid == GetCurrentProcessId() || GetClassNameW(own, ownClass, 256) == 0 ||
        GetClassNameW(front, frontClass, 256) == 0 || wcscmp(ownClass, frontClass) != 0)
        return false;
    for (HWND h = FindWindowExW(nullptr, nullptr, ownClass, nullptr); h != nullptr;
         h = FindWindowExW(nullptr, h, ownClass, nullptr))
        if (ProcessOf(h) == pid && GetPropW(h, kHotKeyWindowProp) != nullptr) other = h;
    return true;
}

LRESULT CALLBACK HotKeyWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const HotKeyState& s = HotKeys();
    if (msg == WM_HOTKEY) {
        const auto id = static_cast<int32_t>(wParam);
        HWND other = nullptr;
        if (id > kFirstIdBase && id <= s.highestId && s.target != nullptr) {
            if (!AnotherCopyInFront(hwnd, other))
                SendMessageW(s.target, kHotKeyNotifyMessage, wParam, 0);
            else if (other != nullptr)
                PostMessageW(other, PassedOnMessage(), 0, 0);
        }
    } else if (msg == PassedOnMessage() && msg != 0 && s.target != nullptr) {
        SendMessageW(s.target, kHotKeyNotifyMessage, static_cast<WPARAM>(s.highestId),
                     kHotKeyPassedOn);
        return 0;
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

int32_t RegisterNotifyHotKey(HWND window, HWND target, int32_t modifiers, int32_t virtualKey) {
    HotKeyState& s = HotKeys();
    s.target = target;
    if (s.previous == nullptr && window != nullptr) {
        s.subclassed = window;
        s.previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HotKeyWindowProc)));
        SetPropW(window, kHotKeyWindowProp, reinterpret_cast<HANDLE>(1));
    }
    const int32_t id = kFirstIdBase + ++s.counter;
    s.highestId = id;
    if (!RegisterHotKey(window, id, PlatformModifiers(modifiers), static_cast<UINT>(virtualKey)))
        return 0;
    return id;
}

void RestoreHotKeyWindow(HotKeyState& state) {
    if (state.subclassed != nullptr && IsWindow(state.subclassed)) {
        SetWindowLongPtrW(state.subclassed, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(state.previous));
        RemovePropW(state.subclassed, kHotKeyWindowProp);
    }
    state = HotKeyState{};
}

}  // namespace kelvra
