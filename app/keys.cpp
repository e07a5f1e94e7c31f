#include "app/keys.h"

#include <windows.h>

#include "app/spin.h"
#include "app/wheel_drawing.h"
#include "ui/model/ids.h"
#include "ui/window.h"

namespace kelvra {

namespace {

bool Held(int virtualKey) {
    return GetKeyState(virtualKey) < 0;
}

}  // namespace

int32_t OnMainWindowKey(int32_t virtualKey) {
    LoadedWindow* main = FindLoadedWindow(WindowId::Main);
    if (main == nullptr) return 0;
    switch (virtualKey) {
        case VK_F11:
            main->ToggleFullScreen();
            if (main->fullScreen()) PrepareTurns();
            return 1;
        case VK_F12:
            // Seen here only when no hot key took it: this copy could not claim Ctrl+F12.
            if (!Held(VK_CONTROL) || Held(VK_SHIFT) || Held(VK_MENU)) return 0;
            LoadWindow(WindowId::Rate);
            return 1;
        case VK_RIGHT:
            // The focused tab strip moves to the next page with it.
            if (GetFocus() == GetWindowHandle(WindowId::Main, ids::kMainTab)) return 0;
            [[fallthrough]];
        case VK_SPACE:
        case VK_RETURN:
        case VK_NEXT:
            if (main->currentPage() != 0) return 0;  // the settings page keeps its keys
            OnStartPressed(0, 0, 0);
            return 1;
        default:
            return 0;
    }
}

}  // namespace kelvra
