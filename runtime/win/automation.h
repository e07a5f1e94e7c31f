#pragma once
// Automation (IDispatch) objects by name: made, their methods called and properties read.

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "runtime/win/ole.h"

namespace kelvra {

// An object variable: empty, or one reference to an automation (IDispatch) object.
class AutomationObject {
  public:
    AutomationObject() = default;
    ~AutomationObject() { Reset(); }
    AutomationObject(const AutomationObject&) = delete;
    AutomationObject& operator=(const AutomationObject&) = delete;

    IDispatch* get() const { return object_; }
    void Reset(IDispatch* object = nullptr);

  private:
    IDispatch* object_ = nullptr;
};

// A VARIANT that clears itself.
class Variant {
  public:
    Variant() { ole::VariantInit(&value_); }
    ~Variant() { ole::VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }

  private:
    VARIANT value_;
};

// `name` is a CLSID when it starts with '{', else a ProgID. On failure `variable` keeps what it
// held.
bool CreateAutomationObject(AutomationObject& variable, std::string_view name);
bool SetAutomationProperty(AutomationObject& object, std::string_view name, std::string_view text);
// Invokes a method with text arguments; a failed call leaves `result` empty.
void CallAutomationMethod(AutomationObject& object, std::string_view name,
                          std::initializer_list<std::string_view> args, Variant& result);
double CallAutomationMethodAsDouble(AutomationObject& object, std::string_view name,
                                    std::initializer_list<std::string_view> args);
// The platform's text form of the value, as GBK; "" when empty or not convertible.
std::string VariantToText(const Variant& value);
void ReleaseAutomationObject(AutomationObject& variable);

}  // namespace kelvra
