#include "runtime/fatal.h"

#include "runtime/text.h"

namespace kelvra {

std::string RuntimeErrorText(std::string_view message, int32_t code) {
    std::string text = "运行时出错!\r\n\r\n";
    if (code != 0) text += ConcatText({"错误代码：", IntToText(code), "\r\n\r\n"});
    if (!TextView(message).empty()) text += ConcatText({"错误信息：", message, "\r\n"});
    return text;
}

}  // namespace kelvra
