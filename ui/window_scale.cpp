// A window's scale: its fonts, where its controls go in pixels and a change of DPI.
#include <algorithm>
#include <string>

#include "runtime/win/dpi.h"
#include "ui/text_render.h"
#include "ui/loaded_window.h"
#include "ui/pictures.h"

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
    for (HFONT font : retiredFonts_) DeleteObject(font);
    retiredFonts_.clear();
    for (auto& [font, handle] : fonts_) DeleteObject(handle);
    fonts_.clear();
    if (guiFont_ != nullptr) DeleteObject(guiFont_);
    guiFont_ = nullptr;
}

PixelRect LoadedWindow::PixelsOf(const Component& c) const {
    if (full_.on) return FullScreenPixelsOf(c);
    const Component::Common& u = c.common();
    return scale_.Px(u.left, u.top, u.width, u.height);
}

UnitRect LoadedWindow::UnitsOf(const Component& c) const {
    RECT r;
    GetWindowRect(c.hwnd(), &r);
    if (HWND parent = GetParent(c.hwnd());
        parent != nullptr && (GetWindowLongW(c.hwnd(), GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    // The window itself keeps its place in pixels (Component::SetBounds).
    if (c.def() == nullptr) return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    if (full_.on) {
        // The tab control and the canvases lie where the monitor is, not where their units say.
        if (c.type() == ControlType::Tab || c.type() == ControlType::CartoonBox) {
            const Component::Common& u = c.common();
            return {u.left, u.top, u.width, u.height};
        }
        if (c.def()->page >= 0) {
            const POINT origin = PageOrigin();
            OffsetRect(&r, -origin.x, -origin.y);
        }
    }
    const int32_t left = scale_.Units(r.left), top = scale_.Units(r.top);
    return {left, top, scale_.Units(r.right) - left, scale_.Units(r.bottom) - top};
}

void LoadedWindow::Relayout(Scale scale) {
    // The controls take their new fonts before the old ones go.
    for (auto& [font, handle] : fonts_) retiredFonts_.push_back(handle);
    if (guiFont_ != nullptr) retiredFonts_.push_back(guiFont_);
    fonts_.clear();
    guiFont_ = nullptr;
    scale_ = scale;
    const Layout was = laidOut_;
    laidOut_ = {scale, full_.on};
    // The controls of hidden pages keep their layout until their page shows (F11 has the wheel
    // page alone: the settings page's controls are not moved there and back); one that is back
    // at its layout only takes the fonts of the new one.
    std::vector<Component*> now;
    for (const auto& c : components_) {
        Component* control = c.get();
        const auto kept = std::find_if(behind_.begin(), behind_.end(),
                                       [&](const auto& b) { return b.first == control; });
        const bool hidden = control->hwnd() != nullptr && control->def() != nullptr &&
                            control->def()->page >= 0 && control->def()->page != currentPage_;
        if (!hidden) {
            if (kept != behind_.end()) behind_.erase(kept);
            control->SetLayoutBehind(false);
            now.push_back(control);
            continue;
        }
        if (kept == behind_.end()) {
            behind_.emplace_back(control, was);
            control->SetLayoutBehind(true);
        } else if (kept->second == laidOut_) {
            behind_.erase(kept);
            control->SetLayoutBehind(false);
            control->SetNativeFont();
        }
    }
    // The pictures and texts of the new layout are made on other threads while the controls are
    // laid out: those that want none first.
    std::vector<WantedPicture> wanted;
    std::vector<WantedText> texts;
    std::vector<Component*> waiting;
    for (Component* c : now) {
        const size_t before = wanted.size() + texts.size();
        c->WantPictures(wanted, texts);
        if (wanted.size() + texts.size() != before) waiting.push_back(c);
    }
    PreparePictures(wanted, texts);
    for (Component* c : now)
        if (std::find(waiting.begin(), waiting.end(), c) == waiting.end()) c->Relayout();
    for (Component* c : waiting) c->Relayout();
    DropPreparedPictures();
    DropRetiredFonts();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void LoadedWindow::CatchUpPage(int32_t page) {
    std::vector<Component*> now;
    std::erase_if(behind_, [&](const auto& b) {
        if (b.first->def()->page != page) return false;
        now.push_back(b.first);
        return true;
    });
    for (Component* c : now) {
        c->SetLayoutBehind(false);
        c->Relayout();
    }
    DropRetiredFonts();
}

void LoadedWindow::DropRetiredFonts() {
    if (!behind_.empty()) return;
    for (HFONT font : retiredFonts_) DeleteObject(font);
    retiredFonts_.clear();
}

void LoadedWindow::OnDpiChanged(int32_t dpi, const RECT& suggested) {
    if (full_.on) {
        // Still full screen on the new monitor: fit it again.
        LeaveFullScreen();
        EnterFullScreen();
        return;
    }
    Relayout(Scale::ForDpi(dpi));
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE LoadedWindow::ClientUnits() const {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectForDpi(frame, kFrameStyle, kFrameExStyle, 96);
    return {def_.width - (frame.right - frame.left), def_.height - (frame.bottom - frame.top)};
}

}  // namespace kelvra
