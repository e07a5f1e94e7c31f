#pragma once
// The runtime error that ends the program, and the text of its box.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvra {

// Shows the "错误" box with the runtime error text and ends the process with exit code -1.
// `message` and the returned text are GBK; `code` 0 means none.
[[noreturn]] void ReportRuntimeError(std::string_view message, int32_t code = 0);

// The box text: "运行时出错!" CRLF CRLF, then the code and the message when given.
std::string RuntimeErrorText(std::string_view message, int32_t code);

}  // namespace kelvra
