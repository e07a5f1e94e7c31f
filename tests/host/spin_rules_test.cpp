// The pick, the winner and the pointer's schedule: fairness over every pick value, the limits of
// odd rate sets, and the timing of each winner's spin.
#include "wheel/spin_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace kelvra {
namespace {

using Rates = std::array<int32_t, 10>;

// Ranges as the loader builds them: low = rates before + 1, high = rates up to and including.
PrizeTable TableOf(const Rates& rates) {
    PrizeTable table;
    int32_t sum = 0;
    for (size_t i = 0; i < 10; ++i) {
        table[i].rate = rates[i];
        table[i].low = sum + 1;
        sum += rates[i];
        table[i].high = sum;
    }
    return table;
}

// wins[k] = how many pick values 1..100 prize k wins; wins[0] counts picks nobody wins.
std::array<int, 11> WinsOverAllPicks(const PrizeTable& table) {
    std::array<int, 11> wins{};
    for (int32_t r = 1; r <= 100; ++r) ++wins[FindWinner(table, r)];
    return wins;
}

TEST(PickValue, LastTwoDigitsOfTheElapsedTimePlusOne) {
    constexpr int64_t start = 1'765'432'109'876;
    struct Case {
        const char* name;
        int64_t elapsed;
        int32_t expected;
    } cases[] = {
        {"at start", 0, 1},
        {"ends in 00", 123'400, 1},
        {"ends in 99", 123'499, 100},
        {"ends in 50", 7'750, 51},
        {"one second", 1'000, 1},
        {"clock back to a multiple of 100", -300, 1},
        {"clock back by 1", -1, 0},
        {"clock back by 50", -50, -49},
        {"clock back by 99", -199, -98},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PickValue(start + c.elapsed, start), c.expected) << c.name;
}

// Each pick goes to the prize whose range holds it, and each prize wins its rate of the picks.
TEST(FindWinner, EveryPrizeWinsExactlyItsRateOfTheHundredPicks) {
    const Rates rateSets[] = {
        {0, 20, 1, 25, 15, 0, 1, 5, 30, 3}, {10, 10, 10, 10, 10, 10, 10, 10, 10, 10},
        {100, 0, 0, 0, 0, 0, 0, 0, 0, 0},   {0, 0, 0, 0, 0, 0, 0, 0, 0, 100},
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 55},    {0, 0, 0, 50, 0, 0, 0, 0, 0, 50},
    };
    for (const Rates& rates : rateSets) {
        const PrizeTable table = TableOf(rates);
        for (int32_t r = 1; r <= 100; ++r) {
            const int32_t k = FindWinner(table, r);
            ASSERT_TRUE(k >= 1 && k <= 10)
                << "rates that add up to 100 leave no pick without a winner";
            EXPECT_TRUE(table[k - 1].low <= r && r <= table[k - 1].high) << "r = " << r;
        }
        const std::array<int, 11> wins = WinsOverAllPicks(table);
        for (size_t k = 1; k <= 10; ++k) EXPECT_EQ(wins[k], rates[k - 1]) << "prize " << k;
    }
}

TEST(FindWinner, GapsAndExcessesAtTheLimits) {
    const PrizeTable sixty = TableOf({10, 10, 10, 10, 10, 10, 0, 0, 0, 0});
    EXPECT_EQ(FindWinner(sixty, 60), 6);
    EXPECT_EQ(FindWinner(sixty, 61), 0);
    EXPECT_EQ(FindWinner(sixty, 75), 0);
    EXPECT_EQ(WinsOverAllPicks(sixty)[0], 40);

    const PrizeTable zeros = TableOf({});
    EXPECT_EQ(WinsOverAllPicks(zeros)[0], 100);

    const std::array<int, 11> over = WinsOverAllPicks(TableOf({50, 60, 30, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(over[1], 50);
    EXPECT_EQ(over[2], 50) << "the range that crosses 100 is cut short";
    EXPECT_EQ(over[3], 0) << "a range starting above 100 never wins";

    const PrizeTable defaults = TableOf({0, 20, 1, 25, 15, 0, 1, 5, 30, 3});
    EXPECT_EQ(FindWinner(defaults, 0), 0);
    EXPECT_EQ(FindWinner(defaults, -49), 0);
    EXPECT_EQ(FindWinner(defaults, 101), 0);
}

TEST(FindWinner, OverlapFromANegativeRateGoesToTheLowerPrize) {
    // Prize 1 holds 1..10, prize 2 is empty (11..5), prize 3 holds 6..25, prize 4 26..100.
    const PrizeTable table = TableOf({10, -5, 20, 75, 0, 0, 0, 0, 0, 0});
    for (int32_t r = 1; r <= 10; ++r) EXPECT_EQ(FindWinner(table, r), 1) << "r = " << r;
    for (int32_t r = 11; r <= 25; ++r) EXPECT_EQ(FindWinner(table, r), 3) << "r = " << r;
    EXPECT_EQ(FindWinner(table, 26), 4);

    // A negative first rate pushes the next low below 1: a pick of 0 can win then.
    const PrizeTable pushed = TableOf({-5, 105, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(FindWinner(pushed, 0), 2);
    EXPECT_EQ(FindWinner(pushed, -4), 2);
    EXPECT_EQ(FindWinner(pushed, -5), 0);
}

// The waits grow by 2 ms a step after step 31 and by 8 ms after step 41: every step of every
// winner's spin counts in its length. The plan the spin walks is the one whose waits add up.
TEST(SpinSchedule, EachWinnerHasItsStepsLastWaitAndLength) {
    struct Case {
        int32_t winner, steps, lastWait;
        double seconds;
    } cases[] = {
        {1, 70, 267, 5.220}, {2, 71, 275, 5.495},  {3, 72, 283, 5.778}, {4, 73, 291, 6.069},
        {5, 74, 299, 6.368}, {6, 75, 307, 6.675},  {7, 76, 315, 6.990}, {8, 77, 323, 7.313},
        {9, 78, 331, 7.644}, {10, 79, 339, 7.983},
    };
    for (const Case& c : cases) {
        const std::vector<int32_t> waits = PlanSpin(216, c.winner - 1).waits;
        ASSERT_EQ(waits.size(), static_cast<size_t>(c.steps)) << "winner " << c.winner;
        EXPECT_EQ(waits.front(), 15) << "winner " << c.winner;
        EXPECT_EQ(waits.back(), c.lastWait) << "winner " << c.winner;
        EXPECT_NEAR(NominalSpinSeconds(c.winner), c.seconds, 1e-9) << "winner " << c.winner;
    }
    const std::vector<int32_t> tenth = PlanSpin(0, 9).waits;
    EXPECT_EQ((std::vector<int32_t>{tenth[29], tenth[30], tenth[31], tenth[40], tenth[41]}),
              (std::vector<int32_t>{15, 15, 17, 35, 43}))
        << "steps 30, 31, 32, 41 and 42: the 32nd waits longer first, the 42nd 8 ms more";
    EXPECT_TRUE(PlanSpin(0, -1).waits.empty()) << "no winner: no steps";
    EXPECT_TRUE(PlanSpin(0, 10).waits.empty());
    EXPECT_EQ(NominalSpinSeconds(0), 0.0);
}

TEST(PlanSpin, SnapsBackToZeroThenEndsOnTheWinnersSector) {
    EXPECT_EQ(PlanSpin(0, 0).snapTurn, 0);
    EXPECT_EQ(PlanSpin(216, 0).snapTurn, 144);
    EXPECT_EQ(PlanSpin(1, 0).snapTurn, 359);
    EXPECT_TRUE(PlanSpin(324, -1).waits.empty()) << "no winner: only the snap back";
    for (int32_t angle = 0; angle < 360; ++angle) {
        for (int32_t index = 0; index <= 9; ++index) {
            const SpinPlan plan = PlanSpin(angle, index);
            ASSERT_EQ((angle + plan.snapTurn) % 360, 0) << angle;
            const auto steps = static_cast<int32_t>(plan.waits.size());
            ASSERT_EQ(steps * 36 % 360, 36 * index) << index;
            ASSERT_GE(steps, 70) << "at least seven full turns";
        }
    }
}

}  // namespace
}  // namespace kelvra
