#pragma once
// Everything the program keeps while it runs, in one place: the prize table and the wheel's
// sprite ids, the start time and hot key, the running rate total, the spin, and what the lower
// layers keep for the program (its windows, hot keys, message hook, skin and pictures).

#include <array>
#include <cstdint>

#include "config/prize_table.h"
#include "runtime/win/events.h"
#include "runtime/win/hotkey.h"
#include "ui/pictures.h"
#include "ui/skin.h"
#include "ui/window.h"

namespace kelvra {

// Test hooks: what a spin waits with and reads the time from; null members use the real ones.
struct SpinHooks {
    void (*delay)(int32_t ms) = nullptr;
    int64_t (*clock)() = nullptr;
};

struct ProgramState {
    PrizeTable prizeTable{};
    std::array<int32_t, 10> labelSpriteIds{};
    int32_t plateSpriteId = 0;
    int32_t pointerSpriteId = 0;
    int64_t startTimeMs = 0;
    int32_t hotKeyId = 0;
    int32_t currentRateTotal = 0;

    bool spinning = false;
    SpinHooks spinHooks;

    // What the lower layers keep for the program, each reached there with LayerState<T>().
    WindowRegistry windows;
    HotKeyState hotKeys;
    EventPumpState eventPump;
    SkinTheme skin;
    PictureCache pictures;
};

// The program's state. On first use it binds its parts to the lower layers (BindLayerState).
ProgramState& State();

// Closes every window the program has open and starts again from a fresh state, as a new
// process would, with no program folder and no picture made yet; the window classes, the
// keyboard pre-translation and the handlers stay as InitWindowSystem set them, once per
// process.
void ResetStateForTesting();

}  // namespace kelvra
