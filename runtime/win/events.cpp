#include "runtime/win/events.h"

#include <mmsystem.h>

namespace kelvra {

namespace {
PreTranslateFn g_preTranslate = nullptr;
}

void SetPreTranslate(PreTranslateFn fn) {
    g_preTranslate = fn;
}

void DispatchMessageOf(MSG& msg) {
    if (g_preTranslate != nullptr && g_preTranslate(msg)) return;
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

int64_t TickCountMs() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<int64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<int64_t>(now.QuadPart / frequency * 1000 +
                                now.QuadPart % frequency * 1000 / frequency);
}

void Delay(int32_t ms) {
    if (ms <= 0) return;
    const int64_t end = TickCountMs() + ms;
    for (;;) {
        ProcessPendingEvents();
        ProcessPendingEvents();
        const int64_t now = TickCountMs();
        if (now > end) return;
        // Sleep until input arrives or the tick counter has passed `end`, instead of spinning.
        const auto wait = static_cast<DWORD>(end - now + 1);
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

FineTimerScope::FineTimerScope() : active_(timeBeginPeriod(1) == TIMERR_NOERROR) {}
FineTimerScope::~FineTimerScope() {
    if (active_) timeEndPeriod(1);
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
