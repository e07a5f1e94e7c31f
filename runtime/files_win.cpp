#include <windows.h>

#include "runtime/encoding.h"
#include "runtime/files.h"
#include "runtime/text.h"

namespace kelvra {

std::string CurrentDirectory() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return {};
    bool lossy = false;
    std::string gbk = WideToGbk(std::wstring_view(buffer, n), &lossy);
    // A folder name that GBK cannot spell would turn into a path that names nothing, and every
    // save would silently fail; the relative form names the same folder.
    if (lossy) return ".";
    if (gbk.size() >= MAX_PATH) return {};
    return gbk;
}

bool FileExists(std::string_view path) {
    path = TextView(path);
    if (path.empty()) return false;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(GbkToWide(path).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

}  // namespace kelvra
