#pragma once
// What a control needs of the window it lives in: the window implements it (LoadedWindow), and
// the controls, which lie below the window, know it only by this.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/binding.h"
#include "ui/model/layout.h"
#include "ui/model/scale.h"

namespace kelvra {

class Component;

class WindowHost {
  public:
    virtual WindowId id() const = 0;
    // The component id of the window itself.
    virtual int32_t selfId() const = 0;
    virtual HINSTANCE instance() const = 0;

    // Units of the layout to the window's pixels.
    virtual const Scale& scale() const = 0;
    // A font of the layout, and the system's default GUI font, at the window's scale.
    virtual HFONT FontFor(const FontDef& font) = 0;
    virtual HFONT GuiFont() = 0;
    // Where a control's native window goes in its parent, in pixels.
    virtual PixelRect PixelsOf(const Component& c) const = 0;
    // A control's rectangle in its parent, read back from its native window, in units.
    virtual UnitRect UnitsOf(const Component& c) const = 0;
    // Whether the window fills its monitor with its first page alone: a canvas then covers the
    // monitor, its background cropped to the monitor's shape and its drawing centred on it.
    virtual bool fullScreen() const = 0;
    // Where a canvas's units begin in its own pixels: (0, 0) but in full screen.
    virtual POINT CanvasOrigin(const Component& canvas) const = 0;

    // The tab page shown now (0 when the window has no tab control), and a page to show.
    virtual int32_t currentPage() const = 0;
    virtual void SelectPage(int32_t page) = 0;
    virtual Component* Find(int32_t componentId) const = 0;
    virtual const std::vector<std::unique_ptr<Component>>& components() const = 0;
    // Makes the native window of a control left for later; nothing for the others.
    virtual void EnsureCreated(Component& c) = 0;

    // Runs the handler bound to that event of that component; 0 when there is none.
    virtual int32_t Raise(int32_t componentId, EventKind event, const EventArgs& args) = 0;

  protected:
    ~WindowHost() = default;
};

}  // namespace kelvra
