/* The yardstick of the start-up bench: an empty top-level window of the main window's outer size
   (528 x 579) and style, shown as soon as the process starts, with nothing else loaded.
   With the argument "idle" it shows nothing and waits: Wine's desktop process (explorer.exe)
   ends a second after the last program that used it, and the next program would pay its start;
   on Windows the desktop is always there. */
#include <windows.h>

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN && wp == VK_ESCAPE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmd, int show) {
    (void)prev;
    (void)show;
    if (lstrcmpA(cmd, "idle") == 0) {
        GetDesktopWindow();
        Sleep(INFINITE);
    }
    WNDCLASSW wc = {0};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"KelvraBenchEmpty";
    if (!RegisterClassW(&wc)) return 1;
    const int w = 528, h = 579;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    HWND hwnd =
        CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName, L"KelvraBenchEmptyWindow",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                        x, y, w, h, NULL, NULL, instance, NULL);
    if (hwnd == NULL) return 1;
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}
