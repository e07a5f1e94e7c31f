#pragma once
// One window of the program at run time, made from its layout: its controls, made now or when
// their page first shows, its fonts and scale, and full screen.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "ui/binding.h"
#include "ui/component.h"
#include "ui/model/layout.h"
#include "ui/model/scale.h"
#include "ui/window_host.h"

namespace kelvra {

class CanvasBox;

inline constexpr wchar_t kFrameClass[] = L"KelvraFrame";
inline constexpr DWORD kFrameStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
inline constexpr DWORD kFrameExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

class LoadedWindow final : public WindowHost {
  public:
    // `bindings`: the handlers its events run; `instance`: the module of the window classes.
    LoadedWindow(const WindowDef& def, HINSTANCE instance, std::span<const Binding> bindings);
    ~LoadedWindow();
    LoadedWindow(const LoadedWindow&) = delete;
    LoadedWindow& operator=(const LoadedWindow&) = delete;

    // Makes the frame and the controls it shows now. The controls of a tab page not shown are
    // made when the page is first shown, or sooner when something needs them: the window
    // shows sooner. False when the frame cannot be made.
    bool Open();

    const WindowDef& def() const { return def_; }
    HWND hwnd() const { return hwnd_; }
    void Detach() { hwnd_ = nullptr; }
    // Whether the window is being destroyed: its controls still exist, but it is going.
    bool closing() const { return closing_; }
    void MarkClosing() { closing_ = true; }
    // The frame's first message: the window exists, nothing of it is on the screen yet.
    // The window of a frame made by Open; null for any other window, or a frame that has gone.
    static LoadedWindow* OfFrame(HWND hwnd);

    WindowId id() const override { return def_.id; }
    int32_t selfId() const override { return def_.selfId; }
    HINSTANCE instance() const override { return instance_; }
    Component* Find(int32_t componentId) const override;
    const std::vector<std::unique_ptr<Component>>& components() const override {
        return components_;
    }
    int32_t currentPage() const override { return currentPage_; }
    // Shows the page, making its controls first if it has not been shown before.
    void SelectPage(int32_t page) override;
    // Makes the native windows of the controls left for later, hidden: at idle time after the
    // start, so that a page's first showing only paints.
    void CreateDeferredControls();
    // Draws the texts full screen will show now (an idle moment), so that F11 does not wait for
    // them; without `drawMissing`, only forgets those drawn before that it no longer shows.
    void DrawFullScreenTextsAhead(bool drawMissing = true);
    void EnsureCreated(Component& c) override;
    int32_t Raise(int32_t componentId, EventKind event, const EventArgs& args) override;

    // Scale, fonts and sizing (ui/window_scale.cpp).
    const Scale& scale() const override { return scale_; }
    HFONT FontFor(const FontDef& font) override;
    HFONT GuiFont() override;
    PixelRect PixelsOf(const Component& c) const override;
    UnitRect UnitsOf(const Component& c) const override;
    // Lays every control out again at another DPI (the window moved to another monitor).
    void OnDpiChanged(int32_t dpi, const RECT& suggested);

    // Full screen (ui/full_screen.cpp). F11: the first page alone on the whole monitor, without
    // frame or tab strip, its canvas's drawing as large as the monitor allows and centred; again
    // (or Esc) gives the window back as it was: place, page, focus and scale.
    void ToggleFullScreen();
    bool fullScreen() const override { return full_.on; }
    POINT CanvasOrigin(const Component& canvas) const override;
    // Any mouse movement over the window, and the idle timer: the pointer hides after a while
    // without movement.
    void OnMouseMoved();
    void OnIdleCursorTimer();
    static constexpr UINT_PTR kIdleCursorTimer = 1;
    static constexpr UINT kIdleCursorMs = 3000;

  private:
    // The frame at the scale of the screen's centre, its client area the layout's, scaled.
    bool CreateFrame();
    // Creates the control's native window (its parent's first) and puts it in its z-order.
    void CreateControlWindow(Component& c);
    // The client area in units: the layout's outer size less the frame drawn at 96 DPI.
    SIZE ClientUnits() const;
    void Relayout(Scale scale);
    void ReleaseFonts();
    // The monitor the window is on, and the part of the window full screen fills it with.
    bool FullScreenFit(RECT& monitor, UnitRect& subject) const;
    void EnterFullScreen();
    void LeaveFullScreen();
    // Shows the page as a click on its tab does.
    void ShowPage(int32_t page);
    PixelRect FullScreenPixelsOf(const Component& c) const;
    // Where the pages' units begin in the tab control's pixels, in full screen.
    POINT PageOrigin() const;

    const WindowDef& def_;
    HINSTANCE instance_;
    std::span<const Binding> bindings_;
    HWND hwnd_ = nullptr;
    std::vector<std::unique_ptr<Component>> components_;
    std::vector<std::pair<FontDef, HFONT>> fonts_;
    HFONT guiFont_ = nullptr;
    // The layout the controls were last laid out for, and the controls of hidden pages that keep
    // an earlier one (with it) until their page shows; the fonts of earlier layouts stay while
    // such a control may still use them.
    struct Layout {
        Scale scale;
        bool fullScreen = false;
        bool operator==(const Layout& o) const {
            return scale == o.scale && fullScreen == o.fullScreen;
        }
    };
    Layout laidOut_;
    std::vector<std::pair<Component*, Layout>> behind_;
    std::vector<HFONT> retiredFonts_;
    // Lays out again the controls of `page` that keep an earlier layout.
    void CatchUpPage(int32_t page);
    // The fonts of earlier layouts go once no control keeps one.
    void DropRetiredFonts();
    int32_t currentPage_ = 0;
    bool closing_ = false;
    Scale scale_;
    struct FullScreen {
        bool on = false;
        SIZE monitor{0, 0};
        // What fills the monitor (its shorter side), in the units of the first page.
        UnitRect subject;
        // The window as it was.
        WINDOWPLACEMENT placement{};
        LONG_PTR style = 0;
        Scale scale;
        int32_t page = 0;
        HWND focus = nullptr;
        POINT cursor{0, 0};
        bool cursorHidden = false;
        // The screen as it was before full screen, shown around the window on the way back.
        HBITMAP before = nullptr;
    } full_;
};

}  // namespace kelvra
