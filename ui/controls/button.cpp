#include "runtime/encoding.h"
#include "ui/controls/controls.h"

namespace kelvra {

namespace {

class ButtonComponent : public Component {
  public:
    using Component::Component;
    void Create(HWND parent) override {
        DWORD style = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
        if (def_->tabStop) style |= WS_TABSTOP;
        CreateChild(parent, L"BUTTON", GbkToWide(def_->text), style);
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    }
    void OnCommand(WORD code) override {
        if (code == BN_CLICKED) Raise(EventKind::Clicked);
    }
    PropertyValue GetTypeProperty(int32_t index, int32_t member) override {
        if (index == 0) return PropertyValue::Text(WideToGbk(WindowTextOf(hwnd_)));
        return Component::GetTypeProperty(index, member);
    }
    void SetTypeProperty(int32_t index, int32_t member, const PropertyValue& value) override {
        if (index != 0) return Component::SetTypeProperty(index, member, value);
        SetWindowTextW(hwnd_, GbkToWide(value.text).c_str());
    }
};

}  // namespace

std::unique_ptr<Component> MakeButton(LoadedWindow& window, const ControlDef& def) {
    return std::make_unique<ButtonComponent>(window, &def);
}

}  // namespace kelvra
