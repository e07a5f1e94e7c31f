#include "ui/loaded_window.h"

#include <cwchar>
#include <string>

#include "runtime/encoding.h"
#include "runtime/win/dpi.h"
#include "ui/controls/canvas_box.h"
#include "ui/controls/controls.h"
#include "ui/paint_at_once.h"

namespace kelvra {

namespace {

// The window itself as a component: its caption is its type property 0.
class FrameComponent : public NativeCaptionComponent {
  public:
    using NativeCaptionComponent::NativeCaptionComponent;
    void CreateNative(HWND) override {}
    void Bind(HWND hwnd) { Attach(hwnd); }
};

}  // namespace

LoadedWindow::LoadedWindow(const WindowDef& def, HINSTANCE instance,
                           std::span<const Binding> bindings)
    : def_(def), instance_(instance), bindings_(bindings) {}

LoadedWindow::~LoadedWindow() {
    if (full_.cursorHidden) ShowCursor(TRUE);
    if (full_.before != nullptr) DeleteObject(full_.before);
    components_.clear();
    ReleaseFonts();
}

LoadedWindow* LoadedWindow::OfFrame(HWND hwnd) {
    wchar_t name[std::size(kFrameClass) + 1] = {};
    if (GetClassNameW(hwnd, name, static_cast<int>(std::size(name))) == 0 ||
        std::wcscmp(name, kFrameClass) != 0)
        return nullptr;
    return reinterpret_cast<LoadedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

Component* LoadedWindow::Find(int32_t componentId) const {
    for (const auto& c : components_)
        if (c->id() == componentId) return c.get();
    return nullptr;
}

int32_t LoadedWindow::Raise(int32_t componentId, EventKind event, const EventArgs& args) {
    for (const Binding& b : bindings_)
        if (b.window == def_.id && b.component == componentId && b.event == event)
            return b.handler(args);
    return 0;
}

bool LoadedWindow::CreateFrame() {
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    const int32_t dpi = DpiAtPoint({screenW / 2, screenH / 2});
    scale_ = Scale::ForDpi(dpi);
    // At 96 DPI the layout's outer size is the window's; elsewhere its client area is scaled and
    // the frame is the one the system draws at that DPI.
    SIZE outer{def_.width, def_.height};
    const SIZE client = ClientUnits();
    if (!scale_.IsIdentity()) {
        RECT r{0, 0, scale_.Px(client.cx), scale_.Px(client.cy)};
        AdjustWindowRectForDpi(r, kFrameStyle, kFrameExStyle, dpi);
        outer = {r.right - r.left, r.bottom - r.top};
    }
    const std::wstring caption = GbkToWide(def_.caption);
    hwnd_ = CreateWindowExW(kFrameExStyle, kFrameClass, caption.c_str(), kFrameStyle,
                            (screenW - outer.cx) / 2, (screenH - outer.cy) / 2, outer.cx, outer.cy,
                            nullptr, nullptr, instance_, this);
    if (hwnd_ == nullptr) return false;
    if (!scale_.IsIdentity()) {
        // Whatever the frame really takes, the client area is the layout's, scaled.
        RECT got;
        GetClientRect(hwnd_, &got);
        const int dx = scale_.Px(client.cx) - got.right, dy = scale_.Px(client.cy) - got.bottom;
        if (dx != 0 || dy != 0)
            SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx + dx, outer.cy + dy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

bool LoadedWindow::Open() {
    if (!CreateFrame()) return false;
    auto self = std::make_unique<FrameComponent>(*this, nullptr);
    self->Bind(hwnd_);
    components_.push_back(std::move(self));
    for (const ControlDef& def : def_.controls) {
        std::unique_ptr<Component> c = MakeControl(*this, def);
        if (c == nullptr) continue;
        components_.push_back(std::move(c));
        Component& made = *components_.back();
        if (def.page >= 0 && def.page != currentPage_)
            made.SetDeferred(true);
        else
            CreateControlWindow(made);
    }
    for (const auto& c : components_) c->ApplyVisibility();
    laidOut_ = {scale_, full_.on};
    return true;
}

void LoadedWindow::CreateDeferredControls() {
    for (const auto& c : components_) EnsureCreated(*c);
}

void LoadedWindow::SelectPage(int32_t page) {
    currentPage_ = page;
    // Made and shown one by one, each control would be drawn over the page still showing, and
    // the screen would show the mixture: the window draws nothing until the page is complete,
    // then paints it whole, in one picture put on the screen at once.
    const bool hold = hwnd_ != nullptr && IsWindowVisible(hwnd_);
    if (hold) SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    CatchUpPage(page);
    for (const auto& c : components_)
        if (c->def() != nullptr && c->def()->page == page) EnsureCreated(*c);
    for (const auto& c : components_)
        if (c->def() != nullptr && c->def()->page >= 0) c->ApplyVisibility();
    if (!hold) return;
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    if (!PaintAtOnce(hwnd_))
        RedrawWindow(hwnd_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void LoadedWindow::CreateControlWindow(Component& c) {
    Component* parent = Find(c.def()->parent);
    if (parent != nullptr) EnsureCreated(*parent);
    c.CreateNative(parent != nullptr && parent->hwnd() != nullptr ? parent->hwnd() : hwnd_);
    if (c.hwnd() == nullptr) return;
    // Canvases lie beneath every other control of their parent; the rest keep the table order,
    // which is also the order of the tab stops, however late they are made.
    HWND after = HWND_BOTTOM;
    if (c.type() != ControlType::CartoonBox) {
        after = HWND_TOP;
        for (const auto& other : components_) {
            if (other.get() == &c) break;
            if (other->hwnd() != nullptr && other->type() != ControlType::CartoonBox &&
                GetParent(other->hwnd()) == GetParent(c.hwnd()))
                after = other->hwnd();
        }
    }
    SetWindowPos(c.hwnd(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void LoadedWindow::EnsureCreated(Component& c) {
    if (!c.deferred() || hwnd_ == nullptr) return;
    c.SetDeferred(false);
    CreateControlWindow(c);
    // What was written meanwhile applies now; the other controls of the page keep their order.
    c.ApplyVisibility();
    if (c.common().disabled && c.hwnd() != nullptr) EnableWindow(c.hwnd(), FALSE);
    c.ApplyCursor();
}

}  // namespace kelvra
