#pragma once
// Libraries come from the system folder only. The program imports statically only what Windows
// always takes from there; everything else is looked up when first needed, so a library is loaded
// only when used, and a file of the same name beside the program (a Downloads folder, a USB
// stick) never runs.

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace kelvra {

// Limits the search of every library loaded by name from now on, the program's and those the
// system libraries load for it, to the system folder. The first thing the program does. Where
// SetDefaultDllDirectories is missing (Windows 7 without its 2011 update) the current folder at
// least is left out of the search.
inline void RestrictLibrarySearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

// The library, already loaded or loaded now from the system folder; null when it is missing.
// Loaded by name, so that the side-by-side store still supplies the version the manifest asks for
// (common controls 6); by full path where the search flag is unknown.
inline HMODULE SystemLibrary(const wchar_t* name) {
    if (HMODULE loaded = GetModuleHandleW(name)) return loaded;
    if (HMODULE m = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return m;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(folder, n) + L"\\" + name).c_str());
}

// Libraries that Wine's own libraries load late by name. Wine looks for those in the search order
// of the process's start, the exe's folder first, however the search was restricted since; loaded
// from the system folder first, they are found loaded.
//
// The theme library's blending, which it loads when it first draws a themed part: before any
// window exists.
inline void LoadThemeBlending() {
    SystemLibrary(L"msimg32.dll");
}
// COM, which the input method starts when the focus first comes to a window: when the first
// window is activated (a window's activation, a message box), once it is shown. A start under
// Wine loads it there anyway, an empty window's too.
inline void LoadInputMethodCom() {
    SystemLibrary(L"ole32.dll");
}

// A function of a system library; null when the library or the function is missing.
template <typename Fn>
Fn SystemFunction(const wchar_t* library, const char* name) {
    HMODULE m = SystemLibrary(library);
    return m != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)))
                        : nullptr;
}

// The common controls (version 6, as the manifest asks), for the first control of the platform's
// classes: an edit box, a button, a message box's. The theme library first: the common controls
// load it themselves, and Wine resolves a library's delayed imports in the search order of the
// process's start, the exe's folder first, finding there what is not loaded yet.
inline void LoadCommonControls() {
    static const bool loaded = [] {
        SystemLibrary(L"uxtheme.dll");
        const auto init = SystemFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll",
                                                                          "InitCommonControlsEx");
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        return init != nullptr && init(&icc) != FALSE;
    }();
    (void)loaded;
}

}  // namespace kelvra
