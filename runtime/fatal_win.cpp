#include <windows.h>

#include "runtime/encoding.h"
#include "runtime/fatal.h"

namespace kelvra {

void ReportRuntimeError(std::string_view message, int32_t code) {
    const std::wstring text = GbkToWide(RuntimeErrorText(message, code));
    const std::wstring title = GbkToWide("错误");
    MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(static_cast<UINT>(-1));
}

}  // namespace kelvra
