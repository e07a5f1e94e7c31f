#pragma once
// The program's windows and their components at run time: loading a window from its layout,
// finding components by id, the property access by number, and the routing of each control's
// events to the handlers bound in the binding table.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ui/model/layout.h"
#include "ui/model/properties.h"
#include "wheel/canvas.h"

namespace kelvra {

enum class EventKind { Created, Destroying, MouseDown, MouseUp, Clicked, Changed, Feedback };

// Mouse events: x, y, keys (1 Ctrl, 2 Shift, 4 Alt); the label feedback event: wParam, lParam.
struct EventArgs {
    int32_t a = 0;
    int32_t b = 0;
    int32_t c = 0;
};

using EventHandler = int32_t (*)(const EventArgs& args);

struct Binding {
    WindowId window;
    int32_t component;  // the window's own id for window events
    EventKind event;
    EventHandler handler;
};

// The handlers of the program; events without a binding do nothing.
void SetBindings(std::span<const Binding> bindings);

class LoadedWindow;

// One control (or the window itself) of a loaded window.
class Component {
  public:
    Component(LoadedWindow& window, const ControlDef* def);
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const ControlDef* def() const { return def_; }
    ControlType type() const;
    int32_t id() const;
    HWND hwnd() const { return hwnd_; }
    LoadedWindow& window() const { return window_; }

    // Creates the native window under `parent`.
    virtual void Create(HWND parent) = 0;

    // Type properties (index 8 and up, passed here as index - 8).
    virtual PropertyValue GetTypeProperty(int32_t index, int32_t member);
    virtual void SetTypeProperty(int32_t index, int32_t member, const PropertyValue& value);

    // Notifications routed from the parent window.
    virtual void OnCommand(WORD /*code*/) {}
    virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
    virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }

    // Common properties.
    struct Common {
        int32_t left = 0, top = 0, width = 0, height = 0;
        std::string tag;
        bool visible = true;
        bool disabled = false;
        std::vector<uint8_t> cursor;
    };
    Common& common() { return common_; }
    // Whether the native window should show now: visible, and on the current tab page.
    bool ShouldShow() const;
    void ApplyVisibility();

    int32_t Raise(EventKind event, EventArgs args = {});

    static Component* FromHwnd(HWND hwnd);

  protected:
    void Attach(HWND hwnd);
    HFONT Font() const;

    LoadedWindow& window_;
    const ControlDef* def_;
    HWND hwnd_ = nullptr;
    Common common_;
    std::map<int32_t, PropertyValue> extra_;
};

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
    Component* FindByHwnd(HWND hwnd) const;
    const std::vector<std::unique_ptr<Component>>& components() const { return components_; }
    // The tab page shown now (0 when the window has no tab control).
    int32_t currentPage() const { return currentPage_; }
    void SelectPage(int32_t page);
    HFONT FontFor(const FontDef& font);
    bool Build();
    void Detach() { hwnd_ = nullptr; }
    // Whether the window is being destroyed: its controls still exist, but it is going.
    bool closing() const { return closing_; }
    void MarkClosing() { closing_ = true; }

  private:
    const WindowDef& def_;
    HWND hwnd_ = nullptr;
    std::vector<std::unique_ptr<Component>> components_;
    std::vector<std::pair<FontDef, HFONT>> fonts_;
    int32_t currentPage_ = 0;
    bool closing_ = false;
};

// LoadWindow of the window with that id: creates it (or brings an open one forward) and shows
// it. `parent` owns the new window when given.
bool LoadWindow(int32_t windowId, HWND parent = nullptr, bool modal = false);
LoadedWindow* FindLoadedWindow(int32_t windowId);
inline LoadedWindow* FindLoadedWindow(WindowId id) {
    return FindLoadedWindow(static_cast<int32_t>(id));
}
// The native handle of a window (its own component id) or component; fatal when missing.
HWND GetWindowHandle(int32_t windowId, int32_t componentId);
// How many of the program's windows exist.
size_t LoadedWindowCount();

PropertyValue ReadProperty(int32_t windowId, int32_t componentId, int32_t propertyIndex,
                           int32_t memberIndex);
void WriteProperty(int32_t windowId, int32_t componentId, int32_t propertyIndex,
                   int32_t memberIndex, const PropertyValue& value);

// Shorthands for the whole-value text and number properties.
inline std::string ReadText(WindowId w, int32_t c, int32_t p = 8) {
    return ReadProperty(static_cast<int32_t>(w), c, p, -1).text;
}
inline void WriteText(WindowId w, int32_t c, int32_t p, std::string_view text) {
    WriteProperty(static_cast<int32_t>(w), c, p, -1, PropertyValue::Text(text));
}
inline void WriteNumber(WindowId w, int32_t c, int32_t p, int32_t m, int64_t n) {
    WriteProperty(static_cast<int32_t>(w), c, p, m, PropertyValue::Number(n));
}

// The sprite canvas of a CartoonBox, and the template of a CartoonObject; null when the window
// or the component is missing or of another type.
class CanvasBox;
CanvasBox* FindCanvas(WindowId w, int32_t componentId);
const SpriteTemplate* FindTemplate(WindowId w, int32_t componentId);

// The sprite operations of a canvas, repainting what they change at once.
class CanvasBox : public Component {
  public:
    using Component::Component;
    void Create(HWND parent) override;
    int AddSprite(const SpriteTemplate& tmpl, double left, double top, bool visible = true);
    void RemoveSprites(std::initializer_list<int> ids);
    int GetSpriteAngle(int id) const { return canvas_ ? canvas_->GetSpriteAngle(id) : 0; }
    void SetSpriteAngle(int id, int angle);
    void RotateSprite(int id, int delta);
    const Canvas* canvas() const { return canvas_.get(); }
    // Paints `client` (canvas coordinates) of the canvas into `dc` at (dx, dy).
    void PaintTo(HDC dc, const RECT& client, int dx, int dy) const;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  private:
    void Flush();
    std::unique_ptr<Canvas> canvas_;
    Image background_;
    Image back_;
};

// Registers the window classes and the keyboard pre-translation; once per process.
void InitWindowSystem(HINSTANCE instance);

}  // namespace kelvra
