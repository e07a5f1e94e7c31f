#include "ui/controls/canvas_box.h"

#include <algorithm>

#include "ui/controls/controls.h"
#include "ui/pictures.h"
#include "ui/text_render.h"

namespace kelvra {

namespace {

// Shows pixels in one drawing call, which the screen takes whole.
void ShowPixels(HDC dc, const Image& pixels, int x, int y) {
    if (pixels.IsEmpty()) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = pixels.width;
    bi.bmiHeader.biHeight = -pixels.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    SetDIBitsToDevice(dc, x, y, pixels.width, pixels.height, 0, 0, 0, pixels.height,
                      pixels.pixels.data(), &bi, DIB_RGB_COLORS);
}

}  // namespace

void CanvasBox::CreateNative(HWND parent) {
    MakeCanvas();
    CreateChild(parent, kCanvasBoxClass, L"", def_->tabStop ? WS_TABSTOP : 0);
}

CanvasBox::Fit CanvasBox::FitNow() const {
    const PixelRect size = window_.PixelsOf(*this);
    return {std::max(1, size.width), std::max(1, size.height), window_.scale(),
            window_.CanvasOrigin(*this), window_.fullScreen()};
}

void CanvasBox::WantPictures(std::vector<WantedPicture>& wanted,
                             std::vector<WantedText>& texts) const {
    const Fit fit = FitNow();
    // A canvas kept for this layout has its pictures.
    if (canvas_ == nullptr || (kept_.canvas != nullptr && kept_.fit == fit)) return;
    WantedPicture want;
    for (const Placed& p : placed_) {
        const Component* source = window_.Find(p.templateId);
        if (source != nullptr && TemplateWantedAt(*source, fit.scale, want)) wanted.push_back(want);
    }
    if (fit.fullScreen || BakedPixels(def_->picture, fit.width, fit.height).IsEmpty())
        wanted.push_back({def_->picture, fit.width, fit.height, fit.fullScreen});
    WantTexts(fit.scale, texts);
}

void CanvasBox::WantTexts(const Scale& scale, std::vector<WantedText>& texts) const {
    for (const Placed& p : placed_) {
        SpriteTemplate tmpl = ScaledRecord(p, scale);
        if (!tmpl.text.empty()) texts.push_back({std::move(tmpl.text), tmpl.font, tmpl.textColour});
    }
}

void CanvasBox::MakeCanvas() {
    const Fit fit = FitNow();
    Kept old{std::move(canvas_), std::move(background_), backgroundPixels_, fit_};
    fit_ = fit;
    if (kept_.canvas != nullptr && kept_.fit == fit) {
        canvas_ = std::move(kept_.canvas);
        background_ = std::move(kept_.background);
        backgroundPixels_ = kept_.backgroundPixels;
        UpdateSprites(old.canvas.get());
    } else {
        const int w = fit.width, h = fit.height;
        canvas_ = std::make_unique<Canvas>(w, h, &PreparedTexts, copies_);
        // The sprites first, the background, the largest picture, last: it may still be being
        // made on another thread.
        for (const Placed& p : placed_) {
            Place(p);
            if (old.canvas) canvas_->SetSpriteAngle(p.id, old.canvas->GetSpriteAngle(p.id));
        }
        // A background baked in at this size is shown where it lies in the program (opaque, as
        // the bake requires); any other is made.
        backgroundPixels_ = fit.fullScreen ? PixelsView() : BakedPixels(def_->picture, w, h);
        background_ = nullptr;
        if (backgroundPixels_.IsEmpty()) {
            MakeBackground(w, h);
            backgroundPixels_ = *background_;
        }
    }
    // Going between the window and full screen, the layout left is kept for the way back, with
    // the pointer's turns (the wheels a save of the names leaves beneath share them); any other
    // change of layout (another monitor's scale) has no way back to keep.
    if (old.canvas != nullptr && old.fit.fullScreen != fit.fullScreen) kept_ = std::move(old);
    canvas_->TakeDirty();
    scratch_ = Image();
    if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CanvasBox::UpdateSprites(const Canvas* previous) {
    std::vector<int> gone;
    for (int id : canvas_->SpriteIds())
        if (std::none_of(placed_.begin(), placed_.end(),
                         [id](const Placed& p) { return p.id == id; }))
            gone.push_back(id);
    canvas_->RemoveSprites(gone);
    // Sprites added since come after every kept one, as they did on the canvas left.
    for (const Placed& p : placed_) {
        if (canvas_->FindSprite(p.id) == nullptr) Place(p);
        if (previous != nullptr) canvas_->SetSpriteAngle(p.id, previous->GetSpriteAngle(p.id));
    }
}

void CanvasBox::MakeBackground(int w, int h) {
    // Stretched from its own large source, whatever the scale; in full screen it covers the
    // monitor, cropped to its shape. An opaque one is shown as it is, shared with every canvas of
    // its size.
    std::shared_ptr<const Image> scaled = window_.fullScreen()
                                              ? PictureCovering(def_->picture, w, h)
                                              : PictureAt(def_->picture, w, h);
    if (scaled != nullptr && std::all_of(scaled->pixels.begin(), scaled->pixels.end(),
                                         [](uint32_t p) { return p >> 24 == 0xFF; })) {
        background_ = std::move(scaled);
        return;
    }
    const uint32_t backColour =
        def_->backColour == kNoColour ? RGB(255, 255, 255) : def_->backColour;
    Image background(w, h, PixelFromColorRef(backColour));
    if (scaled != nullptr) Compose(background, *scaled, 0, 0, Rect{0, 0, w, h});
    background_ = std::make_shared<const Image>(std::move(background));
}

void CanvasBox::Relayout() {
    Component::Relayout();
    if (canvas_) MakeCanvas();
}

SpriteTemplate CanvasBox::ScaledRecord(const Placed& p, const Scale& scale) const {
    SpriteTemplate tmpl = *p.copy;
    if (tmpl.font.set) tmpl.font.height = scale.Px(tmpl.font.height);
    return tmpl;
}

int CanvasBox::Place(const Placed& p) {
    const Component* source = window_.Find(p.templateId);
    SpriteTemplate tmpl = ScaledRecord(p, window_.scale());
    const Scale& scale = window_.scale();
    if (source != nullptr) tmpl.shared = TemplatePictureAt(*source, scale);
    canvas_->SetNextId(p.id);
    const POINT origin = window_.CanvasOrigin(*this);
    return canvas_->AddSprite(tmpl, origin.x + scale.Px(p.left), origin.y + scale.Px(p.top),
                              p.visible);
}

UnitRect CanvasBox::DrawingBounds() const {
    Rect bounds{0, 0, 0, 0};
    for (const Placed& p : placed_) {
        const SpriteTemplate* source = TemplateOf(window_.Find(p.templateId));
        if (source == nullptr || source->shared == nullptr) continue;
        bounds = UnionRect(bounds, {p.left, p.top, p.left + source->shared->width,
                                    p.top + source->shared->height});
    }
    return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

int CanvasBox::AddSprite(int32_t templateId, int left, int top, bool visible) {
    const SpriteTemplate* tmpl = TemplateOf(window_.Find(templateId));
    if (tmpl == nullptr) return 0;
    Placed p{nextId_++, templateId, copies_->Get(WithoutPicture(*tmpl)), left, top, visible};
    Place(p);
    placed_.push_back(std::move(p));
    Flush();
    return placed_.back().id;
}

void CanvasBox::RemoveSprites(std::initializer_list<int> ids) {
    canvas_->RemoveSprites(ids);
    for (int id : ids) std::erase_if(placed_, [id](const Placed& p) { return p.id == id; });
    Flush();
}

void CanvasBox::SetSpriteAngle(int id, int angle) {
    canvas_->SetSpriteAngle(id, angle);
    Flush();
}

void CanvasBox::RotateSprite(int id, int delta) {
    canvas_->RotateSprite(id, delta);
    Flush();
}

void CanvasBox::Flush() {
    const std::vector<Rect> dirty = canvas_->TakeDirtyRects();
    // A window that is not shown yet is painted whole when it shows.
    if (dirty.empty() || hwnd_ == nullptr || !IsWindowVisible(GetAncestor(hwnd_, GA_ROOT))) return;
    // Only what changed: a turned pointer's bands, not its whole box. The paint follows with the
    // next look at the message queue; during a spin that is the first thing its wait does, so
    // drawing overlaps the wait instead of adding to it.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    Rect bounds;
    for (const Rect& r : dirty) {
        HRGN part = CreateRectRgn(r.left, r.top, r.right, r.bottom);
        CombineRgn(region, region, part, RGN_OR);
        DeleteObject(part);
        bounds = UnionRect(bounds, r);
    }
    InvalidateRgn(hwnd_, region, FALSE);
    DeleteObject(region);
    // Whatever shows the canvas through itself must show the change too.
    RECT screen{bounds.left, bounds.top, bounds.right, bounds.bottom};
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&screen), 2);
    for (const auto& c : window_.components()) {
        if (c->type() != ControlType::TransLabel || c->hwnd() == nullptr) continue;
        RECT other, overlap;
        GetWindowRect(c->hwnd(), &other);
        if (!IntersectRect(&overlap, &other, &screen)) continue;
        MapWindowPoints(nullptr, c->hwnd(), reinterpret_cast<POINT*>(&overlap), 2);
        InvalidateRect(c->hwnd(), &overlap, FALSE);
    }
}

void CanvasBox::PaintUpdate(HDC dc, const RECT& bounds, HRGN update) const {
    const Rect box = IntersectRect({bounds.left, bounds.top, bounds.right, bounds.bottom},
                                   {0, 0, canvas_->Width(), canvas_->Height()});
    std::vector<char> data(update != nullptr ? GetRegionData(update, 0, nullptr) : 0);
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    if (box.IsEmpty() || data.size() < sizeof(RGNDATAHEADER) ||
        GetRegionData(update, static_cast<DWORD>(data.size()), region) == 0 ||
        region->rdh.nCount < 2)
        return PaintTo(dc, bounds, bounds.left, bounds.top);
    // Each rectangle composed into one picture of the bounds, copied once: the DC shows only
    // the rectangles, so what lies between them in the picture is never seen.
    scratch_.width = box.Width();
    scratch_.height = box.Height();
    scratch_.pixels.resize(static_cast<size_t>(box.Width()) * box.Height());
    const auto* rects = reinterpret_cast<const RECT*>(region->Buffer);
    for (DWORD i = 0; i < region->rdh.nCount; ++i)
        canvas_->RenderInto(scratch_, box.left, box.top, backgroundPixels_,
                            {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom});
    ShowPixels(dc, scratch_, box.left, box.top);
}

void CanvasBox::PaintTo(HDC dc, const RECT& client, int dx, int dy) const {
    // Composed for the area asked for only: the canvas keeps no picture of itself.
    Show(dc, Composed(client), dx - client.left, dy - client.top);
}

CanvasBox::Part CanvasBox::Composed(const RECT& client) const {
    const Rect want{client.left, client.top, client.right, client.bottom};
    const Rect in = IntersectRect(want, {0, 0, canvas_->Width(), canvas_->Height()});
    return {canvas_->RenderRegion(backgroundPixels_, want), in.left, in.top};
}

void CanvasBox::Show(HDC dc, const Part& part, int dx, int dy) {
    ShowPixels(dc, part.pixels, dx + part.left, dy + part.top);
}

LRESULT CALLBACK CanvasBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<CanvasBox*>(Component::FromHwnd(hwnd));
    if (self == nullptr || (msg != WM_PAINT && msg != WM_ERASEBKGND && msg != WM_PRINTCLIENT))
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PRINTCLIENT) {
        RECT all;
        GetClientRect(hwnd, &all);
        self->PaintTo(reinterpret_cast<HDC>(wp), all, 0, 0);
        return 0;
    }
    // The update region is taken before the paint validates it.
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    const bool complex = GetUpdateRgn(hwnd, update, FALSE) == COMPLEXREGION;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    self->PaintUpdate(dc, ps.rcPaint, complex ? update : nullptr);
    EndPaint(hwnd, &ps);
    DeleteObject(update);
    return 0;
}

std::unique_ptr<Component> MakeCanvasBox(WindowHost& window, const ControlDef& def) {
    return std::make_unique<CanvasBox>(window, &def);
}

}  // namespace kelvra
