#pragma once
// The program's windows at run time: loading a window from its layout, the registry of the
// windows that exist, the frame procedure, and the keyboard handling shared by every window.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "ui/component.h"
#include "ui/model/layout.h"
#include "ui/model/scale.h"

namespace kelvra {

class LoadedWindow {
  public:
    explicit LoadedWindow(const WindowDef& def);
    ~LoadedWindow();
    LoadedWindow(const LoadedWindow&) = delete;
    LoadedWindow& operator=(const LoadedWindow&) = delete;

    const WindowDef& def() const { return def_; }
    HWND hwnd() const { return hwnd_; }
    WindowId id() const { return def_.id; }
    Component* Find(int32_t componentId) const;
    const std::vector<std::unique_ptr<Component>>& components() const { return components_; }
    // The tab page shown now (0 when the window has no tab control).
    int32_t currentPage() const { return currentPage_; }
    // Shows the page, making its controls first if it has not been shown before.
    void SelectPage(int32_t page);
    // Makes the native window of a control left for later (see Build); nothing for the others.
    void Realise(Component& c);
    HFONT FontFor(const FontDef& font);
    // The system's default GUI font at the window's scale.
    HFONT GuiFont();
    // Makes the window and the controls it shows now. The controls of a tab page not shown are
    // made when the page is first shown, or sooner when something needs them: the window
    // shows sooner.
    bool Build();

    // Units of the layout to the window's pixels.
    const Scale& scale() const { return scale_; }
    // Where a control's native window goes in its parent, in pixels.
    PixelRect PixelsOf(const Component& c) const;
    // A control's rectangle in its parent, read back from its native window, in units.
    PixelRect UnitsOf(const Component& c) const;
    // Lays every control out again at another DPI (the window moved to another monitor).
    void OnDpiChanged(int32_t dpi, const RECT& suggested);
    // F11: the window fills its monitor without a frame, its content scaled to fit and centred;
    // again (or Esc) gives the window back at its old place.
    void ToggleFullScreen();
    bool fullScreen() const { return fullScreen_; }
    void Detach() { hwnd_ = nullptr; }
    // Whether the window is being destroyed: its controls still exist, but it is going.
    bool closing() const { return closing_; }
    void MarkClosing() { closing_ = true; }

  private:
    // The client area in units: the layout's outer size less the frame drawn at 96 DPI.
    SIZE ClientUnits() const;
    void Relayout(Scale scale, POINT margin);
    void Create(Component& c);
    void ReleaseFonts();

    const WindowDef& def_;
    HWND hwnd_ = nullptr;
    std::vector<std::unique_ptr<Component>> components_;
    std::vector<std::pair<FontDef, HFONT>> fonts_;
    HFONT guiFont_ = nullptr;
    int32_t currentPage_ = 0;
    bool closing_ = false;
    Scale scale_;
    POINT margin_{0, 0};  // full screen: where the scaled content begins in the client area
    bool fullScreen_ = false;
    WINDOWPLACEMENT windowed_{};
    LONG_PTR windowedStyle_ = 0;
};

// What the window layer keeps while the program runs. The program owns it and hands it over
// once (BindWindowSystem) before any window is loaded.
struct WindowSystem {
    HINSTANCE instance = nullptr;
    std::span<const Binding> bindings;
    std::map<int32_t, std::unique_ptr<LoadedWindow>> windows;
};
void BindWindowSystem(WindowSystem* state);

// Registers the window classes and the keyboard pre-translation, and takes the handlers of the
// program; events without a binding do nothing.
void InitWindowSystem(HINSTANCE instance, std::span<const Binding> bindings);
HINSTANCE ProgramInstance();
std::span<const Binding> CurrentBindings();

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
// How many of the program's windows exist.
size_t LoadedWindowCount();

}  // namespace kelvra
