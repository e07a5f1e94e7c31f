#pragma once
// The one place where text changes encoding: GBK (code page 936) inside the program, UTF-16 at
// the Windows API. Windows only.

#include <string>
#include <string_view>

namespace kelvra {

std::wstring GbkToWide(std::string_view gbk);
// Characters that GBK cannot hold come out as '?'; `lossy` (when given) tells whether any did.
std::string WideToGbk(std::wstring_view wide, bool* lossy = nullptr);
// Whether every character of `wide` has a GBK form.
bool FitsGbk(std::wstring_view wide);

}  // namespace kelvra
