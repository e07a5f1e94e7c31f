#include "runtime/win/dpi.h"

#include "runtime/win/system_library.h"

namespace kelvra {

int32_t SystemDpi() {
    static const int32_t dpi = [] {
        HDC dc = GetDC(nullptr);
        const int d = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return d > 0 ? d : 96;
    }();
    return dpi;
}

int32_t DpiAtPoint(POINT point) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor =
        SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (getDpiForMonitor != nullptr &&
        SUCCEEDED(getDpiForMonitor(MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY), 0, &x, &y)) &&
        y > 0)
        return static_cast<int32_t>(y);
    return SystemDpi();
}

int32_t DpiOfWindow(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr)
        if (const UINT dpi = getDpiForWindow(hwnd); dpi > 0) return static_cast<int32_t>(dpi);
    return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int32_t dpi) {
    using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = SystemFunction<AdjustFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    if (adjust != nullptr && adjust(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
    // Without it the frame is the system's, drawn at the system DPI.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int32_t sys = SystemDpi();
    rect.left += MulDiv(frame.left, dpi, sys);
    rect.top += MulDiv(frame.top, dpi, sys);
    rect.right += MulDiv(frame.right, dpi, sys);
    rect.bottom += MulDiv(frame.bottom, dpi, sys);
}

}  // namespace kelvra
