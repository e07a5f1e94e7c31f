#include "ui/resources.h"

#include <windows.h>

namespace kelvra {

std::string_view ResourceBytes(const wchar_t* name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (info == nullptr) return {};
    HGLOBAL data = LoadResource(module, info);
    if (data == nullptr) return {};
    return {static_cast<const char*>(LockResource(data)), SizeofResource(module, info)};
}

}  // namespace kelvra
