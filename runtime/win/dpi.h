#pragma once
// The DPI of the screen a window is on. The per-monitor calls are newer than Windows 7: they are
// looked up at run time, and the system DPI stands in where they are missing.

#include <windows.h>

#include <cstdint>

namespace kelvra {

int32_t SystemDpi();
// The DPI of the monitor that holds `point` (screen coordinates).
int32_t DpiAtPoint(POINT point);
int32_t DpiOfWindow(HWND hwnd);
// The outer rectangle of a window of that style whose client area is `rect`, with the frame
// and caption the system draws at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int32_t dpi);

// The message a window receives when it moves to a monitor of another DPI.
constexpr UINT kDpiChangedMessage = 0x02E0;

}  // namespace kelvra
