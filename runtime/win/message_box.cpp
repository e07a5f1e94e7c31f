#include "runtime/win/message_box.h"

#include "runtime/encoding.h"
#include "runtime/win/system_library.h"

namespace kelvra {

int32_t ShowMessageBox(std::string_view message, int32_t flags,
                       std::optional<std::string_view> title, HWND owner) {
    UINT type = static_cast<UINT>(flags);
    if ((type & MB_SYSTEMMODAL) == 0) type |= MB_TASKMODAL;
    const std::wstring text = GbkToWide(message);
    const std::wstring caption = GbkToWide(title.value_or("信息："));
    LoadInputMethodCom();
    LoadCommonControls();
    switch (MessageBoxW(owner, text.c_str(), caption.c_str(), type)) {
        case IDCANCEL:
            return 1;
        case IDABORT:
            return 2;
        case IDRETRY:
            return 3;
        case IDIGNORE:
            return 4;
        case IDYES:
            return 5;
        case IDNO:
            return 6;
        default:
            return 0;
    }
}

}  // namespace kelvra
