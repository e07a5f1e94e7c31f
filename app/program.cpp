#include "app/program.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <string>

#include "app/startup.h"
#include "app/state.h"
#include "runtime/fatal.h"
#include "runtime/win/events.h"
#include "ui/window.h"

namespace kelvra {

namespace {

// The process works in the folder of its executable: the configuration file is found there.
void EnterExecutableFolder() {
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
    SetCurrentDirectoryW(path.c_str());
}

}  // namespace

int RunProgram() {
    EnterExecutableFolder();
    State();
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    InitWindowSystem(GetModuleHandleW(nullptr), ProgramBindings());
    if (!LoadWindow(WindowId::Main)) ReportRuntimeError("载入启动窗口失败");
    const int code = RunMessageLoop();
    OleUninitialize();
    return code;
}

}  // namespace kelvra
