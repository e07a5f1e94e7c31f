#include "ui/window.h"

#include <string>

#include "runtime/encoding.h"
#include "runtime/fatal.h"
#include "runtime/win/events.h"
#include "ui/assets.h"
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
class FrameComponent : public Component {
  public:
    using Component::Component;
    void Create(HWND) override {}
    void Bind(HWND hwnd) { Attach(hwnd); }
    PropertyValue GetTypeProperty(int32_t index, int32_t member) override {
        if (index == 0) return PropertyValue::Text(WideToGbk(WindowTextOf(hwnd_)));
        return Component::GetTypeProperty(index, member);
    }
    void SetTypeProperty(int32_t index, int32_t member, const PropertyValue& value) override {
        if (index != 0) return Component::SetTypeProperty(index, member, value);
        SetWindowTextW(hwnd_, GbkToWide(value.text).c_str());
    }
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
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool OwnWindow(HWND top) {
    for (const auto& [id, w] : State().windows)
        if (w->hwnd() == top) return true;
    return false;
}

// Esc closes the program's window that has the focus; Tab moves between tab stops; F1 does
// nothing; Enter does not move the focus.
bool PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    if (top == nullptr || !OwnWindow(top)) return false;
    if (msg.message == WM_CHAR) return msg.wParam == VK_TAB || msg.wParam == VK_ESCAPE;
    switch (msg.wParam) {
        case VK_ESCAPE:
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
    for (auto& [font, handle] : fonts_) DeleteObject(handle);
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
    spec.height = -font.height;
    spec.weight = font.weight;
    // A font that names no face takes the face of the default GUI font, which every locale's
    // system links to its Chinese fallback.
    spec.face = *font.face != '\0' ? std::string(font.face) : DefaultGuiFont().face;
    HFONT handle = CreateFontFor(spec);
    fonts_.emplace_back(font, handle);
    return handle;
}

void LoadedWindow::SelectPage(int32_t page) {
    currentPage_ = page;
    for (const auto& c : components_)
        if (c->def() != nullptr && c->def()->page >= 0) c->ApplyVisibility();
}

bool LoadedWindow::Build() {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - def_.width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - def_.height) / 2;
    const std::wstring caption = GbkToWide(def_.caption);
    hwnd_ = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kFrameClass, caption.c_str(),
                            style, x, y, def_.width, def_.height, nullptr, nullptr,
                            ProgramInstance(), this);
    if (hwnd_ == nullptr) return false;
    auto self = std::make_unique<FrameComponent>(*this, nullptr);
    self->Bind(hwnd_);
    components_.push_back(std::move(self));
    if (def_.ownIcon) SetProgramIcon(hwnd_);
    for (const ControlDef& def : def_.controls) {
        std::unique_ptr<Component> c = MakeControl(*this, def);
        Component* parent = Find(def.parent);
        c->Create(parent != nullptr && parent->hwnd() != nullptr ? parent->hwnd() : hwnd_);
        components_.push_back(std::move(c));
    }
    // Canvases lie beneath every other control of their parent; the rest keep the table order,
    // which is also the order of the tab stops.
    for (const auto& c : components_) {
        if (c->type() == ControlType::CartoonBox && c->hwnd() != nullptr)
            SetWindowPos(c->hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
    if (c == nullptr || c->hwnd() == nullptr || !IsWindow(c->hwnd()))
        ReportRuntimeError("指定窗口或窗口组件不存在或尚未载入");
    return c->hwnd();
}

}  // namespace kelvra
