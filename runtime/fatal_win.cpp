#include <windows.h>

#include <cstdlib>
#include <new>

#include "runtime/encoding.h"
#include "runtime/fatal.h"
#include "runtime/text.h"
#include "runtime/win/system_library.h"

namespace kelvra {

void ReportRuntimeError(std::string_view message, int32_t code) {
    const std::wstring text = GbkToWide(RuntimeErrorText(message, code));
    const std::wstring title = GbkToWide("错误");
    LoadInputMethodCom();
    LoadCommonControls();
    MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(static_cast<UINT>(-1));
}

}  // namespace kelvra

// Every allocation the heap refuses ends in the runtime error box with its size, not in
// std::terminate. Replacing the global operator new is what knows the size; this file is always
// linked, since ReportRuntimeError is. The nothrow forms keep returning null to callers that
// handle it.
void* operator new(std::size_t size) {
    if (size == 0) size = 1;
    if (void* p = std::malloc(size)) return p;
    static bool reporting = false;
    if (reporting) ExitProcess(static_cast<UINT>(-1));
    reporting = true;
    kelvra::ReportRuntimeError(kelvra::ConcatText(
        {"分配 ", kelvra::IntToText(static_cast<int32_t>(size)), " 字节内存失败!"}));
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
