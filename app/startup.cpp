#include "app/startup.h"

#include "app/clock.h"
#include "app/prize_names.h"
#include "app/state.h"
#include "app/wheel_drawing.h"
#include "runtime/win/hotkey.h"
#include "ui/resources.h"
#include "ui/model/ids.h"
#include "ui/skin.h"
#include "ui/window.h"

namespace kelvra {

void OnMainWindowCreated() {
    const std::string_view skin = ResourceBytes(L"SKIN_SHE");
    SkinH_AttachRes(reinterpret_cast<const uint8_t*>(skin.data()), 1, "", 0, 0, 0);
    State().startTimeMs = SystemTimeMs();
    HWND w = GetWindowHandle(WindowId::Main, ids::kMainSelf);
    HWND t = GetWindowHandle(WindowId::Main, ids::kMainFeedback);
    State().hotKeyId = RegisterNotifyHotKey(w, t, 1, VK_F12);
    LoadPrizeTableIntoBoxes();
    DrawWheel();
}

void OnHotKeyNotify(int32_t param1, int32_t param2) {
    // A press another copy passed on is ours, whether or not this copy holds the hot key.
    if ((param1 != 0 && param1 == State().hotKeyId) || param2 == kHotKeyPassedOn)
        LoadWindow(WindowId::Rate);
}

void OnHelpClicked() {
    LoadWindow(WindowId::Help);
}

}  // namespace kelvra
