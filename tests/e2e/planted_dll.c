/* A library that stands in for a system library beside the program: when loaded, it leaves the
   file "<its own file name>.loaded" beside itself. It imports kernel32 alone, so that any name
   can be given to a copy of it, and it exports nothing: a program that took it would find none
   of the functions it wants. */
#include <windows.h>

BOOL WINAPI PlantedMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    WCHAR path[MAX_PATH + 8];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    lstrcpyW(path + n, L".loaded");
    HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}
