// The prize table and its loader: built-in prizes, what the file overrides, the centring of names
// on the wheel, and what a save of a section gives the next load.
#include "config/prize_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/rate_rules.h"

namespace kelvra {
namespace {

namespace fs = std::filesystem;

// Runs each test in a fresh empty folder as the current directory, where the loader looks.
class LoadPrizeTableTest : public testing::Test {
  protected:
    void SetUp() override {
        oldDir_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "kelvra_prizes_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::current_path(dir_);
        // Leftovers of an earlier load must not survive a new one.
        for (PrizeEntry& entry : table_) entry = {"junk", 77, 77, 77};
    }
    void TearDown() override {
        fs::current_path(oldDir_);
        fs::remove_all(dir_);
    }

    void PutIni(const std::string& bytes) {
        std::ofstream(dir_ / "peizhi.ini", std::ios::binary) << bytes;
    }
    std::string Get() {
        std::ifstream in(dir_ / "peizhi.ini", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> Load() {
        std::vector<std::string> shown;
        LoadPrizeTable(table_, [&](int i, const std::string& text) {
            EXPECT_EQ(i, static_cast<int>(shown.size()) + 1) << "boxes are written in order";
            shown.push_back(text);
        });
        return shown;
    }
    void ExpectRanges(const std::vector<int32_t>& rates, const std::vector<int32_t>& lows,
                      const std::vector<int32_t>& highs) {
        for (size_t i = 0; i < 10; ++i) {
            EXPECT_EQ(table_[i].rate, rates[i]) << "prize " << i + 1;
            EXPECT_EQ(table_[i].low, lows[i]) << "prize " << i + 1;
            EXPECT_EQ(table_[i].high, highs[i]) << "prize " << i + 1;
        }
    }

    fs::path oldDir_, dir_;
    PrizeTable table_;
};

const char* const kAllNames =
    "[奖项]\r\n奖项1=A\r\n奖项2=B\r\n奖项3=C\r\n奖项4=D\r\n奖项5=E\r\n"
    "奖项6=F\r\n奖项7=G\r\n奖项8=H\r\n奖项9=I\r\n奖项10=J\r\n";

TEST(CentreText, PadsToEightBytesWithTheOddSpaceAfter) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"", "        "},
        {"abc", "  abc   "},
        {"abcd", "  abcd  "},
        {"abcde", " abcde  "},
        {"讲笑话", " 讲笑话 "},
        {"abcdefg", "abcdefg "},
        {"小礼物a", "小礼物a "},
        {"OPPO手机", "OPPO手机"},
        {"abcdefghi", "abcdefghi"},
        {"abcdefghij", "abcdefghij"},
        {"谢谢参与谢谢参与", "谢谢参与谢谢参与"},
    };
    for (const Case& c : cases) EXPECT_EQ(CentreText(c.text), c.expected) << c.text;
}

TEST(CentreText, HonoursOtherWidths) {
    EXPECT_EQ(CentreText("ab", 5), " ab  ");
    EXPECT_EQ(CentreText("ab", 12), "     ab     ");
    EXPECT_EQ(CentreText("ab", 0), "ab");
}

TEST_F(LoadPrizeTableTest, WithoutFileUsesBuiltInPrizesAndCreatesNothing) {
    const std::vector<std::string> shown = Load();
    const std::vector<std::string> names = {"OPPO手机", "谢谢参与", "会员一月", "再接再厉",
                                            "点歌一首", "平板电脑", "整蛊一次", " 讲笑话 ",
                                            "祝你好运", " 小礼物 "};
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(table_[i].name, names[i]) << "prize " << i + 1;
    EXPECT_EQ(shown[7], "讲笑话");
    EXPECT_EQ(shown[9], "小礼物");
    ExpectRanges({0, 20, 1, 25, 15, 0, 1, 5, 30, 3}, {1, 1, 21, 22, 47, 62, 62, 63, 68, 98},
                 {0, 20, 21, 46, 61, 61, 62, 67, 97, 100});
    EXPECT_TRUE(fs::is_empty(dir_)) << "loading never writes the file";
}

TEST_F(LoadPrizeTableTest, FileWithOnlyRatesTakesTheEmptyNameDefaults) {
    PutIni(
        "[中奖率]\r\n中奖率1=10\r\n中奖率2=２０\r\n中奖率3=15%\r\n中奖率4= 5 \r\n中奖率5=x\r\n"
        "中奖率6=0\r\n中奖率7=\r\n中奖率8=30\r\n中奖率10=20\r\n");
    const std::vector<std::string> shown = Load();
    const std::vector<std::string> names = {"OPPO手机", "谢谢参与", "会员一月", "谢谢参与",
                                            "点歌一首", "平板电脑", "整蛊一次", "讲笑话",
                                            "谢谢参与", "小礼物"};
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(table_[i].name, CentreText(names[i])) << "prize " << i + 1;
        EXPECT_EQ(shown[i], names[i]) << "prize " << i + 1;
    }
    ExpectRanges({10, 20, 15, 5, 0, 0, 0, 30, 0, 20}, {1, 11, 31, 46, 51, 51, 51, 51, 81, 81},
                 {10, 30, 45, 50, 50, 50, 50, 80, 80, 100});
}

TEST_F(LoadPrizeTableTest, FileWithOnlyNamesHasNoWinningRange) {
    PutIni(kAllNames);
    const std::vector<std::string> shown = Load();
    EXPECT_EQ(table_[0].name, "   A    ");
    EXPECT_EQ(shown[0], "A");
    EXPECT_EQ(shown[9], "J");
    ExpectRanges(std::vector<int32_t>(10, 0), std::vector<int32_t>(10, 1),
                 std::vector<int32_t>(10, 0));
}

TEST_F(LoadPrizeTableTest, NamesKeepTheirCentredFormAndBoxesLoseEveryBlank) {
    PutIni(
        "[奖项]\r\n奖项1=a b\r\n奖项2=\"  \"\r\n奖项3=　\r\n奖项4=\r\n奖项5=谢谢 参与啊\r\n"
        "奖项6=12345\r\n奖项7=1234567\r\n奖项8=“ ”\r\n奖项9=\r\n奖项10=小　礼物\r\n");
    const std::vector<std::string> shown = Load();
    const std::vector<std::string> names = {"  a b   ",    "谢谢参与", "会员一月", "谢谢参与",
                                            "谢谢 参与啊", " 12345  ", "1234567 ", " “ ”  ",
                                            "谢谢参与",    "小　礼物"};
    const std::vector<std::string> boxes = {"ab",         "谢谢参与", "会员一月", "谢谢参与",
                                            "谢谢参与啊", "12345",    "1234567",  "“”",
                                            "谢谢参与",   "小礼物"};
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(table_[i].name, names[i]) << "prize " << i + 1;
        EXPECT_EQ(shown[i], boxes[i]) << "box " << i + 1;
    }
}

TEST_F(LoadPrizeTableTest, NegativeRateShiftsLaterRangesDown) {
    PutIni(std::string(kAllNames) +
           "[中奖率]\r\n中奖率1=-5\r\n中奖率2=25\r\n中奖率3=-5\r\n"
           "中奖率4=30\r\n中奖率5=55\r\n");
    Load();
    ExpectRanges({-5, 25, -5, 30, 55, 0, 0, 0, 0, 0}, {1, -4, 21, 16, 46, 101, 101, 101, 101, 101},
                 {-5, 20, 15, 45, 100, 100, 100, 100, 100, 100});
}

TEST_F(LoadPrizeTableTest, WritesTenKeysInOrderWithoutBlanks) {
    const SaveResult r =
        SaveSection("中奖率", "中奖率", {"99", " 6", "-5 ", "", "", "", "", "", "", "0"});
    EXPECT_TRUE(r.saved());
    EXPECT_EQ(r.file, (dir_ / "peizhi.ini").string());
    EXPECT_EQ(Get(),
              "[中奖率]\r\n中奖率1=99\r\n中奖率2=6\r\n中奖率3=-5\r\n中奖率4=\r\n中奖率5=\r\n"
              "中奖率6=\r\n中奖率7=\r\n中奖率8=\r\n中奖率9=\r\n中奖率10=0\r\n");
}

TEST_F(LoadPrizeTableTest, SavedRatesAndNamesLoadBack) {
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

}  // namespace
}  // namespace kelvra
