#include "runtime/encoding.h"
#include "ui/controls/controls.h"

namespace kelvra {

namespace {

class ButtonComponent : public NativeCaptionComponent {
  public:
    using NativeCaptionComponent::NativeCaptionComponent;
    void CreateNative(HWND parent) override {
        DWORD style = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
        if (def_->tabStop) style |= WS_TABSTOP;
        CreateChild(parent, L"BUTTON", GbkToWide(def_->text), style);
        SetNativeFont();
    }
    void OnCommand(WORD code) override {
        if (code == BN_CLICKED) Raise(EventKind::Clicked);
    }
};

}  // namespace

std::unique_ptr<Component> MakeButton(WindowHost& window, const ControlDef& def) {
    return std::make_unique<ButtonComponent>(window, &def);
}

}  // namespace kelvra
