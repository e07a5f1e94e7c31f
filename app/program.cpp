#include "app/program.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "runtime/win/events.h"

namespace kelvra {

int RunProgram() {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    const int code = RunMessageLoop();
    OleUninitialize();
    return code;
}

}  // namespace kelvra
