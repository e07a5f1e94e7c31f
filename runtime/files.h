#pragma once
#include <string>
#include <string_view>

namespace kelvra {

// The process's current directory as GBK text, without a trailing backslash unless it is a
// drive root; "" when it cannot be had or needs more than 259 bytes.
std::string CurrentDirectory();
// Whether a directory entry matches `path` (a folder counts; wildcards match as in a search).
bool FileExists(std::string_view path);

}  // namespace kelvra
