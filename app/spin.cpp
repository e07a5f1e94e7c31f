#include "app/spin.h"

#include "app/clock.h"
#include "app/state.h"
#include "runtime/win/events.h"
#include "ui/controls/canvas_box.h"
#include "ui/model/ids.h"
#include "ui/property_access.h"
#include "wheel/spin_rules.h"

namespace kelvra {

namespace {

void Wait(int32_t ms) {
    if (auto delay = State().spinHooks.delay) return delay(ms);
    Delay(ms);
}

int64_t Now() {
    if (auto clock = State().spinHooks.clock) return clock();
    return CurrentTimeMs();
}

// Looked up afresh at every step: closing the main window mid-spin takes the canvas away, and
// the spin then simply ends.
CanvasBox* WheelCanvas() {
    return FindCanvas(WindowId::Main, ids::kMainCanvas);
}

}  // namespace

void OnStartPressed(int32_t, int32_t, int32_t) {
    // A press still queued when the main window closes would otherwise spin a hidden wheel
    // while the window is being destroyed.
    if (LoadedWindow* main = FindLoadedWindow(WindowId::Main); main == nullptr || main->closing())
        return;
    // Disabling the start control stops new presses, but a second press of a quick double click
    // may already be queued for it: it must not start a spin inside the spin.
    if (State().spinning) return;
    State().spinning = true;
    WriteDisabled(WindowId::Main, ids::kMainStart, true);
    PickPrize();
}

void OnStartReleased(int32_t, int32_t, int32_t) {
    ProcessPendingEvents();
}

void PickPrize() {
    const int32_t r = PickValue(Now(), State().startTimeMs);
    SpinPointer(FindWinner(State().prizeTable, r) - 1);
}

void SpinPointer(int32_t index) {
    ProgramState& s = State();
    s.spinning = true;
    FineTimerScope fineTimer;
    ProcessPendingEvents();
    if (CanvasBox* canvas = WheelCanvas()) {
        const SpinPlan plan = PlanSpin(canvas->GetSpriteAngle(s.pointerSpriteId), index);
        if (plan.snapTurn != 0) canvas->RotateSprite(s.pointerSpriteId, plan.snapTurn);
        for (const int32_t wait : plan.waits) {
            if ((canvas = WheelCanvas()) == nullptr) break;
            canvas->RotateSprite(s.pointerSpriteId, 36);
            Wait(wait);
        }
    }
    s.spinning = false;
    if (FindLoadedWindow(WindowId::Main) != nullptr)
        WriteDisabled(WindowId::Main, ids::kMainStart, false);
}

}  // namespace kelvra
