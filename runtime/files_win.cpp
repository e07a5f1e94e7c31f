#include <windows.h>

#include "runtime/encoding.h"
#include "runtime/files.h"
#include "runtime/text.h"

namespace kelvra {

namespace {

std::wstring& ProgramFolder() {
    static std::wstring folder;
    return folder;
}

std::wstring CurrentDirectoryWide() {
    std::wstring dir(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), dir.data());
        if (n == 0) return {};
        if (n < dir.size()) return dir.substr(0, n);
        dir.resize(n);
    }
}

bool IsRelative(std::wstring_view p) {
    return !(p.size() >= 2 && p[1] == L':') && !(!p.empty() && (p[0] == L'\\' || p[0] == L'/'));
}

// "\\?\" lifts the MAX_PATH limit but also every normalisation: the path is made full first.
std::wstring LongForm(const std::wstring& path) {
    if (path.starts_with(L"\\\\?\\")) return path;
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD m = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (m == 0 || m >= n) return path;
    full.resize(m);
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace

void SetProgramFolder(std::wstring folder) {
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    ProgramFolder() = std::move(folder);
}

void EnterProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return;
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return;
    path.resize(slash == 2 ? 3 : slash);  // keep the backslash of a drive root
    SetProgramFolder(path);
    // Fails for a folder longer than MAX_PATH; the file layer finds the folder all the same.
    SetCurrentDirectoryW(path.c_str());
}

std::wstring WidePath(std::string_view path) {
    std::wstring wide = GbkToWide(TextView(path));
    if (wide.empty()) return wide;
    const std::wstring& folder = ProgramFolder();
    if (!folder.empty() && IsRelative(wide)) {
        std::wstring_view rest = wide;
        while (rest.starts_with(L".\\")) rest.remove_prefix(2);
        if (rest == L".") rest = {};
        wide = folder + (folder.back() == L'\\' || rest.empty() ? L"" : L"\\") + std::wstring(rest);
    }
    // Room for the temporary name beside the file; shorter paths go to the system as they are.
    if (wide.size() + 16 >= MAX_PATH) return LongForm(wide);
    return wide;
}

std::string CurrentDirectory() {
    const std::wstring dir = CurrentDirectoryWide();
    if (dir.empty()) return {};
    const std::wstring& folder = ProgramFolder();
    if (!folder.empty() &&
        CompareStringOrdinal(dir.c_str(), -1, folder.c_str(), -1, TRUE) != CSTR_EQUAL)
        return ".";
    bool lossy = false;
    std::string gbk = WideToGbk(dir, &lossy);
    if (lossy || gbk.size() >= MAX_PATH) return ".";
    return gbk;
}

bool FileExists(std::string_view path) {
    path = TextView(path);
    if (path.empty()) return false;
    const std::wstring wide = WidePath(path);
    // A name without wildcards is looked up directly: a search opens the folder and reads it, three
    // requests to Wine's server, and the loader asks for each prize. Where the direct look-up is
    // refused (a file the system keeps to itself, a folder it may not read) the search decides.
    std::wstring_view name = wide;
    if (name.starts_with(L"\\\\?\\")) name.remove_prefix(4);
    if (name.find_first_of(L"*?") == std::wstring_view::npos && !name.ends_with(L'\\') &&
        !name.ends_with(L'/')) {
        if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    }
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(wide.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

}  // namespace kelvra
