#pragma once
// The event pump: messages dispatched, the tick counters, and Delay, which serves them as it waits.

#include <windows.h>

#include <cstdint>

namespace kelvra {

// The application's handling of one retrieved message: keyboard pre-translation (Esc, Enter,
// F1 in the program's windows), then translate and dispatch.
void DispatchMessageOf(MSG& msg);

// Dispatches every queued message; a WM_QUIT at the head of the queue stays queued.
void ProcessPendingEvents();

// Monotonic tick counters from the performance counter (not the coarse system tick).
int64_t TickCountUs();
int64_t TickCountMs();

// Serves window events until strictly more than `ms` milliseconds have passed on the tick
// counter, sleeping on the message queue in between.
void Delay(int32_t ms);

// Holds a 1 ms timer resolution while alive, so short waits keep their length.
class FineTimerScope {
  public:
    FineTimerScope();
    ~FineTimerScope();
    FineTimerScope(const FineTimerScope&) = delete;
    FineTimerScope& operator=(const FineTimerScope&) = delete;

  private:
    bool active_;
};

// Runs the message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Hook for the window layer's keyboard pre-translation: returns true when it consumed the
// message. Set by the window layer; null means none.
using PreTranslateFn = bool (*)(MSG& msg);
void SetPreTranslate(PreTranslateFn fn);

// What the event pump keeps; the program owns it (LayerState).
struct EventPumpState {
    PreTranslateFn preTranslate = nullptr;
};

}  // namespace kelvra
