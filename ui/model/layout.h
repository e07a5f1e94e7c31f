#pragma once
// The three windows as data: every control with its type, name, id, parent, rectangle, font,
// colours, texts and flags. Platform-free; the Windows layer builds real windows from it.

#include <cstdint>
#include <span>

#include "runtime/colours.h"

namespace kelvra {

// The layouts' names of the control types; beside each, the class that implements it (the
// glossary in docs/architecture.md gives the files).
enum class ControlType {
    Window,        // LoadedWindow, and FrameComponent as a component of itself
    Tab,           // TabComponent
    EditBox,       // EditBoxComponent
    Label,         // LabelComponent
    Button,        // ButtonComponent
    TransLabel,    // TransLabelComponent (the hub's start control is one)
    CartoonBox,    // CanvasBox, over the model Canvas
    CartoonObject  // SpriteTemplateComponent, holding a SpriteTemplate
};

enum class WindowId : int32_t { Main = 1, Rate = 2, Help = 3 };

// Pictures compiled into the program.
enum class Asset { None, Plate, Pointer, Hub, Sunburst };

enum class Align { Left, Centre };

// A colour as COLORREF (runtime/colours.h); kNoColour means "not set": a Label then paints
// the system's button-face colour behind its text, a window its system default background.
constexpr uint32_t kNoColour = 0xFFFFFFFFu;

// height: character height in pixels (0 = the default GUI font); face: GBK, "" = none named.
struct FontDef {
    int32_t height = 0;
    int32_t weight = 0;
    const char* face = "";
    bool IsDefaultGui() const { return height == 0; }
};

struct ControlDef {
    ControlType type;
    const char* name;  // GBK, unique within its window
    int32_t id;        // component id, unique within its window
    int32_t parent;    // component id of the parent: the window's own id or the tab control
    int32_t page;      // tab page (0, 1) for controls on a tab control, else -1
    int32_t left, top, width, height;
    FontDef font;
    uint32_t textColour = kNoColour;
    uint32_t backColour = kNoColour;
    const char* text = "";  // caption, content, or the tab titles separated by '\n'
    Align align = Align::Left;
    bool vcentre = false;  // one line, vertically centred
    bool wrap = false;     // lines wrap at the control's width
    int32_t maxLength =
        0;  // EditBox: typed limit (bytes for name boxes, characters for rate boxes)
    bool integerInput = false;
    bool tabStop = false;
    bool visible = true;
    bool handCursor = false;
    Asset picture = Asset::None;
    bool rotateFollow = false;
};

struct WindowDef {
    WindowId id;
    int32_t selfId;         // the window's own component id
    const char* name;       // GBK
    const char* caption;    // GBK
    int32_t width, height;  // outer size
    uint32_t backColour;    // kNoColour = system default
    bool ownIcon;           // the main window sets the program icon itself
    std::span<const ControlDef> controls;
};

const WindowDef& MainWindowDef();
const WindowDef& RateWindowDef();
const WindowDef& HelpWindowDef();
// The window with that id, or null.
const WindowDef* FindWindowDef(int32_t windowId);
// The control of `window` with that GBK name, or null.
const ControlDef* FindControl(const WindowDef& window, const char* name);
const ControlDef* FindControl(const WindowDef& window, int32_t componentId);

}  // namespace kelvra
