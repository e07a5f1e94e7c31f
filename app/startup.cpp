#include "app/startup.h"

#include "app/clock.h"
#include "app/keys.h"
#include "app/prize_names.h"
#include "app/rate_window.h"
#include "app/spin.h"
#include "app/state.h"
#include "app/wheel_drawing.h"
#include "runtime/win/hotkey.h"
#include "ui/resources.h"
#include "ui/model/ids.h"
#include "ui/skin.h"

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

namespace {

template <void (*F)()>
int32_t NoArgs(const EventArgs&) {
    F();
    return 0;
}
int32_t Total(const EventArgs&) {
    ShowTotal();
    return 0;
}
int32_t HotKey(const EventArgs& a) {
    OnHotKeyNotify(a.a, a.b);
    return 0;
}
int32_t StartPressed(const EventArgs& a) {
    OnStartPressed(a.a, a.b, a.c);
    return 0;
}
int32_t Key(const EventArgs& a) {
    return OnMainWindowKey(a.a);
}
int32_t StartReleased(const EventArgs& a) {
    OnStartReleased(a.a, a.b, a.c);
    return 0;
}

constexpr Binding kBindings[] = {
    {WindowId::Main, ids::kMainSelf, EventKind::Created, &NoArgs<OnMainWindowCreated>},
    {WindowId::Main, ids::kMainSelf, EventKind::Destroying, &NoArgs<OnMainWindowDestroyed>},
    {WindowId::Main, ids::kMainSelf, EventKind::KeyDown, &Key},
    {WindowId::Main, ids::kMainStart, EventKind::MouseDown, &StartPressed},
    {WindowId::Main, ids::kMainStart, EventKind::MouseUp, &StartReleased},
    {WindowId::Main, ids::kMainSaveNames, EventKind::Clicked, &NoArgs<SaveNames>},
    {WindowId::Main, ids::kMainHelp, EventKind::Clicked, &NoArgs<OnHelpClicked>},
    {WindowId::Main, ids::kMainFeedback, EventKind::Feedback, &HotKey},
    {WindowId::Rate, ids::kRateSelf, EventKind::Created, &NoArgs<LoadRateBoxes>},
    {WindowId::Rate, ids::kRateBox[0], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateBox[1], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateBox[2], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateBox[3], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateBox[4], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateBox[5], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateBox[6], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateBox[7], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateBox[8], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateBox[9], EventKind::Changed, &Total},
    {WindowId::Rate, ids::kRateSave, EventKind::Clicked, &NoArgs<SaveRates>},
};

}  // namespace

std::span<const Binding> ProgramBindings() {
    return kBindings;
}

}  // namespace kelvra
