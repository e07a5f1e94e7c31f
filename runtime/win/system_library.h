#pragma once
// Functions of system libraries the program does not import: looked up when first needed, so a
// library is loaded only when used, and never from the program's own folder.

#include <windows.h>

#include <string>

namespace kelvra {

// The library, already loaded or loaded now from the system folder; null when it is missing.
inline HMODULE SystemLibrary(const wchar_t* name) {
    if (HMODULE loaded = GetModuleHandleW(name)) return loaded;
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(folder, n) + L"\\" + name).c_str());
}

// A function of a system library; null when the library or the function is missing.
template <typename Fn>
Fn SystemFunction(const wchar_t* library, const char* name) {
    HMODULE m = SystemLibrary(library);
    return m != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)))
                        : nullptr;
}

}  // namespace kelvra
