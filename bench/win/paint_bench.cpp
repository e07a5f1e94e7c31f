// Where full screen's time goes, from inside the program under Wine: F11 in and out (the key's
// handler, then its paint), and in full screen and in the window one pointer step's paint (the
// turn and the synchronous paint of what it changed) and one frame's composition (the canvas
// composed and copied to a memory bitmap: the pointer's rectangle, and the whole canvas). Run it
// on screens of both sizes through bench/win/paint.sh. Timings are printed, never judged.
// wine build/win32/kelvra_paint_bench.exe [--presses=N] [--steps=N]
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/bindings.h"
#include "app/keys.h"
#include "app/state.h"
#include "runtime/win/events.h"
#include "runtime/win/system_library.h"
#include "ui/controls/canvas_box.h"
#include "ui/model/ids.h"
#include "ui/pictures.h"
#include "ui/property_access.h"
#include "ui/window.h"

namespace kelvra::bench {
namespace {

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / perMs;
}

double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

CanvasBox* Wheel() {
    return FindCanvas(WindowId::Main, ids::kMainCanvas);
}

HWND MainHwnd() {
    LoadedWindow* main = FindLoadedWindow(WindowId::Main);
    return main != nullptr ? main->hwnd() : nullptr;
}

void PaintAll() {
    RedrawWindow(MainHwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

struct Stats {
    double median = 0, worst = 0;
};

Stats Of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
}

void PrintSteps(const char* mode, int steps) {
    CanvasBox* wheel = Wheel();
    const int pointer = State().pointerSpriteId;
    const HWND canvas = wheel->hwnd();
    RECT client;
    GetClientRect(canvas, &client);
    // The pointer's rectangles at every angle once, so that the steps time paints, not turns.
    for (int i = 0; i < 10; ++i) wheel->RotateSprite(pointer, 36);
    PaintAll();
    std::vector<double> stepMs, cpuMs, pointerMs, frameMs;
    RECT pointerRect{};
    HDC screen = GetDC(canvas);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    for (int i = 0; i < steps; ++i) {
        const double c0 = ThreadCpuMs(), t0 = NowMs();
        wheel->RotateSprite(pointer, 36);
        UpdateWindow(canvas);
        stepMs.push_back(NowMs() - t0);
        cpuMs.push_back(ThreadCpuMs() - c0);
        const Sprite* s = wheel->canvas()->FindSprite(pointer);
        const Rect b = s->Bounds();
        pointerRect = {b.left, b.top, b.right, b.bottom};
        double t1 = NowMs();
        wheel->PaintTo(memory, pointerRect, 0, 0);
        pointerMs.push_back(NowMs() - t1);
        if (i % 5 == 0) {
            t1 = NowMs();
            wheel->PaintTo(memory, client, 0, 0);
            frameMs.push_back(NowMs() - t1);
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(canvas, screen);
    const Stats step = Of(stepMs), cpu = Of(cpuMs), part = Of(pointerMs), frame = Of(frameMs);
    std::printf("%-12s canvas %5ld x %-5ld pointer %4ld x %-4ld  step paint %7.2f ms (worst %7.2f,"
                " thread CPU %6.2f)  compose pointer %7.2f ms  compose whole %7.2f ms (worst %7.2f)"
                "\n",
                mode, client.right, client.bottom, pointerRect.right - pointerRect.left,
                pointerRect.bottom - pointerRect.top, step.median, step.worst, cpu.median,
                part.median, frame.median, frame.worst);
}

int Run(int argc, wchar_t** argv) {
    int presses = 6, steps = 60;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a.rfind(L"--presses=", 0) == 0) presses = std::max(0, _wtoi(a.c_str() + 10));
        if (a.rfind(L"--steps=", 0) == 0) steps = std::max(1, _wtoi(a.c_str() + 8));
    }
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring dir =
        std::wstring(tmp) + L"kelvra-paint-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    SetCurrentDirectoryW(dir.c_str());
    State();
    SystemLibrary(L"uxtheme.dll");
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    InitWindowSystem(GetModuleHandleW(nullptr), ProgramBindings());
    if (!LoadWindow(WindowId::Main) || Wheel() == nullptr) {
        std::printf("the main window did not load\n");
        return 1;
    }
    ProcessPendingEvents();
    PaintAll();
    HDC dc = GetDC(nullptr);
    std::printf("screen %d x %d, %d DPI\n", GetSystemMetrics(SM_CXSCREEN),
                GetSystemMetrics(SM_CYSCREEN), GetDeviceCaps(dc, LOGPIXELSX));
    ReleaseDC(nullptr, dc);

    // What the first press makes, one part at a time, at the monitor's size (the wheel fills the
    // monitor's height; the plate is about 498 units of the 528 the canvas has).
    {
        const int mw = GetSystemMetrics(SM_CXSCREEN), mh = GetSystemMetrics(SM_CYSCREEN);
        const int plate = mh * 498 / 548;
        double t = NowMs();
        const auto sunburst = Picture(Asset::Sunburst);
        const double decode = NowMs() - t;
        t = NowMs();
        const Image covering = *PictureCovering(Asset::Sunburst, mw, mh);
        const double cover = NowMs() - t;
        t = NowMs();
        const Image plateAt = MakePictureAt(Asset::Plate, plate, plate);
        const double plateMs = NowMs() - t;
        const Image pointerAt = MakePictureAt(Asset::Pointer, plate * 134 / 498, plate * 304 / 498);
        t = NowMs();
        const Image turned = RotateImage(pointerAt, 36);
        const double turn = NowMs() - t;
        std::printf("First press's pictures at %d x %d (ms): background source decoded %.1f "
                    "(%d x %d), covering the monitor %.1f (both, decode included), plate %d px "
                    "%.1f, one turn of the pointer %.1f\n",
                    mw, mh, decode, sunburst ? sunburst->width : 0,
                    sunburst ? sunburst->height : 0, cover, plate, plateMs, turn);
        (void)covering;
        (void)turned;
    }
    std::printf("F11 (the handler, then the paint it leaves; milliseconds)\n");
    for (int i = 1; i <= presses; ++i) {
        const double t0 = NowMs();
        OnMainWindowKey(VK_F11);
        const double t1 = NowMs();
        PaintAll();
        const double t2 = NowMs();
        std::printf("  press %d %-17s handler %8.1f  paint %8.1f  total %8.1f\n", i,
                    i % 2 == 1 ? "into full screen" : "back to window", t1 - t0, t2 - t1, t2 - t0);
    }

    std::printf("One pointer step and one frame (medians of %d steps)\n", steps);
    PrintSteps("window", steps);
    OnMainWindowKey(VK_F11);
    PaintAll();
    PrintSteps("full screen", steps);
    OnMainWindowKey(VK_F11);

    if (HWND main = MainHwnd()) DestroyWindow(main);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    SetCurrentDirectoryW(tmp);
    DeleteFileW((dir + L"\\peizhi.ini").c_str());
    RemoveDirectoryW(dir.c_str());
    return 0;
}

}  // namespace
}  // namespace kelvra::bench

int wmain(int argc, wchar_t** argv) {
    const int rc = kelvra::bench::Run(argc, argv);
    std::fflush(stdout);
    return rc;
}
