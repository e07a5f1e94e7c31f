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

namespace {

// Any number the window's own timers do not use.
constexpr UINT_PTR kMakeSettingsPageTimer = 0x5350;

void CALLBACK MakeSettingsPage(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    if (LoadedWindow* main = FindLoadedWindow(WindowId::Main)) {
        main->CreateDeferredControls();
        main->DrawFullScreenTextsAhead();
    }
}

}  // namespace

void OnMainWindowCreated() {
    const std::string_view skin = ResourceBytes(L"SKIN_SHE");
    SkinH_AttachRes(reinterpret_cast<const uint8_t*>(skin.data()), 1, "", 0, 0, 0);
    State().startTimeMs = SystemTimeMs();
    HWND w = GetWindowHandle(WindowId::Main, ids::kMainSelf);
    HWND t = GetWindowHandle(WindowId::Main, ids::kMainFeedback);
    State().hotKeyId = RegisterNotifyHotKey(w, t, 1, VK_F12);
    LoadPrizeTableIntoBoxes();
    DrawWheel();
    // The settings page's controls are made once the wheel is on the screen (a timer's turn comes
    // after the paints): the start does not wait for them, and the page's first showing does not
    // make them in front of the audience.
    SetTimer(w, kMakeSettingsPageTimer, 0, &MakeSettingsPage);
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
