// A window's scale: its fonts, where its controls go in pixels, a change of DPI and full
// screen.
#include <string>

#include "runtime/win/dpi.h"
#include "ui/text_render.h"
#include "ui/loaded_window.h"

namespace kelvra {

HFONT LoadedWindow::FontFor(const FontDef& font) {
    for (auto& [f, handle] : fonts_)
        if (f.height == font.height && f.weight == font.weight &&
            std::string_view(f.face) == font.face)
            return handle;
    FontSpec spec;
    spec.set = true;
    spec.height = -scale_.Px(font.height);
    spec.weight = font.weight;
    // A font that names no face takes the face of the default GUI font, which every locale's
    // system links to its Chinese fallback.
    spec.face = *font.face != '\0' ? std::string(font.face) : DefaultGuiFont().face;
    HFONT handle = CreateFontFor(spec);
    fonts_.emplace_back(font, handle);
    return handle;
}

HFONT LoadedWindow::GuiFont() {
    // The system's own font fits the system's DPI.
    if (scale_ == Scale::ForDpi(SystemDpi()))
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (guiFont_ == nullptr) {
        FontSpec spec = DefaultGuiFont();
        spec.height = scale_.Px(spec.height);
        guiFont_ = CreateFontFor(spec);
    }
    return guiFont_;
}

void LoadedWindow::ReleaseFonts() {
    for (auto& [font, handle] : fonts_) DeleteObject(handle);
    fonts_.clear();
    if (guiFont_ != nullptr) DeleteObject(guiFont_);
    guiFont_ = nullptr;
}

PixelRect LoadedWindow::PixelsOf(const Component& c) const {
    const Component::Common& u = c.common();
    PixelRect r = scale_.Px(u.left, u.top, u.width, u.height);
    if (c.def() != nullptr && c.def()->parent == def_.selfId) {
        r.left += margin_.x;
        r.top += margin_.y;
    }
    return r;
}

PixelRect LoadedWindow::UnitsOf(const Component& c) const {
    RECT r;
    GetWindowRect(c.hwnd(), &r);
    if (HWND parent = GetParent(c.hwnd());
        parent != nullptr && (GetWindowLongW(c.hwnd(), GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (c.def() == nullptr) return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    if (c.def()->parent == def_.selfId) OffsetRect(&r, -margin_.x, -margin_.y);
    const int32_t left = scale_.Units(r.left), top = scale_.Units(r.top);
    return {left, top, scale_.Units(r.right) - left, scale_.Units(r.bottom) - top};
}

void LoadedWindow::Relayout(Scale scale, POINT margin) {
    // The controls take their new fonts before the old ones go.
    std::vector<std::pair<FontDef, HFONT>> oldFonts = std::move(fonts_);
    HFONT oldGui = guiFont_;
    fonts_.clear();
    guiFont_ = nullptr;
    scale_ = scale;
    margin_ = margin;
    for (const auto& c : components_) c->Relayout();
    for (auto& [font, handle] : oldFonts) DeleteObject(handle);
    if (oldGui != nullptr) DeleteObject(oldGui);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void LoadedWindow::OnDpiChanged(int32_t dpi, const RECT& suggested) {
    if (fullScreen_) {
        // Still full screen on the new monitor: fit it again.
        ToggleFullScreen();
        ToggleFullScreen();
        return;
    }
    Relayout(Scale::ForDpi(dpi), {0, 0});
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LoadedWindow::ToggleFullScreen() {
    if (fullScreen_) {
        fullScreen_ = false;
        SetWindowLongPtrW(hwnd_, GWL_STYLE, windowedStyle_);
        SetWindowPlacement(hwnd_, &windowed_);
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        Relayout(Scale::ForDpi(DpiOfWindow(hwnd_)), {0, 0});
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    windowed_.length = sizeof windowed_;
    GetWindowPlacement(hwnd_, &windowed_);
    windowedStyle_ = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    fullScreen_ = true;
    const RECT& m = monitor.rcMonitor;
    const int w = m.right - m.left, h = m.bottom - m.top;
    SetWindowLongPtrW(hwnd_, GWL_STYLE,
                      (windowedStyle_ & ~(WS_CAPTION | WS_THICKFRAME)) | WS_POPUP);
    SetWindowPos(hwnd_, HWND_TOP, m.left, m.top, w, h, SWP_FRAMECHANGED | SWP_NOACTIVATE);
    const SIZE client = ClientUnits();
    const Scale fit = Scale::ToFit(client.cx, client.cy, w, h);
    Relayout(fit, {(w - fit.Px(client.cx)) / 2, (h - fit.Px(client.cy)) / 2});
}

SIZE LoadedWindow::ClientUnits() const {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectForDpi(frame, kFrameStyle, kFrameExStyle, 96);
    return {def_.width - (frame.right - frame.left), def_.height - (frame.bottom - frame.top)};
}

}  // namespace kelvra
