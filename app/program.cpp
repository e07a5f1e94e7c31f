#include "app/program.h"

#include <windows.h>
#include <commctrl.h>

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
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    // The theme library before the common controls, which load it themselves: Wine resolves a
    // library's delayed imports in the search order of the process's start, the exe's folder
    // first, and finds there what is not loaded yet.
    SystemLibrary(L"uxtheme.dll");
    if (const auto init = SystemFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll",
                                                                          "InitCommonControlsEx"))
        init(&icc);
    InitWindowSystem(GetModuleHandleW(nullptr), ProgramBindings());
    if (!LoadWindow(WindowId::Main)) ReportRuntimeError("载入启动窗口失败");
    return RunMessageLoop();
}

}  // namespace kelvra
