#pragma once
// The message box.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvra {

// Shows a message box (task-modal unless system-modal is asked for) and returns the button:
// OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6, anything else 0. The title defaults
// to "信息：". Texts are GBK.
int32_t ShowMessageBox(std::string_view message, int32_t flags,
                       std::optional<std::string_view> title = std::nullopt, HWND owner = nullptr);

}  // namespace kelvra
