#include "config/prize_table.h"

#include <cmath>

#include "runtime/files.h"
#include "runtime/ini.h"
#include "runtime/text.h"

namespace kelvra {

namespace {

constexpr std::array<const char*, 10> kMissingFileNames = {
    "OPPO手机", "谢谢参与", "会员一月", "再接再厉", "点歌一首",
    "平板电脑", "整蛊一次", "讲笑话",   "祝你好运", "小礼物"};
constexpr std::array<const char*, 10> kEmptyNameNames = {
    "OPPO手机", "谢谢参与", "会员一月", "谢谢参与", "点歌一首",
    "平板电脑", "整蛊一次", "讲笑话",   "谢谢参与", "小礼物"};
constexpr std::array<int32_t, 10> kDefaultRates = {0, 20, 1, 25, 15, 0, 1, 5, 30, 3};

std::string Spaces(int32_t count) {
    return std::string(count > 0 ? count : 0, ' ');
}

}  // namespace

std::string CentreText(std::string_view text, int32_t width) {
    const int32_t len = TextLength(text);
    const int32_t pad = TruncateToInt32(double(width) - double(len));
    const int32_t half = TruncateToInt32(pad / 2.0);
    const int32_t after =
        std::fabs(Remainder(pad, 2.0)) <= 0.0000001 ? half : TruncateToInt32(pad / 2.0 + 1.0);
    return ConcatText({Spaces(half), text, Spaces(after)});
}

std::string ConfigPath() {
    return ConcatText({CurrentDirectory(), "\\peizhi.ini"});
}

void LoadPrizeTable(PrizeTable& table,
                    const std::function<void(int, const std::string&)>& showName) {
    int32_t sum = 0;
    // Read at the first prize that finds the file: the table comes from one version of it.
    std::optional<IniReader> file;
    for (int i = 1; i <= 10; ++i) {
        PrizeEntry& entry = table[i - 1];
        entry.low = TruncateToInt32(double(sum) + 1.0);
        // Tested for every prize: a file appearing mid-load switches only the prizes after it.
        const std::string path = ConfigPath();
        if (!FileExists(path)) {
            entry.name = CentreText(kMissingFileNames[i - 1]);
            entry.rate = kDefaultRates[i - 1];
        } else {
            if (!file) file.emplace(path);
            entry.name = CentreText(file->Read("奖项", ConcatText({"奖项", IntToText(i)})));
            if (RemoveAllBlanks(entry.name).empty())
                entry.name = CentreText(kEmptyNameNames[i - 1]);
            entry.rate = TextToInt(file->Read("中奖率", ConcatText({"中奖率", IntToText(i)})));
        }
        entry.high = TruncateToInt32(double(sum) + double(entry.rate));
        sum = entry.high;
    }
    if (!showName) return;
    for (int i = 1; i <= 10; ++i) showName(i, RemoveAllBlanks(table[i - 1].name));
}

}  // namespace kelvra
