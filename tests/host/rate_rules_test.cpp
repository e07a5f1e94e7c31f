// The rate window's rules: the running total, its caption and colour, and what a failed save
// says. What the boxes accept and keep is in edit_rules_test.
#include "config/rate_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvra {
namespace {

using Boxes = std::array<std::string, 10>;

TEST(ComputeRateTotal, AddsWhatEachBoxReadsAs) {
    struct Case {
        const char* name;
        Boxes boxes;
        int32_t expected;
    } cases[] = {
        {"built-in rates", {"0", "20", "1", "25", "15", "0", "1", "5", "30", "3"}, 100},
        {"negative rate makes up the hundred", {"99", "", "6", "", "", "-5", "", "", "", ""}, 100},
        {"empty boxes and lone minus count 0", {"", "-", "", "-", "", "", "", "", "", ""}, 0},
        {"full-width digits count", {"２０", "80", "", "", "", "", "", "", "", ""}, 100},
        {"over a hundred", {"99", "21", "", "", "", "", "", "", "", ""}, 120},
        {"negative total", {"-9", "6", "", "", "", "", "", "", "", ""}, -3},
    };
    for (const Case& c : cases) EXPECT_EQ(ComputeRateTotal(c.boxes), c.expected) << c.name;
}

// The caption is six double-byte characters, then the signed total; red only above a hundred.
TEST(TotalLine, ShowsTheSignedTotalAfterTheGbkPrefixInRedAboveAHundred) {
    const struct {
        int32_t total;
        const char* caption;
        uint32_t colour;
    } cases[] = {{-3, "当前中奖率：-3%", 0},
                 {0, "当前中奖率：0%", 0},
                 {100, "当前中奖率：100%", 0},
                 {101, "当前中奖率：101%", 0xFF}};
    for (const auto& c : cases) {
        EXPECT_EQ(TotalCaption(c.total), c.caption);
        EXPECT_EQ(TotalColour(c.total), c.colour) << c.total;
    }
    EXPECT_EQ(TotalCaption(-3).size(), 15u);
}

TEST(SaveFailureText, SaysWhichFileAndWhy) {
    const struct {
        WriteOutcome outcome;
        const char* why;
    } cases[] = {
        {WriteOutcome::ReadOnlyFile, "只读"},
        {WriteOutcome::HeldByOtherProgram, "另一个程序正占用"},
        {WriteOutcome::NoPermission, "复制到您可以写入的文件夹"},
        {WriteOutcome::TooLarge, "这个文件太大（超过 128 MB）"},
        {WriteOutcome::Failed, "写入时出错"},
    };
    for (const auto& c : cases) {
        const std::string text = SaveFailureText({c.outcome, "D:\\奖\\peizhi.ini"});
        EXPECT_TRUE(text.starts_with("保存失败，设置没有写入文件：\r\nD:\\奖\\peizhi.ini\r\n"))
            << text;
        EXPECT_NE(text.find(c.why), std::string::npos) << c.why;
        EXPECT_TRUE(text.ends_with("再点一次“保存”即可。"));
    }
    EXPECT_EQ(SaveFailureText({WriteOutcome::Written, "x"}), "");
}

}  // namespace
}  // namespace kelvra
