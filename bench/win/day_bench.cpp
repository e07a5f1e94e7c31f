// An event day in one process: the program started as kelvra.exe starts, then spins by key (Space),
// a save of the names every 50 spins and the rate window opened and closed every 100, driving the
// real handlers through the window messages. The first two spins wait as the program does, to time
// the press to the pointer's first step; the others do not wait between steps but still repaint
// each. Prints memory and object counts; asserts nothing.
// Run through bench/win/startup.sh, or: wine build/win32/kelvra_day_bench.exe [--spins=N]
// [--save-every=N] [--rate-every=N] [--f11-every=N] (F11 in, a spin in full screen, F11 out, every
// N spins: none unless asked, as the full screen's pictures are the monitor's size)
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "app/bindings.h"
#include "app/state.h"
#include "runtime/encoding.h"
#include "runtime/files.h"
#include "runtime/win/events.h"
#include "runtime/win/hotkey.h"
#include "runtime/win/system_library.h"
#include "ui/controls/canvas_box.h"
#include "ui/model/ids.h"
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

std::string ReadHostFile(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string text(8192, '\0');
    DWORD got = 0;
    if (!ReadFile(f, text.data(), static_cast<DWORD>(text.size()), &got, nullptr)) got = 0;
    CloseHandle(f);
    text.resize(got);
    return text;
}

// This process as the host sees it (Wine runs it as a host process; its /proc/self is the Wine
// server, which opens the files): the newest process named as this program, 0 when not under Wine.
int HostPid() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring name = self;
    name = name.substr(name.rfind(L'\\') + 1).substr(0, 15);  // the host keeps 15 characters
    int newest = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        const int pid = _wtoi(found.cFileName);
        if (pid <= newest) continue;
        const std::string stat = ReadHostFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\stat");
        const size_t open = stat.find('('), close = stat.rfind(')');
        if (open != std::string::npos && close != std::string::npos &&
            GbkToWide(stat.substr(open + 1, close - open - 1)) == name)
            newest = pid;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return newest;
}

// A field of the host's status of this process in kB: RssAnon is its private memory as
// bench/win/startup.sh reports it, VmRSS its working set. -1 when it cannot be read.
long StatusKb(const char* field) {
    static const int pid = HostPid();
    if (pid == 0) return -1;
    const std::string text = ReadHostFile(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\status");
    const size_t at = text.find(std::string("\n") + field + ":");
    return at == std::string::npos ? -1 : std::atol(text.c_str() + at + 2 + std::strlen(field));
}

// Wine counts neither handles nor GDI and USER objects for a process: there they are probed. A
// GDI handle's low word alone names its object under Wine.
DWORD HandleCount() {
    DWORD n = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &n) && n != 0) return n;
    DWORD flags;
    for (UINT_PTR h = 4; h < 0x10000; h += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
    return n;
}

DWORD GdiObjectCount() {
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n != 0) return n;
    for (UINT_PTR h = 1; h < 0x10000; ++h)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(h)) != 0) ++n;
    return n;
}

// The windows of this process, children included (USER objects are mostly windows).
int CountWindows() {
    struct Count {
        static BOOL CALLBACK Child(HWND, LPARAM n) {
            ++*reinterpret_cast<int*>(n);
            return TRUE;
        }
        static BOOL CALLBACK Top(HWND h, LPARAM n) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid != GetCurrentProcessId()) return TRUE;
            ++*reinterpret_cast<int*>(n);
            EnumChildWindows(h, &Child, n);
            return TRUE;
        }
    };
    int n = 0;
    EnumWindows(&Count::Top, reinterpret_cast<LPARAM>(&n));
    return n;
}

CanvasBox* Wheel() {
    return FindCanvas(WindowId::Main, ids::kMainCanvas);
}

void PrintHeader() {
    std::printf("%-26s %9s %9s %8s %5s %5s %8s %8s %8s\n", "", "priv/MB", "ws/MB", "handles", "GDI",
                "USER", "windows", "sprites", "turned");
}

void PrintRow(const char* label) {
    const Canvas* canvas = Wheel() != nullptr ? Wheel()->canvas() : nullptr;
    std::printf("%-26s %9.2f %9.2f %8lu %5lu %5lu %8d %8zu %8zu\n", label,
                StatusKb("RssAnon") / 1024.0, StatusKb("VmRSS") / 1024.0, HandleCount(),
                GdiObjectCount(), GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
                CountWindows(), canvas != nullptr ? canvas->Sprites().size() : 0,
                canvas != nullptr ? canvas->CachedTurnCount() : 0);
    std::fflush(stdout);
}

// The first wait of a spin comes after the pointer's first turn; its repaint is the first step
// seen.
double g_pressMs = 0, g_firstStepMs = 0;
bool g_realWaits = false;
int g_waits = 0;

void BenchDelay(int32_t ms) {
    if (g_waits++ == 0) {
        ProcessPendingEvents();
        g_firstStepMs = NowMs() - g_pressMs;
    }
    if (g_realWaits)
        Delay(ms);
    else
        ProcessPendingEvents();
}

// One spin by the Space key, as the operator's remote sends it; false when it did not spin.
bool SpinByKey() {
    g_waits = 0;
    g_pressMs = NowMs();
    PostMessageW(GetWindowHandle(WindowId::Main, ids::kMainSelf), WM_KEYDOWN, VK_SPACE, 1);
    ProcessPendingEvents();
    return g_waits > 0;
}

// 保存 on the settings page, with the first name changed as an operator would.
void SaveNames(int n) {
    LoadedWindow* main = FindLoadedWindow(WindowId::Main);
    main->SelectPage(1);
    WriteContent(WindowId::Main, ids::kMainNameBox[0], WideToGbk(L"奖品" + std::to_wstring(n)));
    SendMessageW(GetWindowHandle(WindowId::Main, ids::kMainSaveNames), BM_CLICK, 0, 0);
    main->SelectPage(0);
    ProcessPendingEvents();
}

// Ctrl+F12 as the hot key delivers it, then the rate window's close box.
void OpenAndCloseRateWindow() {
    SendMessageW(GetWindowHandle(WindowId::Main, ids::kMainFeedback), kHotKeyNotifyMessage,
                 static_cast<WPARAM>(State().hotKeyId), 0);
    ProcessPendingEvents();
    if (HWND rate = GetWindowHandle(WindowId::Rate, ids::kRateSelf))
        SendMessageW(rate, WM_CLOSE, 0, 0);
    ProcessPendingEvents();
}

// F11 into full screen, a spin there, and F11 back, as the keys deliver them.
bool SpinInFullScreen() {
    HWND main = GetWindowHandle(WindowId::Main, ids::kMainSelf);
    PostMessageW(main, WM_KEYDOWN, VK_F11, 1);
    ProcessPendingEvents();
    const bool spun = SpinByKey();
    PostMessageW(main, WM_KEYDOWN, VK_F11, 1);
    ProcessPendingEvents();
    return spun;
}

constexpr wchar_t kIni[] =
    L"[奖项]\r\n奖项1=OPPO手机\r\n奖项2=谢谢参与\r\n奖项3=会员一月\r\n奖项4=再接再厉\r\n"
    L"奖项5=点歌一首\r\n奖项6=平板电脑\r\n奖项7=整蛊一次\r\n奖项8=讲笑话\r\n奖项9=祝你好运\r\n"
    L"奖项10=小礼物\r\n[中奖率]\r\n中奖率1=0\r\n中奖率2=20\r\n中奖率3=1\r\n中奖率4=25\r\n"
    L"中奖率5=15\r\n中奖率6=0\r\n中奖率7=1\r\n中奖率8=5\r\n中奖率9=30\r\n中奖率10=3\r\n";

int Option(int argc, wchar_t** argv, const wchar_t* name, int fallback) {
    const size_t n = std::wcslen(name);
    for (int i = 1; i < argc; ++i)
        if (std::wcsncmp(argv[i], name, n) == 0) return std::max(1, _wtoi(argv[i] + n));
    return fallback;
}

int Run(int argc, wchar_t** argv) {
    const int spins = Option(argc, argv, L"--spins=", 1000);
    const int saveEvery = Option(argc, argv, L"--save-every=", 50);
    const int rateEvery = Option(argc, argv, L"--rate-every=", 100);
    const int fullScreenEvery = Option(argc, argv, L"--f11-every=", 0);

    // A folder of its own with rates that add up to 100, so every press spins.
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring dir =
        std::wstring(tmp) + L"kelvra-day-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    SetCurrentDirectoryW(dir.c_str());
    SetProgramFolder(dir);
    const std::string ini = WideToGbk(kIni);
    HANDLE f = CreateFileW((dir + L"\\peizhi.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
    CloseHandle(f);

    // As RunProgram starts.
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
    std::printf(
        "An event day: %d spins by key, the names saved every %d, the rate window opened and "
        "closed every %d\n(private = RssAnon, working set = VmRSS of the process; GDI objects "
        "and handles probed under Wine, which counts no USER objects)\n",
        spins, saveEvery, rateEvery);
    if (fullScreenEvery > 0)
        std::printf("and every %d spins F11, a spin in full screen and F11 again\n", fullScreenEvery);
    PrintHeader();
    PrintRow("started");

    State().spinHooks.delay = &BenchDelay;
    g_realWaits = true;
    SpinByKey();
    const double firstStep = g_firstStepMs;
    PrintRow("after the first spin");
    const long afterFirst = StatusKb("RssAnon");
    SpinByKey();
    const double secondStep = g_firstStepMs;
    g_realWaits = false;
    int failed = 0;
    const double t0 = NowMs();
    for (int i = 3; i <= spins; ++i) {
        if (!SpinByKey()) ++failed;
        if (i % saveEvery == 0) SaveNames(i);
        if (i % rateEvery == 0) OpenAndCloseRateWindow();
        if (fullScreenEvery > 0 && i % fullScreenEvery == 0 && !SpinInFullScreen()) ++failed;
        if (i % 100 == 0) {
            char label[40];
            std::snprintf(label, sizeof label, "after %d spins", i);
            PrintRow(label);
        }
    }
    std::printf("the day took %.0f s; presses that did not spin: %d\n", (NowMs() - t0) / 1000.0,
                failed);
    std::printf("private memory after the last spin against after the first: %+.2f MB\n",
                (StatusKb("RssAnon") - afterFirst) / 1024.0);
    std::printf("press (Space) to the pointer's first step: first spin %.1f ms, second %.1f ms\n",
                firstStep, secondStep);

    State().spinHooks = {};
    if (HWND main = GetWindowHandle(WindowId::Main, ids::kMainSelf)) DestroyWindow(main);
    ResetStateForTesting();
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
