#pragma once
// One control of a window (or the window itself) at run time: its common properties, the events
// it raises to the handlers bound in the binding table, and the helpers every control type shares
// to create its native window and paint its caption.

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/binding.h"
#include "ui/model/layout.h"
#include "ui/model/properties.h"
#include "ui/model/scale.h"
#include "ui/window_host.h"

namespace kelvra {

struct WantedPicture;
struct WantedText;

class Component {
  public:
    Component(WindowHost& window, const ControlDef* def);
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const ControlDef* def() const { return def_; }
    ControlType type() const;
    int32_t id() const;
    HWND hwnd() const { return hwnd_; }
    WindowHost& window() const { return window_; }

    // Creates the native window under `parent`.
    virtual void CreateNative(HWND parent) = 0;
    // A control whose native window is left for later (LoadedWindow::Open) has none yet.
    bool deferred() const { return deferred_; }
    void SetDeferred(bool deferred) { deferred_ = deferred; }
    // A control on a hidden page may keep an earlier layout until its page shows (LoadedWindow):
    // meanwhile its place is its layout rectangle, not where its native window lies.
    bool layoutBehind() const { return layoutBehind_; }
    void SetLayoutBehind(bool behind) { layoutBehind_ = behind; }
    // Gives the native window its font at the window's scale (controls of the platform's
    // classes; the program's own draw with Font()).
    void SetNativeFont();
    // Puts the native window where the window's scale puts it, in its font at that scale.
    virtual void Relayout();
    // Adds the pictures and texts its next Relayout will make (ui/pictures.h), to be made ahead.
    virtual void WantPictures(std::vector<WantedPicture>& /*wanted*/,
                              std::vector<WantedText>& /*texts*/) const {}

    // The common properties. Places are in units of the layout, read back from the native
    // window while there is one; a position is clamped to ±kMaxPosition, a size to 0..it.
    UnitRect Bounds() const;
    void SetLeft(int32_t left);
    void SetTop(int32_t top);
    void SetWidth(int32_t width);
    void SetHeight(int32_t height);
    const std::string& Tag() const { return common_.tag; }
    void SetTag(std::string_view tag);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Disabled() const;
    void SetDisabled(bool disabled);
    const std::vector<uint8_t>& CursorData() const { return common_.cursor; }
    void SetCursorData(const std::vector<uint8_t>& data);

    // The type's own properties by number (kFirstTypeProperty and up): a type hands those it
    // acts on to its named getters and setters; the others keep what was last written to them.
    virtual PropertyValue ReadTypeProperty(int32_t number, int32_t member);
    virtual void WriteTypeProperty(int32_t number, int32_t member, const PropertyValue& value);

    // Notifications routed from the parent window.
    virtual void OnCommand(WORD /*code*/) {}
    virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
    virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }

    struct Common {
        int32_t left = 0, top = 0, width = 0, height = 0;
        std::string tag;
        bool visible = true;
        bool disabled = false;
        std::vector<uint8_t> cursor;
    };
    Common& common() { return common_; }
    const Common& common() const { return common_; }
    // Whether the native window should show now: visible, and on the current tab page.
    bool ShouldShow() const;
    void ApplyVisibility();
    // The cursor shown over the control: the one written to its mouse-pointer property, else
    // the hand where the layout asks for it, else none of its own.
    HCURSOR Cursor() const { return cursor_; }
    void ApplyCursor();

    int32_t Raise(EventKind event, EventArgs args = {});

    static Component* FromHwnd(HWND hwnd);
    // Routes what a container receives on behalf of its children (commands, notifications,
    // colours) to the child components. True when handled.
    static bool RouteToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  protected:
    bool Live() const { return hwnd_ != nullptr && IsWindow(hwnd_); }
    void Attach(HWND hwnd);
    // Creates this control's native child window at its layout rectangle and attaches it.
    HWND CreateChild(HWND parent, const wchar_t* windowClass, std::wstring_view text, DWORD style,
                     DWORD exStyle = 0);
    // Replaces the native window's procedure with `proc`; returns the previous one.
    WNDPROC Subclass(WNDPROC proc);
    HFONT Font() const;

    WindowHost& window_;
    const ControlDef* def_;
    HWND hwnd_ = nullptr;
    Common common_;
    HCURSOR cursor_ = nullptr;
    std::map<int32_t, PropertyValue> extra_;
    bool deferred_ = false;
    bool layoutBehind_ = false;

  private:
    // Stores `units` and moves the native window there; `keep` is SWP_NOMOVE or SWP_NOSIZE.
    void SetBounds(const UnitRect& units, UINT keep);
};

// `c` as the class of its control type (T::kType), or null when it is of another type.
template <typename T>
T* As(Component* c) {
    return c != nullptr && c->type() == T::kType ? static_cast<T*>(c) : nullptr;
}

// A component whose caption is its native window's text (the window itself, a button).
class NativeCaptionComponent : public Component {
  public:
    using Component::Component;
    std::string Caption() const;
    void SetCaption(std::string_view text);
    PropertyValue ReadTypeProperty(int32_t number, int32_t member) override;
    void WriteTypeProperty(int32_t number, int32_t member, const PropertyValue& value) override;
};

// Shared by the control types.
COLORREF OrBlack(uint32_t colour);
std::wstring WindowTextOf(HWND hwnd);
// A caption in `font` and `colour` (only its low 24 bits count) on a transparent background.
void PaintCaption(HDC dc, HFONT font, std::string_view gbk, uint32_t colour, RECT area, UINT flags);
// The answer to WM_PAINT and WM_PRINTCLIENT through `paint`; WM_ERASEBKGND does nothing, since
// the paint covers everything and erasing first would flicker.
template <typename Paint>
LRESULT PaintMessage(HWND hwnd, UINT msg, WPARAM wp, Paint paint) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PRINTCLIENT) {
        RECT all;
        GetClientRect(hwnd, &all);
        paint(reinterpret_cast<HDC>(wp), all);
        return 0;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    paint(dc, ps.rcPaint);
    EndPaint(hwnd, &ps);
    return 0;
}

class SolidBrush {
  public:
    explicit SolidBrush(COLORREF c) : brush_(CreateSolidBrush(c)) {}
    ~SolidBrush() { DeleteObject(brush_); }
    SolidBrush(const SolidBrush&) = delete;
    SolidBrush& operator=(const SolidBrush&) = delete;
    HBRUSH get() const { return brush_; }

  private:
    HBRUSH brush_;
};

}  // namespace kelvra
