#pragma once
#include <cstdint>

namespace kelvra {

// Builds the wheel on the canvas of the wheel page: plate, pointer, hub and the ten prize names
// turned into their sectors. A second call adds a complete new set over the old one.
void DrawWheel();
// The main window is being destroyed: the plate and the pointer leave the canvas.
void OnMainWindowDestroyed();

// A press on the start control: disable it, pick the winner and spin to it.
void OnStartPressed(int32_t x, int32_t y, int32_t keys);
void OnStartReleased(int32_t x, int32_t y, int32_t keys);
void PickPrize();
void SpinPointer(int32_t index);

// Whether a spin is running now.
bool Spinning();

// Test hooks: what a spin waits with and reads the time from. Null restores the real ones.
struct SpinHooks {
    void (*delay)(int32_t ms);
    int64_t (*clock)();
};
void SetSpinHooksForTesting(const SpinHooks* hooks);

}  // namespace kelvra
