#include <windows.h>

#include "app/program.h"
#include "runtime/win/system_library.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before any library is loaded by name: the exe's folder may hold files of any name.
    kelvra::RestrictLibrarySearch();
    kelvra::LoadThemeBlending();
    return kelvra::RunProgram();
}
