#include "ui/window_registry.h"

#include "runtime/fatal.h"
#include "runtime/layer_state.h"
#include "ui/controls/controls.h"

namespace kelvra {

namespace {

WindowRegistry& Registry() {
    return LayerState<WindowRegistry>();
}

void BringForward(HWND hwnd) {
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
    else
        SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
}

}  // namespace

LoadedWindow* FindLoadedWindow(int32_t windowId) {
    auto& open = Registry().open;
    auto it = open.find(windowId);
    return it != open.end() ? it->second.get() : nullptr;
}

bool LoadWindow(int32_t windowId) {
    if (LoadedWindow* open = FindLoadedWindow(windowId);
        open != nullptr && IsWindow(open->hwnd())) {
        BringForward(open->hwnd());
        return true;
    }
    const WindowDef* def = FindWindowDef(windowId);
    if (def == nullptr) return false;
    WindowRegistry& registry = Registry();
    LoadedWindow* w = (registry.open[windowId] = std::make_unique<LoadedWindow>(
                           *def, registry.instance, registry.bindings))
                          .get();
    if (!w->Open()) {
        registry.open.erase(windowId);
        return false;
    }
    HWND hwnd = w->hwnd();
    w->Find(def->selfId)->Raise(EventKind::Created);
    if (!IsWindow(hwnd)) return true;  // the created handler closed it
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    return true;
}

bool ForgetWindow(int32_t windowId) {
    auto& open = Registry().open;
    open.erase(windowId);
    return open.empty();
}

HWND GetWindowHandle(int32_t windowId, int32_t componentId) {
    LoadedWindow* w = FindLoadedWindow(windowId);
    Component* c = w != nullptr ? w->Find(componentId) : nullptr;
    if (c != nullptr) w->EnsureCreated(*c);
    if (c == nullptr || c->hwnd() == nullptr || !IsWindow(c->hwnd()))
        ReportRuntimeError("指定窗口或窗口组件不存在或尚未载入");
    return c->hwnd();
}

CanvasBox* FindCanvas(WindowId w, int32_t componentId) {
    LoadedWindow* window = FindLoadedWindow(w);
    Component* c = window != nullptr ? window->Find(componentId) : nullptr;
    return c != nullptr && c->type() == ControlType::CartoonBox ? static_cast<CanvasBox*>(c)
                                                                : nullptr;
}

const SpriteTemplate* FindTemplate(WindowId w, int32_t componentId) {
    LoadedWindow* window = FindLoadedWindow(w);
    return TemplateOf(window != nullptr ? window->Find(componentId) : nullptr);
}

}  // namespace kelvra
