#include "wheel/spin_rules.h"

#include "runtime/text.h"

namespace kelvra {

namespace {

constexpr double kPickModulus = 100.0;
constexpr double kPickOffset = 1.0;
constexpr double kBaseSteps = 70.0;
constexpr double kFullTurn = 360.0;
constexpr int32_t kInitialWait = 15;
constexpr int32_t kFirstSlowDown = 30;
constexpr int32_t kSecondSlowDown = 40;

}  // namespace

int32_t PickValue(int64_t nowMs, int64_t startMs) {
    const double elapsed = double(nowMs) - double(startMs);
    return TruncateToInt32(Remainder(elapsed, kPickModulus) + kPickOffset);
}

int32_t FindWinner(const PrizeTable& table, int32_t r) {
    for (int32_t i = 1; i <= 10; ++i) {
        const PrizeEntry& entry = table[i - 1];
        if (entry.low <= r && r <= entry.high) return i;
    }
    return 0;
}

int32_t StepCount(int32_t index) {
    if (index < 0 || index > 9) return 0;
    return TruncateToInt32(index + kBaseSteps);
}

int32_t WaitAfterStep(int32_t i) {
    // The wait grows after a step, so step i waits what steps 1..i-1 have added.
    const int32_t earlier = i - 1;
    int32_t wait = kInitialWait;
    if (earlier > kFirstSlowDown) wait += 2 * (earlier - kFirstSlowDown);
    if (earlier > kSecondSlowDown) wait += 6 * (earlier - kSecondSlowDown);
    return wait;
}

SpinPlan PlanSpin(int32_t currentAngle, int32_t index) {
    const int32_t snap = currentAngle == 0 ? 0 : TruncateToInt32(kFullTurn - currentAngle);
    return {snap, StepCount(index)};
}

double NominalSpinSeconds(int32_t winner) {
    const int32_t steps = StepCount(winner - 1);
    int64_t totalMs = 0;
    for (int32_t i = 1; i <= steps; ++i) totalMs += WaitAfterStep(i);
    return double(totalMs) / 1000.0;
}

}  // namespace kelvra
