#include <windows.h>

#include "runtime/encoding.h"
#include "runtime/text.h"

namespace kelvra {

namespace {
constexpr UINT kGbk = 936;
}

std::wstring GbkToWide(std::string_view gbk) {
    gbk = TextView(gbk);
    if (gbk.empty()) return {};
    const int n =
        MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), n);
    return wide;
}

std::string WideToGbk(std::wstring_view wide, bool* lossy) {
    if (lossy != nullptr) *lossy = false;
    if (wide.empty()) return {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kGbk, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                      0, nullptr, &usedDefault);
    std::string gbk(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kGbk, 0, wide.data(), static_cast<int>(wide.size()), gbk.data(), n, nullptr,
                        &usedDefault);
    if (lossy != nullptr) *lossy = usedDefault != FALSE;
    return gbk;
}

bool FitsGbk(std::wstring_view wide) {
    bool lossy = false;
    WideToGbk(wide, &lossy);
    return !lossy;
}

}  // namespace kelvra
