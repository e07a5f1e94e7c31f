#pragma once
// The arithmetic of a spin: the pick from the clock, the winner, and the pointer's step and wait
// schedule. The window side only turns the sprite and waits.

#include <cstdint>
#include <vector>

#include "config/prize_table.h"

namespace kelvra {

// 1..100 from the last two decimal digits of the elapsed milliseconds; 0 or less when the clock
// went back.
int32_t PickValue(int64_t nowMs, int64_t startMs);
// The first prize (1..10) whose range holds r, 0 when none does.
int32_t FindWinner(const PrizeTable& table, int32_t r);
// Steps of 36 degrees for the winner at `index` (winner - 1): seven turns plus `index` sectors;
// 0 for no winner.
int32_t StepCount(int32_t index);
// The pointer's schedule: the milliseconds it waits after each of `steps` steps, in order.
std::vector<int32_t> StepWaits(int32_t steps);

struct SpinPlan {
    int32_t snapTurn;  // turn that brings the pointer back to 0 degrees first, 0 when already there
    std::vector<int32_t> waits;  // one step of 36 degrees for each, then that wait
};
SpinPlan PlanSpin(int32_t currentAngle, int32_t index);

// The waits of a whole spin for winner 1..10 added up, in seconds; 0 for no winner.
double NominalSpinSeconds(int32_t winner);

}  // namespace kelvra
