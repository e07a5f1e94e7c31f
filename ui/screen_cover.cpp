#include "ui/screen_cover.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace kelvra {

namespace {

constexpr wchar_t kCoverClass[] = L"KelvraCover";

HBITMAP MakeBitmap(HDC like, int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    return CreateDIBSection(like, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// Calls `use` with a DC like `like` that holds `bitmap`, to draw into it or copy from it.
template <class Use>
void WithBitmap(HBITMAP bitmap, HDC like, Use use) {
    HDC dc = CreateCompatibleDC(like);
    HGDIOBJ old = SelectObject(dc, bitmap);
    use(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
}

// Copies w x h of what `from` shows from (x, y) to (toX, toY) of `to`, in bands of rows: Wine
// holds its one link to the X server for the whole of a read from the screen, and the window's
// thread needs it meanwhile to lay its window out.
void CopyBanded(HDC to, int toX, int toY, HDC from, int x, int y, int w, int h) {
    constexpr int kBandRows = 128;
    if (w <= 0) return;
    for (int top = 0; top < h; top += kBandRows)
        BitBlt(to, toX, toY + top, w, std::min(kBandRows, h - top), from, x, y + top, SRCCOPY);
}

// A bitmap of w x h with what `from` shows from (x, y).
HBITMAP CopyOf(HDC from, int x, int y, int w, int h) {
    HBITMAP bitmap = MakeBitmap(from, w, h);
    if (bitmap != nullptr)
        WithBitmap(bitmap, from, [&](HDC dc) { CopyBanded(dc, 0, 0, from, x, y, w, h); });
    return bitmap;
}

// Whether a shown window lies over any of `r` (screen pixels) above `window`.
bool CoveredAbove(HWND window, const RECT& r) {
    for (HWND above = GetWindow(window, GW_HWNDPREV); above != nullptr;
         above = GetWindow(above, GW_HWNDPREV)) {
        RECT its, overlap;
        if (IsWindowVisible(above) && GetWindowRect(above, &its) &&
            IntersectRect(&overlap, &its, &r))
            return true;
    }
    return false;
}

}  // namespace

ScreenPicture::ScreenPicture(const RECT& area, HWND window) : area_(area) {
    RECT client;
    POINT origin{0, 0};
    if (window == nullptr || !IsWindowVisible(window) || IsIconic(window) ||
        !GetClientRect(window, &client) || !ClientToScreen(window, &origin))
        return;
    OffsetRect(&client, origin.x, origin.y);
    RECT known;
    if (!IntersectRect(&known, &client, &area_) || CoveredAbove(window, known)) return;
    HDC from = GetDC(window);
    if (from == nullptr) return;
    bitmap_ = MakeBitmap(from, area_.right - area_.left, area_.bottom - area_.top);
    if (bitmap_ != nullptr) {
        WithBitmap(bitmap_, from, [&](HDC dc) {
            BitBlt(dc, known.left - area_.left, known.top - area_.top, known.right - known.left,
                   known.bottom - known.top, from, known.left - origin.x, known.top - origin.y,
                   SRCCOPY);
        });
        known_ = known;
    }
    ReleaseDC(window, from);
}

ScreenPicture::ScreenPicture(ScreenPicture&& other) noexcept
    : area_(other.area_), known_(other.known_), bitmap_(std::exchange(other.bitmap_, nullptr)) {}

ScreenPicture::~ScreenPicture() {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

HBITMAP ScreenPicture::Read() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return nullptr;
    const int w = area_.right - area_.left, h = area_.bottom - area_.top;
    if (bitmap_ == nullptr) {
        HBITMAP read = CopyOf(screen, area_.left, area_.top, w, h);
        ReleaseDC(nullptr, screen);
        return read;
    }
    // The rows above and below the window's part whole, and beside it those on either side.
    const RECT k = {known_.left - area_.left, known_.top - area_.top, known_.right - area_.left,
                    known_.bottom - area_.top};
    WithBitmap(bitmap_, screen, [&](HDC dc) {
        CopyBanded(dc, 0, 0, screen, area_.left, area_.top, w, k.top);
        CopyBanded(dc, 0, k.top, screen, area_.left, known_.top, k.left, k.bottom - k.top);
        CopyBanded(dc, k.right, k.top, screen, known_.right, known_.top, w - k.right,
                   k.bottom - k.top);
        CopyBanded(dc, 0, k.bottom, screen, area_.left, known_.bottom, w, h - k.bottom);
    });
    ReleaseDC(nullptr, screen);
    return std::exchange(bitmap_, nullptr);
}

HBITMAP ReadScreen(const RECT& area) {
    return ScreenPicture(area).Read();
}

HBITMAP ReadWindow(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    HDC from = GetWindowDC(window);
    HBITMAP bitmap = CopyOf(from, 0, 0, r.right - r.left, r.bottom - r.top);
    ReleaseDC(window, from);
    return bitmap;
}

namespace {

struct OtherWindowSearch {
    HWND window;
    RECT area;
    bool found = false;
};

BOOL CALLBACK FindOtherWindow(HWND hwnd, LPARAM lp) {
    auto& s = *reinterpret_cast<OtherWindowSearch*>(lp);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    RECT r, overlap;
    if (hwnd == s.window || process != GetCurrentProcessId() || !IsWindowVisible(hwnd) ||
        !GetWindowRect(hwnd, &r) || !IntersectRect(&overlap, &r, &s.area))
        return TRUE;
    s.found = true;
    return FALSE;
}

}  // namespace

bool OtherWindowsIn(HWND window, const RECT& area) {
    OtherWindowSearch search{window, area};
    EnumWindows(&FindOtherWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

ScreenCover::ScreenCover(const RECT& area, HBITMAP before) : area_(area) {
    ShowPicture(before);
}

ScreenCover::ScreenCover(const RECT& area, std::function<void(HDC, const RECT&)> paint)
    : area_(area), paint_(std::move(paint)) {
    PutUp();
}

ScreenCover::ScreenCover(HWND window) {
    if (!GetWindowRect(window, &area_) || OtherWindowsIn(window, area_)) return;
    // Painted straight from the window as the cover goes up, while the window is still what the
    // screen shows; the system keeps the cover's picture from then on, so that a later paint of it
    // (the window has changed meanwhile) draws nothing.
    paint_ = [window](HDC dc, const RECT& r) {
        HDC from = GetWindowDC(window);
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, from, r.left, r.top, SRCCOPY);
        ReleaseDC(window, from);
    };
    PutUp();
    paint_ = nullptr;
}

void ScreenCover::ShowPicture(HBITMAP picture) {
    if (picture == nullptr) return;
    paint_ = [picture](HDC dc, const RECT& r) {
        WithBitmap(picture, dc, [&](HDC from) {
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, from, r.left, r.top,
                   SRCCOPY);
        });
    };
    PutUp();
}

void ScreenCover::PutUp() {
    if (!paint_) return;
    static const ATOM registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kCoverClass;
        return RegisterClassExW(&wc);
    }();
    if (registered == 0) return;
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT,
                            kCoverClass, L"", WS_POPUP | WS_DISABLED, area_.left, area_.top,
                            area_.right - area_.left, area_.bottom - area_.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
    if (hwnd_ == nullptr) return;
    // Shown with its picture, which the screen takes at once: the screen's own (nothing changes),
    // or the one it is to show next.
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
    Present();
}

ScreenCover::~ScreenCover() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void ScreenCover::Reveal(HWND window, HBITMAP under) {
    if (hwnd_ == nullptr) return;
    // What the system reported meanwhile (Wine: the X server's word on the window's new place
    // and frame) may have asked the window to paint again: done first, still under the cover,
    // so that the picture taken is the window's last.
    Present();
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Taken again should the window have painted otherwise once more.
    for (int taken = 0; taken < 2 && (under != nullptr || !Shows(window)); ++taken) {
        // Drawn into the cover itself, which from now on paints nothing of its own.
        revealed_ = true;
        HDC dc = GetDC(hwnd_);
        if (under != nullptr)
            WithBitmap(under, dc, [&](HDC from) {
                BitBlt(dc, 0, 0, area_.right - area_.left, area_.bottom - area_.top, from, 0, 0,
                       SRCCOPY);
            });
        under = nullptr;
        RECT r;
        GetWindowRect(window, &r);
        // The window's own picture, which the system keeps whole although the cover hides it.
        HDC from = GetWindowDC(window);
        BitBlt(dc, r.left - area_.left, r.top - area_.top, r.right - r.left, r.bottom - r.top, from,
               0, 0, SRCCOPY);
        ReleaseDC(window, from);
        ReleaseDC(hwnd_, dc);
        ValidateRect(hwnd_, nullptr);
        Present();
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

bool ScreenCover::Shows(HWND window) const {
    RECT r;
    if (hwnd_ == nullptr || !GetWindowRect(window, &r) || r.left < area_.left ||
        r.top < area_.top || r.right > area_.right || r.bottom > area_.bottom)
        return false;
    HBITMAP shown = ReadWindow(hwnd_), now = ReadWindow(window);
    DIBSECTION mine{}, its{};
    bool same = shown != nullptr && now != nullptr &&
                GetObjectW(shown, sizeof mine, &mine) == sizeof mine &&
                GetObjectW(now, sizeof its, &its) == sizeof its;
    // Both are top-down pixels of 32 bits; the byte beyond the colour is not shown.
    for (int y = 0; same && y < its.dsBm.bmHeight; ++y) {
        const auto* a = reinterpret_cast<const uint32_t*>(
                            static_cast<const char*>(mine.dsBm.bmBits) +
                            static_cast<size_t>(y + r.top - area_.top) * mine.dsBm.bmWidthBytes) +
                        (r.left - area_.left);
        const auto* b =
            reinterpret_cast<const uint32_t*>(static_cast<const char*>(its.dsBm.bmBits) +
                                              static_cast<size_t>(y) * its.dsBm.bmWidthBytes);
        uint32_t differ = 0;
        for (int x = 0; x < its.dsBm.bmWidth; ++x) differ |= a[x] ^ b[x];
        same = (differ & 0xFFFFFF) == 0;
    }
    if (shown != nullptr) DeleteObject(shown);
    if (now != nullptr) DeleteObject(now);
    return same;
}

void ScreenCover::Present() {
    // A thread that finds no message for it lets the system show what its windows drew (Wine
    // puts it on the X screen then); the filter matches nothing, so nothing is taken.
    MSG msg;
    PeekMessageW(&msg, reinterpret_cast<HWND>(-1), WM_APP + 0x3FFF, WM_APP + 0x3FFF, PM_NOREMOVE);
}

LRESULT CALLBACK ScreenCover::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    } else if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        const auto* self =
            reinterpret_cast<const ScreenCover*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr && !self->revealed_ && self->paint_) self->paint_(dc, ps.rcPaint);
        EndPaint(hwnd, &ps);
        return 0;
    } else if (msg == WM_ERASEBKGND) {
        return 1;
    } else if (msg == WM_MOUSEACTIVATE) {
        return MA_NOACTIVATE;
    } else if (msg == WM_NCHITTEST) {
        return HTTRANSPARENT;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace kelvra
