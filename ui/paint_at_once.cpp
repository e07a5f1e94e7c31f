#include "ui/paint_at_once.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include "runtime/win/system_library.h"

namespace kelvra {

namespace {

RECT ScreenToClientOf(HWND root, RECT r) {
    MapWindowPoints(nullptr, root, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Paints the frame of `hwnd` (`outer` less `inner`) as the system asks a control to paint it.
// The only frame the program's controls have is the edit box's client edge, which the platform's
// edit box paints as the theme's edit border, or as a sunken edge without a theme. False,
// without painting, for any other frame.
bool PrintFrame(HWND hwnd, HDC dc, const RECT& outer, const RECT& inner) {
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
    wchar_t kind[8] = {};
    if (GetClassNameW(hwnd, kind, 8) == 0 || lstrcmpiW(kind, L"Edit") != 0 ||
        (ex & (WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME)) !=
            WS_EX_CLIENTEDGE ||
        (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL)) != 0)
        return false;
    static const auto windowTheme =
        SystemFunction<decltype(&GetWindowTheme)>(L"uxtheme.dll", "GetWindowTheme");
    static const auto drawTheme =
        SystemFunction<decltype(&DrawThemeBackground)>(L"uxtheme.dll", "DrawThemeBackground");
    HTHEME theme = windowTheme != nullptr && drawTheme != nullptr ? windowTheme(hwnd) : nullptr;
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    RECT r = outer;
    if (theme != nullptr) {
        int state = ETS_NORMAL;
        if (!IsWindowEnabled(hwnd))
            state = ETS_DISABLED;
        else if ((style & ES_READONLY) != 0)
            state = ETS_READONLY;
        else if (GetFocus() == hwnd)
            state = ETS_FOCUSED;
        drawTheme(theme, dc, EP_EDITTEXT, state, &r, nullptr);
    } else {
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    }
    RestoreDC(dc, saved);
    return true;
}

// Paints `hwnd`'s client area, then its shown children, the lowest first, each framed, into
// `dc`, whose pixels are those of `root`'s client area; nothing is painted outside `clip`
// (pixels of `dc`). False when a frame could not be painted.
bool PrintTree(HWND root, HWND hwnd, HDC dc, const RECT& clip) {
    RECT client;
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, root, reinterpret_cast<POINT*>(&client), 2);
    RECT inside;
    if (!IntersectRect(&inside, &client, &clip)) return true;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
    // As the system clips it: without its shown children, when it asks for that.
    if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CLIPCHILDREN) != 0)
        for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            if ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0 || !GetWindowRect(child, &r))
                continue;
            r = ScreenToClientOf(root, r);
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
    SetViewportOrgEx(dc, client.left, client.top, nullptr);
    SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    RestoreDC(dc, saved);
    HWND child = GetWindow(hwnd, GW_CHILD);
    for (child = child != nullptr ? GetWindow(child, GW_HWNDLAST) : nullptr; child != nullptr;
         child = GetWindow(child, GW_HWNDPREV)) {
        if ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0) continue;
        RECT outer, in;
        GetWindowRect(child, &outer);
        outer = ScreenToClientOf(root, outer);
        GetClientRect(child, &in);
        MapWindowPoints(child, root, reinterpret_cast<POINT*>(&in), 2);
        if (!EqualRect(&outer, &in)) {
            const int framing = SaveDC(dc);
            IntersectClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
            const bool framed = PrintFrame(child, dc, outer, in);
            RestoreDC(dc, framing);
            if (!framed) return false;
        }
        if (!PrintTree(root, child, dc, inside)) return false;
    }
    return true;
}

}  // namespace

bool PaintAtOnce(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    // A DC of the window that leaves out none of its children.
    HDC screen = GetDCEx(window, nullptr, DCX_CACHE);
    if (screen == nullptr) return false;
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, client.right, client.bottom);
    bool made = dc != nullptr && picture != nullptr;
    if (made) {
        HGDIOBJ old = SelectObject(dc, picture);
        made = PrintTree(window, window, dc, client);
        if (made) {
            // The caret is drawn over the window's picture: hidden while the picture changes.
            const bool caret = HideCaret(nullptr) != FALSE;
            BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
            if (caret) ShowCaret(nullptr);
        }
        SelectObject(dc, old);
    }
    if (picture != nullptr) DeleteObject(picture);
    if (dc != nullptr) DeleteDC(dc);
    ReleaseDC(window, screen);
    return made;
}

}  // namespace kelvra
