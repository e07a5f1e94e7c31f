// Label and TransLabel: drawn by the program, each showing a caption over its background.
#include "ui/controls/labels.h"

#include "runtime/text.h"
#include "runtime/win/hotkey.h"
#include "ui/controls/canvas_box.h"
#include "ui/controls/controls.h"

namespace kelvra {

namespace {

int32_t MouseKeys(WPARAM wp) {
    int32_t keys = 0;
    if (wp & MK_CONTROL) keys |= 1;
    if (wp & MK_SHIFT) keys |= 2;
    if (GetKeyState(VK_MENU) < 0) keys |= 4;
    return keys;
}

// The pointer's place in units of the layout, as the handlers work in them.
EventArgs MouseArgs(const Scale& scale, WPARAM wp, LPARAM lp) {
    return {.x = scale.Units(static_cast<int16_t>(LOWORD(lp))),
            .y = scale.Units(static_cast<int16_t>(HIWORD(lp))),
            .keys = MouseKeys(wp)};
}

}  // namespace

void LabelComponent::CreateNative(HWND parent) {
    caption_ = def_->text;
    textColour_ = OrBlack(def_->textColour);
    CreateChild(parent, kLabelClass, L"", 0);
}

void LabelComponent::SetCaption(std::string_view text) {
    caption_ = std::string(TextView(text));
    Repaint();
}

void LabelComponent::SetTextColour(uint32_t colour) {
    textColour_ = colour;
    Repaint();
}

PropertyValue LabelComponent::ReadTypeProperty(int32_t number, int32_t member) {
    switch (number) {
        case LabelProperty::Caption:
            return PropertyValue::Text(caption_);
        case LabelProperty::TextColour:
            return PropertyValue::Number(static_cast<int32_t>(textColour_));
        default:
            return Component::ReadTypeProperty(number, member);
    }
}

void LabelComponent::WriteTypeProperty(int32_t number, int32_t member, const PropertyValue& value) {
    switch (number) {
        case LabelProperty::Caption:
            return SetCaption(value.text);
        case LabelProperty::TextColour:
            return SetTextColour(static_cast<uint32_t>(value.number));
        default:
            return Component::WriteTypeProperty(number, member, value);
    }
}

void LabelComponent::Paint(HDC dc) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    if (def_->backColour == kNoColour) {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    } else {
        SolidBrush back(def_->backColour);
        FillRect(dc, &rc, back.get());
    }
    UINT flags = def_->align == Align::Centre ? DT_CENTER : DT_LEFT;
    if (def_->vcentre) flags |= DT_SINGLELINE | DT_VCENTER;
    if (def_->wrap) flags |= DT_WORDBREAK;
    PaintCaption(dc, Font(), caption_, textColour_, rc, flags);
}

void LabelComponent::Repaint() {
    InvalidateRect(hwnd_, nullptr, TRUE);
    UpdateWindow(hwnd_);
}

void TransLabelComponent::CreateNative(HWND parent) {
    caption_ = def_->text;
    CreateChild(parent, kTransLabelClass, L"", 0);
}

void TransLabelComponent::Paint(HDC dc) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    if (!PaintCanvasBeneath(dc)) FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    PaintCaption(dc, Font(), caption_, def_->textColour, rc,
                 DT_CENTER | DT_SINGLELINE | DT_VCENTER);
}

void TransLabelComponent::SetCaption(std::string_view text) {
    caption_ = std::string(TextView(text));
    InvalidateRect(hwnd_, nullptr, FALSE);
}

PropertyValue TransLabelComponent::ReadTypeProperty(int32_t number, int32_t member) {
    if (number == TransLabelProperty::Caption) return PropertyValue::Text(caption_);
    return Component::ReadTypeProperty(number, member);
}

void TransLabelComponent::WriteTypeProperty(int32_t number, int32_t member,
                                            const PropertyValue& value) {
    if (number == TransLabelProperty::Caption) return SetCaption(value.text);
    Component::WriteTypeProperty(number, member, value);
}

bool TransLabelComponent::PaintCanvasBeneath(HDC dc) {
    RECT mine;
    GetWindowRect(hwnd_, &mine);
    for (const auto& c : window_.components()) {
        if (c->type() != ControlType::CartoonBox || c->hwnd() == nullptr ||
            GetParent(c->hwnd()) != GetParent(hwnd_) || !IsWindowVisible(c->hwnd()))
            continue;
        RECT box, overlap;
        GetWindowRect(c->hwnd(), &box);
        if (!IntersectRect(&overlap, &box, &mine)) continue;
        const RECT source{mine.left - box.left, mine.top - box.top, mine.right - box.left,
                          mine.bottom - box.top};
        static_cast<CanvasBox*>(c.get())->PaintTo(dc, source, 0, 0);
        return true;
    }
    return false;
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<LabelComponent*>(Component::FromHwnd(hwnd));
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_PAINT:
        case WM_ERASEBKGND:
        case WM_PRINTCLIENT:
            return PaintMessage(hwnd, msg, wp, [self](HDC dc, const RECT&) { self->Paint(dc); });
        case kHotKeyNotifyMessage:
            return self->Raise(EventKind::Feedback, {.wParam = static_cast<int32_t>(wp),
                                                     .lParam = static_cast<int32_t>(lp)});
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK TransLabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<TransLabelComponent*>(Component::FromHwnd(hwnd));
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_PAINT:
        case WM_ERASEBKGND:
        case WM_PRINTCLIENT:
            return PaintMessage(hwnd, msg, wp, [self](HDC dc, const RECT&) { self->Paint(dc); });
        case WM_LBUTTONDOWN:
            self->Raise(EventKind::MouseDown, MouseArgs(self->window().scale(), wp, lp));
            return 0;
        case WM_LBUTTONUP:
            self->Raise(EventKind::MouseUp, MouseArgs(self->window().scale(), wp, lp));
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

std::unique_ptr<Component> MakeLabel(WindowHost& window, const ControlDef& def) {
    return std::make_unique<LabelComponent>(window, &def);
}

std::unique_ptr<Component> MakeTransLabel(WindowHost& window, const ControlDef& def) {
    return std::make_unique<TransLabelComponent>(window, &def);
}

}  // namespace kelvra
