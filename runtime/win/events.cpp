#include "runtime/win/events.h"

#include <mmsystem.h>

#include "runtime/layer_state.h"
#include "runtime/win/system_library.h"

namespace kelvra {

namespace {
EventPumpState& Pump() {
    return LayerState<EventPumpState>();
}
}  // namespace

void SetPreTranslate(PreTranslateFn fn) {
    Pump().preTranslate = fn;
}

void DispatchMessageOf(MSG& msg) {
    if (PreTranslateFn fn = Pump().preTranslate; fn != nullptr && fn(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void ProcessPendingEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) return;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return;
        // PM_NOREMOVE and PM_REMOVE can see different heads when a sent message slipped in.
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchMessageOf(msg);
    }
}

int64_t TickCountUs() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<int64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const int64_t ticks = now.QuadPart;
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}

int64_t TickCountMs() {
    return TickCountUs() / 1000;
}

void Delay(int32_t ms) {
    if (ms <= 0) return;
    const int64_t end = TickCountMs() + ms;
    // The instant the millisecond counter passes `end`: sleep on the queue until about then,
    // then yield for the last fraction, so a wait overshoots by a fraction of a millisecond
    // rather than by whole timer periods.
    const int64_t dueUs = (end + 1) * 1000;
    for (;;) {
        ProcessPendingEvents();
        if (TickCountMs() > end) return;
        const int64_t leftUs = dueUs - TickCountUs();
        if (leftUs >= 1000) {
            MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(leftUs / 1000), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        } else {
            Sleep(0);
        }
    }
}

namespace {

// The multimedia library is loaded at the first spin, not with the program: it costs start-up.
using TimerPeriodFn = MMRESULT(WINAPI*)(UINT);
TimerPeriodFn TimerPeriod(const char* name) {
    return SystemFunction<TimerPeriodFn>(L"winmm.dll", name);
}

}  // namespace

FineTimerScope::FineTimerScope() {
    static const TimerPeriodFn begin = TimerPeriod("timeBeginPeriod");
    active_ = begin != nullptr && begin(1) == TIMERR_NOERROR;
}
FineTimerScope::~FineTimerScope() {
    static const TimerPeriodFn end = TimerPeriod("timeEndPeriod");
    if (active_ && end != nullptr) end(1);
}

int RunMessageLoop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        DispatchMessageOf(msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace kelvra
