#include "app/keys.h"

#include <windows.h>

#include "app/spin.h"
#include "ui/window.h"

namespace kelvra {

int32_t OnMainWindowKey(int32_t virtualKey) {
    LoadedWindow* main = FindLoadedWindow(WindowId::Main);
    if (main == nullptr) return 0;
    switch (virtualKey) {
        case VK_F11:
            main->ToggleFullScreen();
            return 1;
        case VK_SPACE:
        case VK_RETURN:
        case VK_NEXT:
        case VK_RIGHT:
            if (main->currentPage() != 0) return 0;  // the settings page keeps its keys
            OnStartPressed(0, 0, 0);
            return 1;
        default:
            return 0;
    }
}

}  // namespace kelvra
