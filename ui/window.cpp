#include "ui/window.h"

#include <string>

#include "runtime/encoding.h"
#include "runtime/fatal.h"
#include "runtime/win/dpi.h"
#include "runtime/win/events.h"
#include "ui/text_render.h"
#include "ui/controls/controls.h"

namespace kelvra {

namespace {

constexpr wchar_t kFrameClass[] = L"KelvraFrame";

WindowSystem* g_state = nullptr;

WindowSystem& State() {
    static WindowSystem fallback;  // only for code that runs before the program binds its own
    return g_state != nullptr ? *g_state : fallback;
}

// The window itself as a component: its caption is its type property 0.
class FrameComponent : public NativeCaptionComponent {
  public:
    using NativeCaptionComponent::NativeCaptionComponent;
    void Create(HWND) override {}
    void Bind(HWND hwnd) { Attach(hwnd); }
};

void OnFrameDestroyed(LoadedWindow& window) {
    window.MarkClosing();
    if (Component* self = window.Find(window.def().selfId)) self->Raise(EventKind::Destroying);
}

void OnFrameGone(HWND hwnd, LoadedWindow& window) {
    const int32_t id = static_cast<int32_t>(window.id());
    window.Detach();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    State().windows.erase(id);
    if (State().windows.empty()) PostQuitMessage(0);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* window = reinterpret_cast<LoadedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (Component::RouteToChild(msg, wp, lp, result)) return result;
    if (window == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_ERASEBKGND:
            if (window->def().backColour == kNoColour) break;
            {
                RECT rc;
                GetClientRect(hwnd, &rc);
                SolidBrush back(window->def().backColour);
                FillRect(reinterpret_cast<HDC>(wp), &rc, back.get());
            }
            return 1;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            OnFrameDestroyed(*window);
            return 0;
        case WM_NCDESTROY:
            OnFrameGone(hwnd, *window);
            break;
        case kDpiChangedMessage:
            window->OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LoadedWindow* OwnWindow(HWND top) {
    for (const auto& [id, w] : State().windows)
        if (w->hwnd() == top) return w.get();
    return nullptr;
}

// Esc closes the program's window that has the focus; Tab moves between tab stops; F1 does
// nothing; Enter does not move the focus.
bool PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    LoadedWindow* window = top != nullptr ? OwnWindow(top) : nullptr;
    if (window == nullptr) return false;
    if (msg.message == WM_CHAR) return msg.wParam == VK_TAB || msg.wParam == VK_ESCAPE;
    if (Component* self = window->Find(window->def().selfId);
        self != nullptr && self->Raise(EventKind::KeyDown, {static_cast<int32_t>(msg.wParam)}))
        return true;
    switch (msg.wParam) {
        case VK_ESCAPE:
            // Full screen is left first; the window closes at the next Esc.
            if (window->fullScreen())
                window->ToggleFullScreen();
            else
                PostMessageW(top, WM_CLOSE, 0, 0);
            return true;
        case VK_F1:
            return true;
        case VK_TAB:
            if (HWND next = GetNextDlgTabItem(top, GetFocus(), GetKeyState(VK_SHIFT) < 0))
                SetFocus(next);
            return true;
        default:
            return false;
    }
}

void SetProgramIcon(HWND hwnd) {
    HINSTANCE instance = ProgramInstance();
    HICON big = LoadIconW(instance, L"DEFAULT_ICON");
    auto small = static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void BringForward(HWND hwnd) {
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
    else
        SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
}

}  // namespace

LoadedWindow::LoadedWindow(const WindowDef& def) : def_(def) {}

LoadedWindow::~LoadedWindow() {
    components_.clear();
    ReleaseFonts();
}

Component* LoadedWindow::Find(int32_t componentId) const {
    for (const auto& c : components_)
        if (c->id() == componentId) return c.get();
    return nullptr;
}

HFONT LoadedWindow::FontFor(const FontDef& font) {
    for (auto& [f, handle] : fonts_)
        if (f.height == font.height && f.weight == font.weight &&
            std::string_view(f.face) == font.face)
            return handle;
    FontSpec spec;
    spec.set = true;
    spec.height = -scale_.Px(font.height);
    spec.weight = font.weight;
    // A font that names no face takes the face of the default GUI font, which every locale's
    // system links to its Chinese fallback.
    spec.face = *font.face != '\0' ? std::string(font.face) : DefaultGuiFont().face;
    HFONT handle = CreateFontFor(spec);
    fonts_.emplace_back(font, handle);
    return handle;
}

HFONT LoadedWindow::GuiFont() {
    // The system's own font fits the system's DPI.
    if (scale_ == Scale::ForDpi(SystemDpi()))
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (guiFont_ == nullptr) {
        FontSpec spec = DefaultGuiFont();
        spec.height = scale_.Px(spec.height);
        guiFont_ = CreateFontFor(spec);
    }
    return guiFont_;
}

void LoadedWindow::ReleaseFonts() {
    for (auto& [font, handle] : fonts_) DeleteObject(handle);
    fonts_.clear();
    if (guiFont_ != nullptr) DeleteObject(guiFont_);
    guiFont_ = nullptr;
}

PixelRect LoadedWindow::PixelsOf(const Component& c) const {
    const Component::Common& u = c.common();
    PixelRect r = scale_.Px(u.left, u.top, u.width, u.height);
    if (c.def() != nullptr && c.def()->parent == def_.selfId) {
        r.left += margin_.x;
        r.top += margin_.y;
    }
    return r;
}

PixelRect LoadedWindow::UnitsOf(const Component& c) const {
    RECT r;
    GetWindowRect(c.hwnd(), &r);
    if (HWND parent = GetParent(c.hwnd());
        parent != nullptr && (GetWindowLongW(c.hwnd(), GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (c.def() == nullptr) return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    if (c.def()->parent == def_.selfId) OffsetRect(&r, -margin_.x, -margin_.y);
    const int32_t left = scale_.Units(r.left), top = scale_.Units(r.top);
    return {left, top, scale_.Units(r.right) - left, scale_.Units(r.bottom) - top};
}

void LoadedWindow::Relayout(Scale scale, POINT margin) {
    // The controls take their new fonts before the old ones go.
    std::vector<std::pair<FontDef, HFONT>> oldFonts = std::move(fonts_);
    HFONT oldGui = guiFont_;
    fonts_.clear();
    guiFont_ = nullptr;
    scale_ = scale;
    margin_ = margin;
    for (const auto& c : components_) c->Relayout();
    for (auto& [font, handle] : oldFonts) DeleteObject(handle);
    if (oldGui != nullptr) DeleteObject(oldGui);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void LoadedWindow::OnDpiChanged(int32_t dpi, const RECT& suggested) {
    if (fullScreen_) {
        // Still full screen on the new monitor: fit it again.
        ToggleFullScreen();
        ToggleFullScreen();
        return;
    }
    Relayout(Scale::ForDpi(dpi), {0, 0});
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LoadedWindow::ToggleFullScreen() {
    if (fullScreen_) {
        fullScreen_ = false;
        SetWindowLongPtrW(hwnd_, GWL_STYLE, windowedStyle_);
        SetWindowPlacement(hwnd_, &windowed_);
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        Relayout(Scale::ForDpi(DpiOfWindow(hwnd_)), {0, 0});
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    windowed_.length = sizeof windowed_;
    GetWindowPlacement(hwnd_, &windowed_);
    windowedStyle_ = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    fullScreen_ = true;
    const RECT& m = monitor.rcMonitor;
    const int w = m.right - m.left, h = m.bottom - m.top;
    SetWindowLongPtrW(hwnd_, GWL_STYLE,
                      (windowedStyle_ & ~(WS_CAPTION | WS_THICKFRAME)) | WS_POPUP);
    SetWindowPos(hwnd_, HWND_TOP, m.left, m.top, w, h, SWP_FRAMECHANGED | SWP_NOACTIVATE);
    const SIZE client = ClientUnits();
    const Scale fit = Scale::ToFit(client.cx, client.cy, w, h);
    Relayout(fit, {(w - fit.Px(client.cx)) / 2, (h - fit.Px(client.cy)) / 2});
}

void LoadedWindow::SelectPage(int32_t page) {
    currentPage_ = page;
    for (const auto& c : components_)
        if (c->def() != nullptr && c->def()->page == page) Realise(*c);
    for (const auto& c : components_)
        if (c->def() != nullptr && c->def()->page >= 0) c->ApplyVisibility();
}

void LoadedWindow::Create(Component& c) {
    Component* parent = Find(c.def()->parent);
    if (parent != nullptr) Realise(*parent);
    c.Create(parent != nullptr && parent->hwnd() != nullptr ? parent->hwnd() : hwnd_);
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

void LoadedWindow::Realise(Component& c) {
    if (!c.deferred() || hwnd_ == nullptr) return;
    c.SetDeferred(false);
    Create(c);
    // What was written meanwhile applies now; the other controls of the page keep their order.
    c.ApplyVisibility();
    if (c.common().disabled && c.hwnd() != nullptr) EnableWindow(c.hwnd(), FALSE);
    c.ApplyCursor();
}

constexpr DWORD kFrameStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFrameExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

SIZE LoadedWindow::ClientUnits() const {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectForDpi(frame, kFrameStyle, kFrameExStyle, 96);
    return {def_.width - (frame.right - frame.left), def_.height - (frame.bottom - frame.top)};
}

bool LoadedWindow::Build() {
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
                            nullptr, nullptr, ProgramInstance(), this);
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
    auto self = std::make_unique<FrameComponent>(*this, nullptr);
    self->Bind(hwnd_);
    components_.push_back(std::move(self));
    if (def_.ownIcon) SetProgramIcon(hwnd_);
    for (const ControlDef& def : def_.controls) {
        std::unique_ptr<Component> c = MakeControl(*this, def);
        if (c == nullptr) continue;
        components_.push_back(std::move(c));
        Component& made = *components_.back();
        if (def.page >= 0 && def.page != currentPage_)
            made.SetDeferred(true);
        else
            Create(made);
    }
    for (const auto& c : components_) c->ApplyVisibility();
    return true;
}

void BindWindowSystem(WindowSystem* state) {
    g_state = state;
}

void InitWindowSystem(HINSTANCE instance, std::span<const Binding> bindings) {
    WindowSystem& state = State();
    state.bindings = bindings;
    if (state.instance != nullptr) return;
    state.instance = instance;
    HICON icon = LoadIconW(instance, L"DEFAULT_ICON");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = icon;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kFrameClass;
    RegisterClassExW(&wc);
    RegisterControlClasses(instance, icon);
    SetPreTranslate(&PreTranslate);
}

HINSTANCE ProgramInstance() {
    return State().instance;
}

std::span<const Binding> CurrentBindings() {
    return State().bindings;
}

LoadedWindow* FindLoadedWindow(int32_t windowId) {
    auto& windows = State().windows;
    auto it = windows.find(windowId);
    return it != windows.end() ? it->second.get() : nullptr;
}

size_t LoadedWindowCount() {
    return State().windows.size();
}

bool LoadWindow(int32_t windowId) {
    if (LoadedWindow* open = FindLoadedWindow(windowId);
        open != nullptr && IsWindow(open->hwnd())) {
        BringForward(open->hwnd());
        return true;
    }
    const WindowDef* def = FindWindowDef(windowId);
    if (def == nullptr) return false;
    auto& windows = State().windows;
    LoadedWindow* w = (windows[windowId] = std::make_unique<LoadedWindow>(*def)).get();
    if (!w->Build()) {
        windows.erase(windowId);
        return false;
    }
    HWND hwnd = w->hwnd();
    w->Find(def->selfId)->Raise(EventKind::Created);
    if (!IsWindow(hwnd)) return true;  // the created handler closed it
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    return true;
}

HWND GetWindowHandle(int32_t windowId, int32_t componentId) {
    LoadedWindow* w = FindLoadedWindow(windowId);
    Component* c = w != nullptr ? w->Find(componentId) : nullptr;
    if (c != nullptr) w->Realise(*c);
    if (c == nullptr || c->hwnd() == nullptr || !IsWindow(c->hwnd()))
        ReportRuntimeError("指定窗口或窗口组件不存在或尚未载入");
    return c->hwnd();
}

}  // namespace kelvra
