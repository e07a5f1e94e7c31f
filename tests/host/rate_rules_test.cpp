// The rate window's rules: the running total, its caption and colour, what a rate box keeps
// after losing the focus, the characters the boxes accept, and the saving of a section.
#include "config/rate_rules.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "config/prize_table.h"

namespace kelvra {
namespace {

namespace fs = std::filesystem;
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

TEST(TotalCaption, ShowsTheSignedTotalAfterTheGbkPrefix) {
    const std::string caption = TotalCaption(-3);
    EXPECT_EQ(caption, "当前中奖率：-3%");
    EXPECT_EQ(caption.size(), 15u) << "six double-byte characters, then -3%";
    EXPECT_EQ(TotalCaption(100), "当前中奖率：100%");
    EXPECT_EQ(TotalCaption(0), "当前中奖率：0%");
}

TEST(TotalColour, RedOnlyAboveAHundred) {
    EXPECT_EQ(TotalColour(101), 0xFFu);
    EXPECT_EQ(TotalColour(120), 0xFFu);
    EXPECT_EQ(TotalColour(100), 0u);
    EXPECT_EQ(TotalColour(90), 0u);
    EXPECT_EQ(TotalColour(-3), 0u);
}

class SaveSectionTest : public testing::Test {
  protected:
    void SetUp() override {
        oldDir_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "kelvra_rates_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(oldDir_);
        fs::remove_all(dir_);
    }
    std::string FileBytes() {
        std::ifstream in(dir_ / "peizhi.ini", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path oldDir_, dir_;
};

TEST_F(SaveSectionTest, WritesTenKeysInOrderWithoutBlanks) {
    const SaveResult r =
        SaveSection("中奖率", "中奖率", {"99", " 6", "-5 ", "", "", "", "", "", "", "0"});
    EXPECT_TRUE(r.saved());
    EXPECT_EQ(r.file, (dir_ / "peizhi.ini").string());
    EXPECT_EQ(FileBytes(),
              "[中奖率]\r\n中奖率1=99\r\n中奖率2=6\r\n中奖率3=-5\r\n中奖率4=\r\n中奖率5=\r\n"
              "中奖率6=\r\n中奖率7=\r\n中奖率8=\r\n中奖率9=\r\n中奖率10=0\r\n");
}

TEST_F(SaveSectionTest, SavedRatesAndNamesLoadBack) {
    SaveSection("中奖率", "中奖率", {"99", "6", "-5", "", "", "", "", "", "", ""});
    PrizeTable table;
    std::string box4;
    LoadPrizeTable(table, [&](int i, const std::string& text) {
        if (i == 4) box4 = text;
    });
    EXPECT_EQ(box4, "谢谢参与") << "rates saved first: names take the empty-name defaults";
    EXPECT_EQ(table[2].rate, -5);
    EXPECT_EQ(table[2].high, 100);

    SaveSection("奖项", "奖项", {"a b", "两 个　词", "", "", "", "", "", "", "", "礼物"});
    std::array<std::string, 10> boxes;
    LoadPrizeTable(table, [&](int i, const std::string& text) { boxes[i - 1] = text; });
    EXPECT_EQ(table[0].name, "   ab   ");
    EXPECT_EQ(boxes[1], "两个词");
    EXPECT_EQ(boxes[2], "会员一月");
    EXPECT_EQ(boxes[9], "礼物");
    EXPECT_EQ(table[0].high, 99) << "saving the names leaves the rates as they were";
    EXPECT_EQ(table[1].high, 105);
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
