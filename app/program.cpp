#include "app/program.h"

#include <windows.h>

#include "app/bindings.h"
#include "app/state.h"
#include "runtime/fatal.h"
#include "runtime/files.h"
#include "runtime/win/events.h"
#include "runtime/win/system_library.h"
#include "ui/window.h"

namespace kelvra {

int RunProgram() {
    // The configuration file is found beside the executable, however it was started.
    EnterProgramFolder();
    State();
    // The theme library before anything can load it by a delayed import (LoadCommonControls);
    // the first window loads it anyway. The common controls wait for the first control of the
    // platform's classes: the main window's first page has none, and the start does not pay them.
    SystemLibrary(L"uxtheme.dll");
    InitWindowSystem(GetModuleHandleW(nullptr), ProgramBindings());
    if (!LoadWindow(WindowId::Main)) ReportRuntimeError("载入启动窗口失败");
    return RunMessageLoop();
}

}  // namespace kelvra
