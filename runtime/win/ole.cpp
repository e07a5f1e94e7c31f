#include "runtime/win/ole.h"

#include <objbase.h>

#include "runtime/win/system_library.h"

namespace kelvra::ole {

namespace {

template <auto Declared>
auto Ole32(const char* name) {
    static const auto fn = SystemFunction<decltype(Declared)>(L"ole32.dll", name);
    return fn;
}

template <auto Declared>
auto OleAut32(const char* name) {
    static const auto fn = SystemFunction<decltype(Declared)>(L"oleaut32.dll", name);
    return fn;
}

}  // namespace

HRESULT CoInitializeEx(void* reserved, DWORD flags) {
    const auto fn = Ole32<&::CoInitializeEx>("CoInitializeEx");
    return fn != nullptr ? fn(reserved, flags) : E_NOTIMPL;
}

void CoUninitialize() {
    if (const auto fn = Ole32<&::CoUninitialize>("CoUninitialize")) fn();
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out) {
    const auto fn = Ole32<&::CoCreateInstance>("CoCreateInstance");
    if (fn != nullptr) return fn(clsid, outer, context, iid, out);
    *out = nullptr;
    return E_NOTIMPL;
}

void CoFreeUnusedLibrariesEx(DWORD delay, DWORD reserved) {
    if (const auto fn = Ole32<&::CoFreeUnusedLibrariesEx>("CoFreeUnusedLibrariesEx"))
        fn(delay, reserved);
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
    const auto fn = Ole32<&::CLSIDFromProgID>("CLSIDFromProgID");
    return fn != nullptr ? fn(progId, clsid) : E_NOTIMPL;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
    const auto fn = Ole32<&::CLSIDFromString>("CLSIDFromString");
    return fn != nullptr ? fn(text, clsid) : E_NOTIMPL;
}

HRESULT OleRun(IUnknown* object) {
    const auto fn = Ole32<&::OleRun>("OleRun");
    return fn != nullptr ? fn(object) : E_NOTIMPL;
}

BSTR SysAllocString(const OLECHAR* text) {
    const auto fn = OleAut32<&::SysAllocString>("SysAllocString");
    return fn != nullptr ? fn(text) : nullptr;
}

void SysFreeString(BSTR text) {
    if (const auto fn = OleAut32<&::SysFreeString>("SysFreeString")) fn(text);
}

UINT SysStringLen(BSTR text) {
    const auto fn = OleAut32<&::SysStringLen>("SysStringLen");
    return fn != nullptr ? fn(text) : 0;
}

HRESULT VariantChangeType(VARIANT* to, const VARIANT* from, USHORT flags, VARTYPE type) {
    const auto fn = OleAut32<&::VariantChangeType>("VariantChangeType");
    return fn != nullptr ? fn(to, const_cast<VARIANT*>(from), flags, type) : E_NOTIMPL;
}

HRESULT VariantClear(VARIANT* v) {
    const auto fn = OleAut32<&::VariantClear>("VariantClear");
    if (fn != nullptr) return fn(v);
    v->vt = VT_EMPTY;
    return S_OK;
}

void VariantInit(VARIANT* v) {
    v->vt = VT_EMPTY;
}

}  // namespace kelvra::ole
