#pragma once
// The windows of the program that exist now, by id: loading one from its layout, finding it and
// its controls, and forgetting it when it has gone.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <span>

#include "ui/binding.h"
#include "ui/controls/canvas_box.h"
#include "ui/loaded_window.h"
#include "ui/model/layout.h"

namespace kelvra {

// What the window layer keeps while the program runs; the program owns it (LayerState).
struct WindowRegistry {
    HINSTANCE instance = nullptr;
    std::span<const Binding> bindings;
    std::map<int32_t, std::unique_ptr<LoadedWindow>> open;
};

// Creates the window with that id and shows it, or brings an open one forward. False when
// there is no such window or it cannot be created.
bool LoadWindow(int32_t windowId);
inline bool LoadWindow(WindowId id) {
    return LoadWindow(static_cast<int32_t>(id));
}
LoadedWindow* FindLoadedWindow(int32_t windowId);
inline LoadedWindow* FindLoadedWindow(WindowId id) {
    return FindLoadedWindow(static_cast<int32_t>(id));
}
// The native handle of a window (its own component id) or component; fatal when missing.
HWND GetWindowHandle(int32_t windowId, int32_t componentId);
inline HWND GetWindowHandle(WindowId id, int32_t componentId) {
    return GetWindowHandle(static_cast<int32_t>(id), componentId);
}
// The canvas of a CartoonBox, and the template of a CartoonObject; null when the window or the
// component is missing or of another type.
CanvasBox* FindCanvas(WindowId w, int32_t componentId);
const SpriteTemplate* FindTemplate(WindowId w, int32_t componentId);

// Drops a window whose native window has gone; true when it was the last one.
bool ForgetWindow(int32_t windowId);

}  // namespace kelvra
