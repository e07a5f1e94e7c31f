#include "wheel/spin_rules.h"

#include <numeric>

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

std::vector<int32_t> StepWaits(int32_t steps) {
    std::vector<int32_t> waits;
    int32_t wait = kInitialWait;
    for (int32_t step = 1; step <= steps; ++step) {
        waits.push_back(wait);
        // The pointer slows down: each step from the 32nd on waits 2 ms longer than the one
        // before, and from the 42nd on 8 ms longer.
        if (step > kFirstSlowDown) wait += 2;
        if (step > kSecondSlowDown) wait += 6;
    }
    return waits;
}

SpinPlan PlanSpin(int32_t currentAngle, int32_t index) {
    const int32_t snap = currentAngle == 0 ? 0 : TruncateToInt32(kFullTurn - currentAngle);
    return {snap, StepWaits(StepCount(index))};
}

double NominalSpinSeconds(int32_t winner) {
    const std::vector<int32_t> waits = PlanSpin(0, winner - 1).waits;
    return double(std::accumulate(waits.begin(), waits.end(), int64_t{0})) / 1000.0;
}

}  // namespace kelvra
