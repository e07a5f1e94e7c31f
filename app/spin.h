#pragma once
// The spin: a press on the hub, the pick of the winner and the pointer turning to it.

#include <cstdint>

namespace kelvra {

// A press on the start control: disable it, pick the winner and spin to it. Returns when the
// pointer has stopped.
void OnStartPressed(int32_t x, int32_t y, int32_t keys);
void OnStartReleased(int32_t x, int32_t y, int32_t keys);
// The winner from the clock and the rates, then the spin to it.
void PickPrize();
// Turns the pointer to the winner at `index` (winner - 1) on the slowing schedule; a winner of
// 0 (index -1) only brings the pointer back to the top.
void SpinPointer(int32_t index);

}  // namespace kelvra
