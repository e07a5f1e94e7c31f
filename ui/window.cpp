// The frame's window procedure, the keys every window of the program shares, and the
// registration of the window classes.
#include "ui/window.h"

#include "runtime/layer_state.h"
#include "runtime/win/dpi.h"
#include "runtime/win/events.h"
#include "runtime/win/system_library.h"
#include "ui/controls/controls.h"

namespace kelvra {

namespace {

bool OnFrameEraseBackground(HWND hwnd, HDC dc, const LoadedWindow& window) {
    if (window.def().backColour == kNoColour) return false;
    RECT rc;
    GetClientRect(hwnd, &rc);
    SolidBrush back(window.def().backColour);
    FillRect(dc, &rc, back.get());
    return true;
}

void OnFrameDestroyed(LoadedWindow& window) {
    window.MarkClosing();
    if (Component* self = window.Find(window.selfId())) self->Raise(EventKind::Destroying);
}

// The last window gone ends the program.
void OnFrameGone(HWND hwnd, LoadedWindow& window) {
    window.Detach();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (ForgetWindow(static_cast<int32_t>(window.id()))) PostQuitMessage(0);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    // Activation comes first to the window, then the focus, and with it the input method's COM.
    if (msg == WM_ACTIVATEAPP || msg == WM_NCACTIVATE) LoadInputMethodCom();
    auto* window = reinterpret_cast<LoadedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (Component::RouteToChild(msg, wp, lp, result)) return result;
    if (window == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_ERASEBKGND:
            if (OnFrameEraseBackground(hwnd, reinterpret_cast<HDC>(wp), *window)) return 1;
            break;
        case WM_GETICON:
            // A window of its own icon answers with the program's, its class's, unless one was
            // set: the same pictures the system shows for it, without two icons set on every
            // start (about 2 ms under Wine).
            if (LRESULT set = DefWindowProcW(hwnd, msg, wp, lp); set != 0 || !window->def().ownIcon)
                return set;
            return GetClassLongPtrW(hwnd, wp == ICON_BIG ? GCLP_HICON : GCLP_HICONSM);
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            OnFrameDestroyed(*window);
            return 0;
        case WM_NCDESTROY:
            OnFrameGone(hwnd, *window);
            break;
        case WM_TIMER:
            if (wp != LoadedWindow::kIdleCursorTimer) break;
            window->OnIdleCursorTimer();
            return 0;
        case kDpiChangedMessage:
            window->OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Esc leaves full screen, else closes the window.
void OnEscape(HWND top, LoadedWindow& window) {
    if (window.fullScreen())
        window.ToggleFullScreen();
    else
        PostMessageW(top, WM_CLOSE, 0, 0);
}

void OnTab(HWND top) {
    if (HWND next = GetNextDlgTabItem(top, GetFocus(), GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
}

// In the program's windows: a mouse move shows a pointer hidden in full screen; a window's key
// handler first; then Esc closes the window that has the focus, Tab moves between tab stops, F1
// does nothing, and Enter does not move the focus.
bool PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR && msg.message != WM_MOUSEMOVE)
        return false;
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    LoadedWindow* window = top != nullptr ? LoadedWindow::OfFrame(top) : nullptr;
    if (window == nullptr) return false;
    if (msg.message == WM_MOUSEMOVE) {
        window->OnMouseMoved();
        return false;
    }
    if (msg.message == WM_CHAR) return msg.wParam == VK_TAB || msg.wParam == VK_ESCAPE;
    if (Component* self = window->Find(window->selfId());
        self != nullptr &&
        self->Raise(EventKind::KeyDown, {.virtualKey = static_cast<int32_t>(msg.wParam)}))
        return true;
    switch (msg.wParam) {
        case VK_ESCAPE:
            OnEscape(top, *window);
            return true;
        case VK_F1:
            return true;
        case VK_TAB:
            OnTab(top);
            return true;
        default:
            return false;
    }
}

void RegisterFrameClass(HINSTANCE instance, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = icon;
    // Shared with the main window's own small icon; a class without one gets a fresh copy.
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kFrameClass;
    RegisterClassExW(&wc);
}

}  // namespace

void InitWindowSystem(HINSTANCE instance, std::span<const Binding> bindings) {
    WindowRegistry& registry = LayerState<WindowRegistry>();
    registry.bindings = bindings;
    if (registry.instance != nullptr) return;
    registry.instance = instance;
    HICON icon = LoadIconW(instance, L"DEFAULT_ICON");
    RegisterFrameClass(instance, icon);
    RegisterControlClasses(instance);
    SetPreTranslate(&PreTranslate);
}

}  // namespace kelvra
