#pragma once
// The COM and automation functions the program calls, taken from the system folder at their
// first call: the program starts without either library, which only a spin's clock and the
// picture decoder need. Each returns what its system function returns; where the library or
// the function is missing, a failure (E_NOTIMPL, a null string, a length of 0).
#include <windows.h>
#include <oaidl.h>

namespace kelvra::ole {

HRESULT CoInitializeEx(void* reserved, DWORD flags);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);
void CoFreeUnusedLibrariesEx(DWORD delay, DWORD reserved);
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
HRESULT OleRun(IUnknown* object);
BSTR SysAllocString(const OLECHAR* text);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
HRESULT VariantChangeType(VARIANT* to, const VARIANT* from, USHORT flags, VARTYPE type);
HRESULT VariantClear(VARIANT* v);
void VariantInit(VARIANT* v);

}  // namespace kelvra::ole
