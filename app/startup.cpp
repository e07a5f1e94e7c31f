#include "app/startup.h"

#include "app/clock.h"
#include "app/globals.h"
#include "app/editing.h"
#include "runtime/win/hotkey.h"
#include "ui/assets.h"
#include "ui/model/ids.h"
#include "ui/skin.h"
#include "app/wheel.h"

namespace kelvra {

void OnMainWindowCreated() {
    const std::string_view skin = ResourceBytes(L"SKIN_SHE");
    SkinH_AttachRes(reinterpret_cast<const uint8_t*>(skin.data()), 1, "", 0, 0, 0);
    G().startTimeMs = CurrentTimeMs();
    HWND w = GetWindowHandle(static_cast<int32_t>(WindowId::Main), ids::kMainSelf);
    HWND t = GetWindowHandle(static_cast<int32_t>(WindowId::Main), ids::kMainFeedback);
    G().hotKeyId = RegisterNotifyHotKey(w, t, 1, VK_F12);
    LoadPrizeTableIntoBoxes();
    DrawWheel();
}

void OnHotKeyNotify(int32_t param1, int32_t) {
    if (param1 != 0 && param1 == G().hotKeyId) LoadWindow(static_cast<int32_t>(WindowId::Rate));
}

void OnHelpClicked() {
    LoadWindow(static_cast<int32_t>(WindowId::Help));
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
int32_t StartReleased(const EventArgs& a) {
    OnStartReleased(a.a, a.b, a.c);
    return 0;
}

constexpr Binding kBindings[] = {
    {WindowId::Main, ids::kMainSelf, EventKind::Created, &NoArgs<OnMainWindowCreated>},
    {WindowId::Main, ids::kMainSelf, EventKind::Destroying, &NoArgs<OnMainWindowDestroyed>},
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
