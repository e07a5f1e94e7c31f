#include "runtime/win/automation.h"

#include <memory>
#include <vector>

#include "runtime/encoding.h"
#include "runtime/win/com.h"

namespace kelvra {

namespace {

class Bstr {
  public:
    explicit Bstr(std::string_view gbk) : value_(ole::SysAllocString(GbkToWide(gbk).c_str())) {}
    ~Bstr() { ole::SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }

  private:
    BSTR value_;
};

bool LookUp(IDispatch* object, std::string_view name, DISPID& id) {
    if (object == nullptr) return false;
    std::wstring wide = GbkToWide(name);
    LPOLESTR names[] = {wide.data()};
    return SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
}

}  // namespace

void AutomationObject::Reset(IDispatch* object) {
    if (object_ != nullptr) object_->Release();
    object_ = object;
}

bool CreateAutomationObject(AutomationObject& variable, std::string_view name) {
    if (!UseComOnThisThread()) return false;
    const std::wstring wide = GbkToWide(name);
    CLSID clsid;
    const HRESULT found = !wide.empty() && wide[0] == L'{'
                              ? ole::CLSIDFromString(wide.c_str(), &clsid)
                              : ole::CLSIDFromProgID(wide.c_str(), &clsid);
    if (FAILED(found)) return false;
    IDispatch* object = nullptr;
    HRESULT hr = ole::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch,
                                       reinterpret_cast<void**>(&object));
    if (hr == E_INVALIDARG) {
        hr = ole::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                   IID_IDispatch, reinterpret_cast<void**>(&object));
    }
    if (FAILED(hr) || object == nullptr) return false;
    if (FAILED(ole::OleRun(object))) {
        object->Release();
        return false;
    }
    variable.Reset(object);
    return true;
}

bool SetAutomationProperty(AutomationObject& object, std::string_view name, std::string_view text) {
    DISPID id;
    if (!LookUp(object.get(), name, id)) return false;
    Bstr value(text);
    VARIANTARG arg;
    ole::VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = value.get();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    return SUCCEEDED(object.get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                          &params, nullptr, nullptr, nullptr));
}

void CallAutomationMethod(AutomationObject& object, std::string_view name,
                          std::initializer_list<std::string_view> args, Variant& result) {
    ole::VariantClear(result.get());
    DISPID id;
    if (!LookUp(object.get(), name, id)) return;
    std::vector<std::unique_ptr<Bstr>> texts;
    std::vector<VARIANTARG> argv(args.size());
    // Invoke takes the arguments last to first.
    size_t slot = args.size();
    for (std::string_view arg : args) {
        texts.push_back(std::make_unique<Bstr>(arg));
        VARIANTARG& v = argv[--slot];
        ole::VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = texts.back()->get();
    }
    DISPPARAMS params{argv.data(), nullptr, static_cast<UINT>(argv.size()), 0};
    if (FAILED(object.get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT,
                                    DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, result.get(),
                                    nullptr, nullptr))) {
        ole::VariantClear(result.get());
    }
}

double CallAutomationMethodAsDouble(AutomationObject& object, std::string_view name,
                                    std::initializer_list<std::string_view> args) {
    Variant result;
    CallAutomationMethod(object, name, args, result);
    Variant number;
    if (FAILED(ole::VariantChangeType(number.get(), result.get(), 0, VT_R8))) return 0.0;
    return number.get()->dblVal;
}

std::string VariantToText(const Variant& value) {
    Variant text;
    if (value.get()->vt == VT_EMPTY ||
        FAILED(ole::VariantChangeType(text.get(), const_cast<VARIANT*>(value.get()), 0, VT_BSTR)) ||
        text.get()->bstrVal == nullptr) {
        return {};
    }
    return WideToGbk(
        std::wstring_view(text.get()->bstrVal, ole::SysStringLen(text.get()->bstrVal)));
}

void ReleaseAutomationObject(AutomationObject& variable) {
    variable.Reset();
}

}  // namespace kelvra
