// The program under Wine, measured from inside: start-up time, real spins against their nominal
// waits with the CPU they use, what one wait and one pointer step cost, and the start-up of the
// real program as a separate process. Timings are printed, never judged.
// Run through bench/win/run.sh [--reps=N] [--winners=1,5,10] [--launches=N] [--no-trace]
// [--candidates] (also spins with other ways of waiting, to see what a change to Delay gains)
// [--full-screen] (the spins with the main window in full screen, as F11 shows it)
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/state.h"
#include "app/bindings.h"
#include "app/keys.h"
#include "app/startup.h"
#include "runtime/encoding.h"
#include "runtime/win/events.h"
#include "runtime/win/hotkey.h"
#include "ui/controls/canvas_box.h"
#include "ui/property_access.h"
#include "ui/window.h"
#include "ui/model/ids.h"
#include "ui/model/layout.h"
#include "wheel/spin_rules.h"
#include "app/spin.h"
#include "app/wheel_drawing.h"

namespace kelvra::bench {
namespace {

constexpr int32_t kMain = static_cast<int32_t>(WindowId::Main);

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

int64_t FileTimeTicks(const FILETIME& ft) {
    return (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// Wall clock in 100 ns ticks, as fine as the system gives it (the precise call is newer than
// the Windows version the build targets).
int64_t SystemTicks() {
    using PreciseFn = void(WINAPI*)(LPFILETIME);
    static const auto precise = reinterpret_cast<PreciseFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME ft;
    if (precise != nullptr)
        precise(&ft);
    else
        GetSystemTimeAsFileTime(&ft);
    return FileTimeTicks(ft);
}

int64_t CreationTicks(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return FileTimeTicks(created);
}

// User plus kernel time of this process, in milliseconds.
double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return static_cast<double>(FileTimeTicks(kernel) + FileTimeTicks(user)) / 10000.0;
}

double SinceProcessStartMs() {
    static const int64_t created = CreationTicks(GetCurrentProcess());
    return static_cast<double>(SystemTicks() - created) / 10000.0;
}

// Processes outside Wine that work for this one (the Wine server, the X server), named by the
// runner in KELVRA_BENCH_WATCH as "name:pid ...". Their CPU time is read from the host's /proc
// through Wine's drive for the Unix root.
struct Watched {
    std::string name;
    int pid;
};

std::vector<Watched> WatchedProcesses() {
    std::vector<Watched> list;
    const char* env = std::getenv("KELVRA_BENCH_WATCH");
    if (env == nullptr) return list;
    std::string all = env;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find(' ', pos);
        if (end == std::string::npos) end = all.size();
        const std::string item = all.substr(pos, end - pos);
        const size_t colon = item.find(':');
        if (colon != std::string::npos)
            list.push_back({item.substr(0, colon), std::atoi(item.c_str() + colon + 1)});
        pos = end + 1;
    }
    return list;
}

double HostCpuMs(int pid) {
    const std::wstring path = L"Z:\\proc\\" + std::to_wstring(pid) + L"\\stat";
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return -1;
    char buf[1024];
    DWORD got = 0;
    const BOOL ok = ReadFile(f, buf, sizeof buf - 1, &got, nullptr);
    CloseHandle(f);
    if (!ok || got == 0) return -1;
    buf[got] = '\0';
    const char* p = std::strrchr(buf, ')');
    if (p == nullptr) return -1;
    // After the command name: state is field 3; utime and stime are fields 14 and 15.
    long long fields[13] = {};
    int k = 0;
    for (++p; k < 13 && *p != '\0';) {
        while (*p == ' ') ++p;
        fields[k++] = std::atoll(p);
        while (*p != ' ' && *p != '\0') ++p;
    }
    static const double tick = [] {
        const char* t = std::getenv("KELVRA_BENCH_CLK_TCK");
        return 1000.0 / (t != nullptr && std::atoi(t) > 0 ? std::atoi(t) : 100);
    }();
    return k == 13 ? static_cast<double>(fields[11] + fields[12]) * tick : -1;
}

std::vector<double> HostCpuSnapshot(const std::vector<Watched>& watched) {
    std::vector<double> v;
    for (const Watched& w : watched) v.push_back(HostCpuMs(w.pid));
    return v;
}

// ---------------------------------------------------------------- start-up in this process

EventHandler g_created = nullptr;
double g_createdBeginMs = 0, g_createdEndMs = 0, g_createdCpuMs = 0;

int32_t TimedCreated(const EventArgs& args) {
    g_createdBeginMs = SinceProcessStartMs();
    const int32_t r = g_created(args);
    g_createdEndMs = SinceProcessStartMs();
    g_createdCpuMs = ProcessCpuMs();
    return r;
}

// The program's bindings with the main window's created handler timed.
std::vector<Binding> TimedBindings() {
    std::vector<Binding> list(ProgramBindings().begin(), ProgramBindings().end());
    for (Binding& b : list) {
        if (b.window == WindowId::Main && b.component == ids::kMainSelf &&
            b.event == EventKind::Created) {
            g_created = b.handler;
            b.handler = &TimedCreated;
        }
    }
    return list;
}

// ---------------------------------------------------------------- spins

struct SpinResult {
    double wallMs;
    double cpuMs;
    std::vector<double> hostCpuMs;
    bool landed;
};

CanvasBox* Wheel() {
    return FindCanvas(WindowId::Main, ids::kMainCanvas);
}

SpinResult RunSpin(int32_t winner, const std::vector<Watched>& watched) {
    Wheel()->SetSpriteAngle(State().pointerSpriteId, 0);
    ProcessPendingEvents();
    const std::vector<double> host0 = HostCpuSnapshot(watched);
    const double cpu0 = ProcessCpuMs();
    const double t0 = NowMs();
    SpinPointer(winner - 1);
    const double t1 = NowMs();
    const double cpu1 = ProcessCpuMs();
    const std::vector<double> host1 = HostCpuSnapshot(watched);
    SpinResult r{t1 - t0,
                 cpu1 - cpu0,
                 {},
                 Wheel()->GetSpriteAngle(State().pointerSpriteId) == 36 * (winner - 1)};
    for (size_t i = 0; i < watched.size(); ++i)
        r.hostCpuMs.push_back(host0[i] < 0 || host1[i] < 0 ? -1 : host1[i] - host0[i]);
    return r;
}

void PrintSpinTable(const std::vector<int32_t>& winners, int reps,
                    const std::vector<Watched>& watched) {
    std::printf(
        "\nSpins (SpinPointer from 0 degrees; ratio = wall / nominal waits; CPU = process "
        "user+kernel per wall second)\n");
    std::printf("%-6s %-4s %9s %10s %7s %7s %8s", "winner", "rep", "nominal", "measured", "ratio",
                "CPU%", "landed");
    for (const Watched& w : watched) std::printf(" %10s%%", w.name.c_str());
    std::printf("\n");
    for (int32_t winner : winners) {
        const double nominal = NominalSpinSeconds(winner) * 1000.0;
        double worstRatio = 0, worstCpu = 0, sumRatio = 0, sumCpu = 0;
        for (int rep = 1; rep <= reps; ++rep) {
            const SpinResult r = RunSpin(winner, watched);
            const double ratio = r.wallMs / nominal;
            const double cpu = 100.0 * r.cpuMs / r.wallMs;
            worstRatio = std::max(worstRatio, ratio);
            worstCpu = std::max(worstCpu, cpu);
            sumRatio += ratio;
            sumCpu += cpu;
            std::printf("%-6d %-4d %7.0fms %8.0fms %7.4f %6.2f%% %8s", winner, rep, nominal,
                        r.wallMs, ratio, cpu, r.landed ? "yes" : "NO");
            for (double h : r.hostCpuMs) {
                if (h < 0)
                    std::printf(" %11s", "n/a");
                else
                    std::printf(" %10.2f%%", 100.0 * h / r.wallMs);
            }
            std::printf("\n");
        }
        std::printf("%-6d %-4s %9s %10s %7.4f %6.2f%%\n", winner, "mean", "", "", sumRatio / reps,
                    sumCpu / reps);
        std::printf("%-6d %-4s %9s %10s %7.4f %6.2f%%   (targets: ratio <= 1.03, CPU <= 5%%)\n",
                    winner, "max", "", "", worstRatio, worstCpu);
    }
}

// ---------------------------------------------------------------- what a spin is made of

template <typename F>
double MeanMs(int n, F f) {
    const double t0 = NowMs();
    for (int i = 0; i < n; ++i) f();
    return (NowMs() - t0) / n;
}

// One spin traced through the wait hook: how long each wait lasted against what it asked for,
// and how long the step between two waits (the pointer's turn and repaint) took.
struct Trace {
    std::vector<double> waitedMs;
    std::vector<int32_t> askedMs;
    std::vector<double> stepMs;
    double lastWaitEnd = 0;
};
Trace g_trace;
void (*g_traceDelay)(int32_t) = &Delay;

void TracedDelay(int32_t ms) {
    const double t = NowMs();
    if (g_trace.lastWaitEnd > 0) g_trace.stepMs.push_back(t - g_trace.lastWaitEnd);
    g_traceDelay(ms);
    g_trace.lastWaitEnd = NowMs();
    g_trace.waitedMs.push_back(g_trace.lastWaitEnd - t);
    g_trace.askedMs.push_back(ms);
}

struct Stats {
    double sum = 0, mean = 0, max = 0, p50 = 0, p90 = 0;
};
Stats StatsOf(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    for (double x : v) s.sum += x;
    s.mean = s.sum / static_cast<double>(v.size());
    std::sort(v.begin(), v.end());
    s.max = v.back();
    s.p50 = v[v.size() / 2];
    s.p90 = v[std::min(v.size() - 1, v.size() * 9 / 10)];
    return s;
}

struct TracedSpin {
    double ratio, cpuPercent;
    std::vector<double> hostCpuPercent;
};

TracedSpin PrintTracedSpin(int32_t winner, const char* label, void (*delay)(int32_t),
                           const std::vector<Watched>& watched) {
    g_trace = Trace{};
    g_traceDelay = delay;
    const SpinHooks hooks{&TracedDelay, nullptr};
    State().spinHooks = hooks;
    Wheel()->SetSpriteAngle(State().pointerSpriteId, 0);
    ProcessPendingEvents();
    const std::vector<double> host0 = HostCpuSnapshot(watched);
    const double cpu0 = ProcessCpuMs();
    const double t0 = NowMs();
    SpinPointer(winner - 1);
    const double wall = NowMs() - t0;
    const double cpu = ProcessCpuMs() - cpu0;
    const std::vector<double> host1 = HostCpuSnapshot(watched);
    State().spinHooks = {};
    std::vector<double> over;
    for (size_t i = 0; i < g_trace.waitedMs.size(); ++i)
        over.push_back(g_trace.waitedMs[i] - g_trace.askedMs[i]);
    const Stats o = StatsOf(over);
    const Stats s = StatsOf(g_trace.stepMs);
    TracedSpin r{wall / (NominalSpinSeconds(winner) * 1000.0), 100.0 * cpu / wall, {}};
    std::printf("%-14s %6d %7.0fms %7.4f %5.2f%%", label, winner, wall, r.ratio, r.cpuPercent);
    for (size_t i = 0; i < watched.size(); ++i) {
        r.hostCpuPercent.push_back(
            host0[i] < 0 || host1[i] < 0 ? -1 : 100.0 * (host1[i] - host0[i]) / wall);
        std::printf(" %5.2f%%", r.hostCpuPercent.back());
    }
    std::printf(" | %5.2f %5.2f %5.2f %6.2f %5.0fms | %5.2f %5.2f %6.2f %5.0fms\n", o.mean, o.p50,
                o.p90, o.max, o.sum, s.mean, s.p90, s.max, s.sum);
    return r;
}

void PrintTraceHeader(const char* title, const std::vector<Watched>& watched) {
    std::printf("\n%s\n", title);
    std::printf("%-14s %6s %9s %7s %6s", "wait", "winner", "measured", "ratio", "CPU");
    for (const Watched& w : watched) std::printf(" %6.6s", w.name.c_str());
    std::printf(" | %-35s | %s\n", "wait overshoot: mean p50 p90 max sum",
                "step between waits: mean p90 max sum");
}

// ---------------------------------------------------------------- candidate waits
// Local replicas of Delay with another way of sleeping, to see what a change would gain.

// The same rule (return once the millisecond counter has passed now + ms, serving events
// meanwhile), but the sleep ends at the instant the counter passes: a message wait's timeout is
// in whole milliseconds and Delay asks one more than it needs, a waitable timer's due time is in
// 100 ns.
void DelayToTheTick(int32_t ms) {
    if (ms <= 0) return;
    static const HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    const int64_t end = TickCountMs() + ms;
    for (;;) {
        ProcessPendingEvents();
        ProcessPendingEvents();
        if (TickCountMs() > end) return;
        const double due = static_cast<double>(end + 1) - NowMs();
        LARGE_INTEGER relative;
        relative.QuadPart = -std::max<LONGLONG>(1, static_cast<LONGLONG>(due * 10000.0 + 0.999));
        SetWaitableTimer(timer, &relative, 0, nullptr, nullptr, FALSE);
        MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// The same rule, sleeping whole milliseconds while at least one is left and yielding the
// processor for the last fraction.
void DelayThenYield(int32_t ms) {
    if (ms <= 0) return;
    const int64_t end = TickCountMs() + ms;
    for (;;) {
        ProcessPendingEvents();
        ProcessPendingEvents();
        if (TickCountMs() > end) return;
        const double due = static_cast<double>(end + 1) - NowMs();
        if (due >= 1.0)
            MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(due), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        else
            Sleep(0);
    }
}

// Not the same rule: every wait ends at the spin's start plus the waits so far, so the time a
// step and an overshoot took is taken off the next wait. Only to show the ceiling.
double g_paceStart = 0;
int64_t g_paceSum = 0;
void DelayPacedFromStart(int32_t ms) {
    if (g_paceSum == 0) g_paceStart = NowMs();
    g_paceSum += ms;
    const double end = g_paceStart + static_cast<double>(g_paceSum);
    for (;;) {
        ProcessPendingEvents();
        const double left = end - NowMs();
        if (left <= 0) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::ceil(left)), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

struct Candidate {
    const char* name;
    void (*delay)(int32_t);
};
constexpr Candidate kCandidates[] = {{"Delay", &Delay},
                                     {"to the tick", &DelayToTheTick},
                                     {"sleep+yield", &DelayThenYield},
                                     {"paced (other)", &DelayPacedFromStart}};

void PrintCandidates(const std::vector<int32_t>& winners, int reps,
                     const std::vector<Watched>& watched) {
    std::printf("\nOne wait of 15 ms with each candidate (mean of 60, 1 ms timer period held)\n");
    FineTimerScope fine;
    for (const Candidate& c : kCandidates) {
        if (c.delay == &DelayPacedFromStart) continue;
        const double cpu0 = ProcessCpuMs();
        const double mean = MeanMs(60, [&] { c.delay(15); });
        std::printf("  %-14s %7.3f ms, CPU %.1f%%\n", c.name, mean,
                    100.0 * (ProcessCpuMs() - cpu0) / (60 * mean));
    }
    PrintTraceHeader("Spins with each candidate wait, interleaved", watched);
    constexpr size_t kCount = std::size(kCandidates);
    std::vector<std::vector<TracedSpin>> results(kCount * winners.size());
    for (int rep = 0; rep < reps; ++rep) {
        for (size_t w = 0; w < winners.size(); ++w) {
            for (size_t c = 0; c < kCount; ++c) {
                g_paceSum = 0;
                results[w * kCount + c].push_back(PrintTracedSpin(winners[w], kCandidates[c].name,
                                                                  kCandidates[c].delay, watched));
            }
        }
    }
    std::printf("\nMeans over %d spins each: ratio / process CPU", reps);
    for (const Watched& w : watched) std::printf(" / %s CPU", w.name.c_str());
    std::printf("\n");
    for (size_t w = 0; w < winners.size(); ++w) {
        for (size_t c = 0; c < kCount; ++c) {
            const std::vector<TracedSpin>& list = results[w * kCount + c];
            double ratio = 0, cpu = 0;
            std::vector<double> host(watched.size(), 0);
            for (const TracedSpin& t : list) {
                ratio += t.ratio / reps;
                cpu += t.cpuPercent / reps;
                for (size_t i = 0; i < host.size(); ++i) host[i] += t.hostCpuPercent[i] / reps;
            }
            std::printf("  winner %2d %-14s %7.4f %6.2f%%", winners[w], kCandidates[c].name, ratio,
                        cpu);
            for (double h : host) std::printf(" %6.2f%%", h);
            std::printf("\n");
        }
    }
}

void PrintWaitCosts() {
    std::printf("\nWaits and steps on this system (means)\n");
    std::printf("  FineTimerScope taken and given back     %7.3f ms\n",
                MeanMs(20, [] { FineTimerScope fine; }));
    std::printf("  Sleep(1)                                %7.3f ms\n",
                MeanMs(100, [] { Sleep(1); }));
    std::printf("  MsgWaitForMultipleObjectsEx(1 ms)       %7.3f ms\n", MeanMs(100, [] {
                    MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                }));
    std::printf("  MsgWaitForMultipleObjectsEx(15 ms)      %7.3f ms\n", MeanMs(30, [] {
                    MsgWaitForMultipleObjectsEx(0, nullptr, 15, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                }));
    {
        FineTimerScope fine;
        std::printf(
            "  same, 1 ms timer period held (1 / 15)   %7.3f / %.3f ms\n",
            MeanMs(100,
                   [] {
                       MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                   }),
            MeanMs(30, [] {
                MsgWaitForMultipleObjectsEx(0, nullptr, 15, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            }));
        std::printf("  Delay(15)                               %7.3f ms\n",
                    MeanMs(30, [] { Delay(15); }));
        std::printf("  ProcessPendingEvents() on an empty queue %6.3f ms\n",
                    MeanMs(1000, [] { ProcessPendingEvents(); }));
    }
    CanvasBox* wheel = Wheel();
    const int32_t pointer = State().pointerSpriteId;
    wheel->SetSpriteAngle(pointer, 0);
    const double cpu0 = ProcessCpuMs();
    const double step = MeanMs(100, [&] { wheel->RotateSprite(pointer, 36); });
    const double cpu = (ProcessCpuMs() - cpu0) / 100;
    std::printf("  RotateSprite(pointer, 36), with repaint %7.3f ms wall, %.3f ms CPU\n", step,
                cpu);
    const double cpu1 = ProcessCpuMs();
    const double painted = MeanMs(100, [&] {
        wheel->RotateSprite(pointer, 36);
        UpdateWindow(wheel->hwnd());
    });
    std::printf("  the same and its paint (%d x %d canvas) %6.3f ms wall, %.3f ms CPU\n",
                wheel->canvas()->Width(), wheel->canvas()->Height(), painted,
                (ProcessCpuMs() - cpu1) / 100);
    wheel->SetSpriteAngle(pointer, 0);
    std::printf(
        "  ScriptTimeMs() (script clock)           %7.3f ms (%s)\n",
        MeanMs(5, [] { ScriptTimeMs(); }),
        ScriptTimeMs() != 0 ? "gives the time" : "no script component: the clock falls back");
    std::printf("  SystemTimeMs()                          %7.4f ms\n",
                MeanMs(1000, [] { SystemTimeMs(); }));
}

// ---------------------------------------------------------------- the real program as a process

struct LaunchResult {
    bool ok = false;
    double fromCallMs = 0;      // CreateProcess called -> main window visible
    double fromCreationMs = 0;  // the child's creation time -> main window visible
};

HWND VisibleWindowOf(DWORD pid, const std::wstring& caption) {
    for (HWND h = FindWindowW(nullptr, caption.c_str()); h != nullptr;
         h = FindWindowExW(nullptr, h, nullptr, caption.c_str())) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid && IsWindowVisible(h)) return h;
    }
    return nullptr;
}

LaunchResult LaunchOnce(const std::wstring& exe, const std::wstring& dir,
                        const std::wstring& caption) {
    LaunchResult r;
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double t0 = NowMs();
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                        &pi))
        return r;
    HWND main = nullptr;
    while (NowMs() - t0 < 30000 && (main = VisibleWindowOf(pi.dwProcessId, caption)) == nullptr) {
        if (WaitForSingleObject(pi.hProcess, 2) == WAIT_OBJECT_0) break;
    }
    const double t1 = NowMs();
    const int64_t seen = SystemTicks();
    if (main != nullptr) {
        r.ok = true;
        r.fromCallMs = t1 - t0;
        r.fromCreationMs = static_cast<double>(seen - CreationTicks(pi.hProcess)) / 10000.0;
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return r;
}

void PrintLaunches(int launches, const std::wstring& tempRoot) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring source = self;
    source = source.substr(0, source.rfind(L'\\')) + L"\\kelvra.exe";
    const std::wstring dir = tempRoot + L"\\launch";
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring exe = dir + L"\\kelvra.exe";
    if (!CopyFileW(source.c_str(), exe.c_str(), FALSE)) {
        std::printf("\nkelvra.exe not found beside the bench; no launches\n");
        RemoveDirectoryW(dir.c_str());
        return;
    }
    const std::wstring caption = GbkToWide(MainWindowDef().caption);
    std::printf("\nkelvra.exe started %d times (polling for its visible main window every 2 ms)\n",
                launches);
    std::printf("%-4s %22s %26s\n", "run", "CreateProcess->visible", "process creation->visible");
    for (int i = 1; i <= launches; ++i) {
        const LaunchResult r = LaunchOnce(exe, dir, caption);
        if (r.ok)
            std::printf("%-4d %20.0fms %24.0fms\n", i, r.fromCallMs, r.fromCreationMs);
        else
            std::printf("%-4d %22s\n", i, "no window");
    }
    DeleteFileW(exe.c_str());
    DeleteFileW((dir + L"\\peizhi.ini").c_str());
    RemoveDirectoryW(dir.c_str());
}

// ---------------------------------------------------------------- options

struct Options {
    int reps = 3;
    std::vector<int32_t> winners{1, 5, 10};
    int launches = 3;
    bool trace = true;
    bool candidates = false;
    bool fullScreen = false;
};

Options ParseOptions(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a.rfind(L"--reps=", 0) == 0) o.reps = std::max(1, _wtoi(a.c_str() + 7));
        if (a.rfind(L"--launches=", 0) == 0) o.launches = std::max(0, _wtoi(a.c_str() + 11));
        if (a == L"--no-trace") o.trace = false;
        if (a == L"--candidates") o.candidates = true;
        if (a == L"--full-screen") o.fullScreen = true;
        if (a.rfind(L"--winners=", 0) == 0) {
            o.winners.clear();
            for (const wchar_t* p = a.c_str() + 10; *p != L'\0';) {
                const int w = _wtoi(p);
                if (w >= 1 && w <= 10) o.winners.push_back(w);
                while (*p != L'\0' && *p != L',') ++p;
                if (*p == L',') ++p;
            }
        }
    }
    return o;
}

int Run(int argc, wchar_t** argv) {
    SinceProcessStartMs();
    const Options options = ParseOptions(argc, argv);

    // The program's own start, as RunProgram does it, in an empty folder: no configuration file.
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring dir =
        std::wstring(tmp) + L"kelvra-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    SetCurrentDirectoryW(dir.c_str());
    State();
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    const std::vector<Binding> bindings = TimedBindings();
    InitWindowSystem(GetModuleHandleW(nullptr), bindings);
    const double beforeLoad = SinceProcessStartMs();
    const bool loaded = LoadWindow(kMain);
    const double afterLoad = SinceProcessStartMs();
    const double cpuAfterLoad = ProcessCpuMs();
    if (!loaded || Wheel() == nullptr) {
        std::printf("the main window did not load\n");
        return 1;
    }
    std::printf("Start-up in this process (milliseconds since the process was created)\n");
    std::printf("  LoadWindow(main) called                 %8.1f\n", beforeLoad);
    std::printf("  created handler begins                  %8.1f\n", g_createdBeginMs);
    std::printf(
        "  OnMainWindowCreated done                %8.1f   (handler %.1f ms; process CPU so far "
        "%.0f ms)\n",
        g_createdEndMs, g_createdEndMs - g_createdBeginMs, g_createdCpuMs);
    std::printf("  LoadWindow(main) returned, window shown %8.1f   (process CPU so far %.0f ms)\n",
                afterLoad, cpuAfterLoad);

    if (options.fullScreen) {
        // As F11 does it: the window and the wheel made again at the monitor's size, and the
        // pointer's turned pictures made at that size.
        const double t0 = NowMs();
        OnMainWindowKey(VK_F11);
        const double t1 = NowMs();
        ProcessPendingEvents();
        const double t2 = NowMs();
        // As an operator would, a moment before the first press: what the program does at idle
        // after F11 (the pointer's turns) is done by then.
        for (const double until = NowMs() + 300; NowMs() < until;) {
            ProcessPendingEvents();
            Sleep(5);
        }
        RECT r;
        GetClientRect(FindLoadedWindow(kMain)->hwnd(), &r);
        std::printf(
            "  full screen: %ld x %ld pixels; F11 took %.1f ms, its first paint %.1f ms more\n",
            r.right, r.bottom, t1 - t0, t2 - t1);
    }

    const std::vector<Watched> watched = WatchedProcesses();
    PrintSpinTable(options.winners, options.reps, watched);

    if (options.trace) {
        PrintTraceHeader("One spin per winner traced through the wait hook (the program's Delay)",
                         watched);
        for (int32_t winner : options.winners) PrintTracedSpin(winner, "Delay", &Delay, watched);
    }
    PrintWaitCosts();
    if (options.candidates) PrintCandidates(options.winners, options.reps, watched);

    if (LoadedWindow* main = FindLoadedWindow(kMain)) DestroyWindow(main->hwnd());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    ResetStateForTesting();
    SetCurrentDirectoryW(tmp);
    if (options.launches > 0) PrintLaunches(options.launches, dir);
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
