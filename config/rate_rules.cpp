#include "config/rate_rules.h"

#include <utility>

#include "config/prize_table.h"
#include "runtime/colours.h"
#include "runtime/ini.h"
#include "runtime/text.h"

namespace kelvra {

int32_t ComputeRateTotal(const std::array<std::string, 10>& boxTexts) {
    double total = 0.0;
    for (const std::string& text : boxTexts) total += TextToInt(text);
    return TruncateToInt32(total);
}

std::string TotalCaption(int32_t total) {
    return ConcatText({"当前中奖率：", IntToText(total), "%"});
}

uint32_t TotalColour(int32_t total) {
    return total > 100 ? kRed : kBlack;
}

SaveResult SaveSection(std::string_view section, std::string_view keyWord,
                       const std::array<std::string, 10>& boxTexts) {
    std::array<std::pair<std::string, std::string>, 10> keyValues;
    for (int i = 1; i <= 10; ++i)
        keyValues[i - 1] = {ConcatText({keyWord, IntToText(i)}), RemoveAllBlanks(boxTexts[i - 1])};
    const std::string path = ConfigPath();
    return {IniWriteSection(path, section, keyValues), FullPathForDisplay(path)};
}

std::string SaveFailureText(const SaveResult& result) {
    std::string why;
    switch (result.outcome) {
        case WriteOutcome::Written:
            return {};
        case WriteOutcome::ReadOnlyFile:
            why = "这个文件是只读的。请在文件的属性中去掉“只读”，再保存。";
            break;
        case WriteOutcome::HeldByOtherProgram:
            why =
                "另一个程序正占用这个文件，不让写入。请关闭那个程序（例如打开了它的编辑器），"
                "再保存。";
            break;
        case WriteOutcome::NoPermission:
            why =
                "这个文件夹受系统保护，没有写入的权限（例如 Program Files 下的文件夹）。"
                "请把本程序复制到您可以写入的文件夹（例如桌面或“文档”）再运行。";
            break;
        case WriteOutcome::TooLarge:
            why = ConcatText({"这个文件太大（超过 ",
                              IntToText(static_cast<int32_t>(kMaxEditedFileBytes >> 20)),
                              " MB），不像本程序的设置文件，没有改动它。请把它移走或换成小的文件，"
                              "再保存。"});
            break;
        case WriteOutcome::Failed:
            why = "写入时出错（例如磁盘已满，或文件夹已不存在）。";
            break;
    }
    return ConcatText({"保存失败，设置没有写入文件：\r\n", result.file, "\r\n\r\n", why,
                       "\r\n\r\n刚才输入的内容仍在框中，排除原因后再点一次“保存”即可。"});
}

}  // namespace kelvra
