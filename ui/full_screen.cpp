// Full screen for a presenter: the first page alone on the whole monitor, and back.
//
// The tab control stays where it is in the tree of windows: it reaches from one monitor height
// above the monitor to its bottom, so that its strip lies out of sight, and the page's canvases
// cover the monitor below the strip. The window is not topmost: a window opened later (the rate
// window) shows above it.
#include <windows.h>
#include <commctrl.h>

#include <future>
#include <optional>

#include "ui/controls/canvas_box.h"
#include "ui/controls/controls.h"
#include "ui/loaded_window.h"
#include "ui/pictures.h"
#include "ui/screen_cover.h"

namespace kelvra {

namespace {

CanvasBox* FirstPageCanvas(const std::vector<std::unique_ptr<Component>>& components) {
    for (const auto& c : components)
        if (c->type() == ControlType::CartoonBox && c->def() != nullptr && c->def()->page == 0)
            return static_cast<CanvasBox*>(c.get());
    return nullptr;
}

bool OnAPage(const Component& c) {
    return c.def() != nullptr && c.def()->page >= 0;
}

// The window draws nothing while its layout changes, and then all of it at once: the screen goes
// from the old picture to the whole new one, without an empty or half-drawn frame between. The
// controls are laid out (and the canvases' pictures made) while the window keeps its old size
// and picture; only then does it change size and paint.
class HeldDrawing {
  public:
    explicit HeldDrawing(HWND hwnd) : hwnd_(hwnd) { SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0); }
    ~HeldDrawing() {
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(hwnd_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    HeldDrawing(const HeldDrawing&) = delete;
    HeldDrawing& operator=(const HeldDrawing&) = delete;

  private:
    HWND hwnd_;
};

}  // namespace

void LoadedWindow::ToggleFullScreen() {
    if (full_.on)
        LeaveFullScreen();
    else
        EnterFullScreen();
}

void LoadedWindow::ShowPage(int32_t page) {
    if (page == currentPage_) return;
    for (const auto& c : components_)
        if (c->type() == ControlType::Tab && c->hwnd() != nullptr)
            SendMessageW(c->hwnd(), TCM_SETCURSEL, page, 0);
    SelectPage(page);
}

bool LoadedWindow::FullScreenFit(RECT& monitor, UnitRect& subject) const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &info)) return false;
    monitor = info.rcMonitor;
    const CanvasBox* canvas = FirstPageCanvas(components_);
    subject = canvas != nullptr ? canvas->DrawingBounds() : UnitRect{};
    if (canvas != nullptr) {
        subject.left += canvas->common().left;
        subject.top += canvas->common().top;
    }
    if (subject.width <= 0 || subject.height <= 0) {
        const SIZE client = ClientUnits();
        subject = {0, 0, client.cx, client.cy};
    }
    return true;
}

void LoadedWindow::DrawFullScreenTextsAhead(bool drawMissing) {
    const CanvasBox* canvas = FirstPageCanvas(components_);
    RECT m;
    UnitRect subject;
    if (full_.on || canvas == nullptr || !FullScreenFit(m, subject)) return;
    std::vector<WantedText> texts;
    canvas->WantTexts(
        Scale::ToFit(subject.width, subject.height, m.right - m.left, m.bottom - m.top), texts);
    DrawTextsAhead(texts, drawMissing);
}

void LoadedWindow::EnterFullScreen() {
    RECT m;
    UnitRect subject;
    if (!FullScreenFit(m, subject)) return;
    full_.placement.length = sizeof full_.placement;
    GetWindowPlacement(hwnd_, &full_.placement);
    full_.style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    full_.scale = scale_;
    full_.page = currentPage_;
    full_.focus = GetFocus();

    full_.monitor = {m.right - m.left, m.bottom - m.top};
    full_.subject = subject;
    const CanvasBox* canvas = FirstPageCanvas(components_);
    // The new layout is made with drawing held, which changes nothing on the screen; the screen
    // as it is, kept for the way back, is read on another thread meanwhile. Then a cover goes up
    // showing the full screen's picture, which the screen takes in one piece, and the window
    // changes beneath it. When another page shows first, the cover goes up before, showing the
    // screen as it is, and shows the window once it has changed.
    const bool coverable = !OtherWindowsIn(hwnd_, m);
    std::future<HBITMAP> reading;
    std::optional<ScreenCover> cover;
    if (coverable && currentPage_ == 0) {
        try {
            reading = std::async(std::launch::async, [screen = ScreenPicture(m, hwnd_)]() mutable {
                return screen.Read();
            });
        } catch (const std::exception&) {
        }
    }
    if (coverable && !reading.valid()) {
        full_.before = ReadScreen(m);
        if (full_.before != nullptr) cover.emplace(m, full_.before);
    }
    {
        HeldDrawing held(hwnd_);
        ShowPage(0);
        full_.on = true;
        Relayout(Scale::ToFit(subject.width, subject.height, full_.monitor.cx, full_.monitor.cy));
        if (reading.valid()) {
            // The first page's canvas fills the monitor; what lies over it (the start label)
            // draws the canvas beneath it, and its caption when it has one. Its picture is
            // composed while the screen is still being read.
            const CanvasBox* shown = FirstPageCanvas(components_);
            std::shared_ptr<const CanvasBox::Part> next;
            if (shown != nullptr && shown->canvas() != nullptr)
                next = std::make_shared<const CanvasBox::Part>(
                    shown->Composed({0, 0, full_.monitor.cx, full_.monitor.cy}));
            full_.before = reading.get();
            if (full_.before != nullptr && next != nullptr)
                cover.emplace(m, [next](HDC dc, const RECT&) { CanvasBox::Show(dc, *next, 0, 0); });
            else if (full_.before != nullptr)
                cover.emplace(m, full_.before);
        }
        SetWindowLongPtrW(hwnd_, GWL_STYLE,
                          (full_.style & ~(WS_CAPTION | WS_THICKFRAME)) | WS_POPUP);
        SetWindowPos(hwnd_, HWND_TOP, m.left, m.top, full_.monitor.cx, full_.monitor.cy,
                     SWP_FRAMECHANGED | SWP_NOACTIVATE);
    }
    if (cover) cover->Reveal(hwnd_);
    cover.reset();
    // The strip must not keep the keyboard: its arrows would turn the page.
    if (canvas != nullptr && canvas->hwnd() != nullptr) SetFocus(canvas->hwnd());
    GetCursorPos(&full_.cursor);
    SetTimer(hwnd_, kIdleCursorTimer, kIdleCursorMs, nullptr);
}

void LoadedWindow::LeaveFullScreen() {
    KillTimer(hwnd_, kIdleCursorTimer);
    if (full_.cursorHidden) ShowCursor(TRUE);
    full_.cursorHidden = false;
    // The window fills the monitor: the cover starts from its picture, and ends with the screen
    // as it was before full screen around the window's new picture.
    std::optional<ScreenCover> cover;
    if (full_.before != nullptr) cover.emplace(hwnd_);
    {
        HeldDrawing held(hwnd_);
        full_.on = false;
        Relayout(full_.scale);
        ShowPage(full_.page);
        SetWindowLongPtrW(hwnd_, GWL_STYLE, full_.style);
        SetWindowPlacement(hwnd_, &full_.placement);
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
    if (cover) cover->Reveal(hwnd_, full_.before);
    cover.reset();
    if (full_.before != nullptr) DeleteObject(full_.before);
    full_.before = nullptr;
    if (full_.focus != nullptr && IsWindow(full_.focus) && IsWindowVisible(full_.focus))
        SetFocus(full_.focus);
}

POINT LoadedWindow::PageOrigin() const {
    const SIZE& m = full_.monitor;
    const UnitRect& s = full_.subject;
    return {(m.cx - scale_.Px(s.width)) / 2 - scale_.Px(s.left),
            m.cy + (m.cy - scale_.Px(s.height)) / 2 - scale_.Px(s.top)};
}

PixelRect LoadedWindow::FullScreenPixelsOf(const Component& c) const {
    const SIZE& m = full_.monitor;
    if (c.type() == ControlType::Tab) return {0, -m.cy, m.cx, 2 * m.cy};
    if (c.type() == ControlType::CartoonBox && OnAPage(c)) return {0, m.cy, m.cx, m.cy};
    const Component::Common& u = c.common();
    PixelRect r = scale_.Px(u.left, u.top, u.width, u.height);
    if (OnAPage(c)) {
        const POINT origin = PageOrigin();
        r.left += origin.x;
        r.top += origin.y;
    }
    return r;
}

POINT LoadedWindow::CanvasOrigin(const Component& canvas) const {
    if (!full_.on || !OnAPage(canvas)) return {0, 0};
    const POINT origin = PageOrigin();
    const Component::Common& u = canvas.common();
    return {origin.x + scale_.Px(u.left), origin.y + scale_.Px(u.top) - full_.monitor.cy};
}

void LoadedWindow::OnMouseMoved() {
    POINT at;
    // The system also reports a move when only the windows under the pointer changed.
    if (!full_.on || !GetCursorPos(&at) || (at.x == full_.cursor.x && at.y == full_.cursor.y))
        return;
    full_.cursor = at;
    if (full_.cursorHidden) ShowCursor(TRUE);
    full_.cursorHidden = false;
    SetTimer(hwnd_, kIdleCursorTimer, kIdleCursorMs, nullptr);
}

void LoadedWindow::OnIdleCursorTimer() {
    KillTimer(hwnd_, kIdleCursorTimer);
    if (!full_.on || full_.cursorHidden) return;
    ShowCursor(FALSE);
    full_.cursorHidden = true;
}

}  // namespace kelvra
