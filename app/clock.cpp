#include "app/clock.h"

#include <windows.h>

#include "runtime/text.h"
#include "runtime/win/automation.h"

namespace kelvra {

int64_t ScriptTimeMs() {
    AutomationObject script;
    if (!CreateAutomationObject(script, "ScriptControl")) return 0;
    SetAutomationProperty(script, "Language", "JScript");
    Variant ignored;
    CallAutomationMethod(script, "ExecuteStatement",
                         {"function time(){return new Date().getTime()}"}, ignored);
    Variant result;
    CallAutomationMethod(script, "Run", {"time"}, result);
    const std::string text = VariantToText(result);
    ReleaseAutomationObject(script);
    return TextToInt64(text);
}

int64_t SystemTimeMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    constexpr int64_t kUnixEpochTicks = 116444736000000000LL;  // 1970-01-01 in 100 ns since 1601
    return (ticks - kUnixEpochTicks) / 10000;
}

int64_t CurrentTimeMs() {
    // Without a reading every spin would pick from the same elapsed time: zero.
    const int64_t ms = ScriptTimeMs();
    return ms != 0 ? ms : SystemTimeMs();
}

}  // namespace kelvra
