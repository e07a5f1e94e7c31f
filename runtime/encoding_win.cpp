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

std::string GbkToUtf8(std::string_view gbk) {
    const std::wstring wide = GbkToWide(gbk);
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                        nullptr, nullptr);
    return utf8;
}

std::string detail::Utf8ToGbkPiece(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return WideToGbk(wide);
}

bool FitsGbk(std::wstring_view wide) {
    bool lossy = false;
    WideToGbk(wide, &lossy);
    return !lossy;
}

}  // namespace kelvra
