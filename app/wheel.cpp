#include "app/wheel.h"

#include "app/clock.h"
#include "app/globals.h"
#include "runtime/text.h"
#include "runtime/win/events.h"
#include "ui/components.h"
#include "ui/model/ids.h"
#include "wheel/spin_rules.h"

namespace kelvra {

namespace {

struct LabelPlace {
    int left, top;
};
constexpr LabelPlace kLabelPlaces[10] = {{210, 60},  {320, 95},  {390, 185}, {395, 305},
                                         {325, 400}, {210, 440}, {100, 405}, {30, 305},
                                         {30, 195},  {100, 100}};

bool g_spinning = false;
const SpinHooks* g_hooks = nullptr;

void Wait(int32_t ms) {
    if (g_hooks != nullptr && g_hooks->delay != nullptr) return g_hooks->delay(ms);
    Delay(ms);
}

int64_t Now() {
    if (g_hooks != nullptr && g_hooks->clock != nullptr) return g_hooks->clock();
    return CurrentTimeMs();
}

CanvasBox* WheelCanvas() {
    return FindCanvas(WindowId::Main, ids::kMainCanvas);
}

const SpriteTemplate& Template(int32_t id) {
    static const SpriteTemplate none;
    const SpriteTemplate* t = FindTemplate(WindowId::Main, id);
    return t != nullptr ? *t : none;
}

void SetStartDisabled(bool disabled) {
    WriteNumber(WindowId::Main, ids::kMainStart, 6, -1, disabled ? 1 : 0);
}

}  // namespace

bool Spinning() {
    return g_spinning;
}

void SetSpinHooksForTesting(const SpinHooks* hooks) {
    g_hooks = hooks;
}

void DrawWheel() {
    CanvasBox* canvas = WheelCanvas();
    if (canvas == nullptr) return;
    Globals& g = G();
    g.plateSpriteId = canvas->AddSprite(Template(ids::kMainPlate), 25, 25, true);
    g.pointerSpriteId = canvas->AddSprite(Template(ids::kMainPointer), 195, 110, true);
    canvas->AddSprite(Template(ids::kMainHub), 205, 205, true);

    WriteText(WindowId::Main, ids::kMainText, 8, g.prizeTable[0].name);
    WriteProperty(static_cast<int32_t>(WindowId::Main), ids::kMainText, 9, 6,
                  PropertyValue::Text("宋体"));
    WriteNumber(WindowId::Main, ids::kMainText, 9, 5, 18);
    WriteNumber(WindowId::Main, ids::kMainText, 10, -1, 0);
    g.labelSpriteIds[0] =
        canvas->AddSprite(Template(ids::kMainText), kLabelPlaces[0].left, kLabelPlaces[0].top);
    for (int k = 2; k <= 10; ++k) {
        WriteText(WindowId::Main, ids::kMainText, 8, g.prizeTable[k - 1].name);
        const int id = canvas->AddSprite(Template(ids::kMainText), kLabelPlaces[k - 1].left,
                                         kLabelPlaces[k - 1].top);
        g.labelSpriteIds[k - 1] = id;
        canvas->RotateSprite(id, 36 * (k - 1));
    }
}

void OnMainWindowDestroyed() {
    ProcessPendingEvents();
    if (CanvasBox* canvas = WheelCanvas()) {
        canvas->RemoveSprites({G().plateSpriteId});
        canvas->RemoveSprites({G().pointerSpriteId});
    }
}

void OnStartPressed(int32_t, int32_t, int32_t) {
    // A press still queued when the main window closes would otherwise spin a hidden wheel
    // while the window is being destroyed.
    if (LoadedWindow* main = FindLoadedWindow(WindowId::Main); main == nullptr || main->closing())
        return;
    // Disabling the start control stops new presses, but a second press of a quick double click
    // may already be queued for it: it must not start a spin inside the spin.
    if (g_spinning) return;
    g_spinning = true;
    SetStartDisabled(true);
    PickPrize();
}

void OnStartReleased(int32_t, int32_t, int32_t) {
    ProcessPendingEvents();
}

void PickPrize() {
    const int64_t now = Now();
    const int32_t r = PickValue(now, G().startTimeMs);
    const int32_t winner = FindWinner(G().prizeTable, r);
    SpinPointer(winner - 1);
}

void SpinPointer(int32_t index) {
    g_spinning = true;
    FineTimerScope fineTimer;
    ProcessPendingEvents();
    // The canvas is looked up afresh at every step: closing the main window mid-spin takes it
    // away, and the spin then simply ends.
    CanvasBox* canvas = WheelCanvas();
    if (canvas != nullptr) {
        const int32_t a = canvas->GetSpriteAngle(G().pointerSpriteId);
        if (a != 0) {
            const int32_t v = canvas->GetSpriteAngle(G().pointerSpriteId);
            canvas->RotateSprite(G().pointerSpriteId, TruncateToInt32(360.0 - v));
        }
        int32_t d = 15;
        const int32_t n = StepCount(index);
        for (int32_t i = 1; i <= n; ++i) {
            canvas = WheelCanvas();
            if (canvas == nullptr) break;
            canvas->RotateSprite(G().pointerSpriteId, 36);
            Wait(d);
            if (i > 30) d += 2;
            if (i > 40) d += 6;
        }
    }
    g_spinning = false;
    if (FindLoadedWindow(WindowId::Main) != nullptr) SetStartDisabled(false);
}

}  // namespace kelvra
