#include "wheel/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace kelvra {

namespace {

// Enough for a pointer that stops at every multiple of 36 degrees, with room to spare; beyond it
// the cache starts over rather than grow with every angle a sprite ever stood at.
constexpr size_t kMaxCachedTurns = 40;

// Beyond this many changed rectangles their union is marked instead.
constexpr size_t kMaxDirtyRects = 256;
// A picture's visible pixels are found in at most this many bands of rows.
constexpr int kInkBands = 32;

// Truncated remainder, then into 0..359.
int NormaliseAngle(int64_t a) {
    int64_t r = a % 360;
    if (r < 0) {
        r += 360;
    }
    return static_cast<int>(r);
}

// The largest centred square in which every pixel is fully opaque; empty when the centre is not.
Rect OpaqueCore(const Image& image) {
    const int cx = image.width / 2, cy = image.height / 2;
    const auto opaque = [&](int x, int y) { return PixelAlpha(image.At(x, y)) == 255; };
    if (image.IsEmpty() || !opaque(cx, cy)) return {};
    int r = 0;
    for (;;) {
        const int n = r + 1;
        if (cx - n < 0 || cy - n < 0 || cx + n >= image.width || cy + n >= image.height) break;
        bool ring = true;
        for (int i = -n; i <= n && ring; ++i)
            ring = opaque(cx + i, cy - n) && opaque(cx + i, cy + n) && opaque(cx - n, cy + i) &&
                   opaque(cx + n, cy + i);
        if (!ring) break;
        r = n;
    }
    return {cx - r, cy - r, cx + r + 1, cy + r + 1};
}

Rect Offset(const Rect& r, int dx, int dy) {
    return r.IsEmpty() ? r : Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

}  // namespace

std::vector<std::string> SplitTextLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        size_t cut = end;
        if (cut > start && text[cut - 1] == '\r') {
            cut--;
        }
        lines.push_back(text.substr(start, cut - start));
        start = end + 1;
    }
    return lines;
}

SpriteTemplate WithoutPicture(const SpriteTemplate& tmpl) {
    SpriteTemplate values;
    values.text = tmpl.text;
    values.font = tmpl.font;
    values.textColour = tmpl.textColour;
    values.zoom = tmpl.zoom;
    values.layer = tmpl.layer;
    values.angle = tmpl.angle;
    values.rotateFollow = tmpl.rotateFollow;
    return values;
}

Rect Sprite::Bounds() const {
    const int x = static_cast<int>(std::floor(left));
    const int y = static_cast<int>(std::floor(top));
    return {x, y, x + Width(), y + Height()};
}

Canvas::Canvas(int width, int height, TextRenderer renderText,
               std::shared_ptr<TemplateCopies> copies)
    : width_(width),
      height_(height),
      renderText_(std::move(renderText)),
      copies_(copies != nullptr ? std::move(copies) : std::make_shared<TemplateCopies>()) {}

int Canvas::AddSprite(const SpriteTemplate& tmpl, double left, double top, bool visible) {
    Sprite sprite;
    sprite.id = nextId_++;
    sprite.left = left;
    sprite.top = top;
    sprite.visible = visible;
    sprite.angle = NormaliseAngle(tmpl.angle);
    sprite.copied = copies_->Get(WithoutPicture(tmpl));

    if (tmpl.text.empty() && tmpl.zoom == 1000) {
        sprite.unturned = tmpl.shared ? Adopt(tmpl.shared, sprite.opaque)
                                      : SharedPicture(tmpl.picture, sprite.opaque);
    } else {
        Image face;
        if (!tmpl.text.empty()) {
            if (renderText_) {
                face = renderText_(tmpl.text, tmpl.font, tmpl.textColour);
            }
        } else {
            face = tmpl.shared ? *tmpl.shared : tmpl.picture;
        }
        if (tmpl.zoom == 1000) {
            // A label drawn again with the same text, font and colour shares its picture.
            sprite.unturned = SharedPicture(face, sprite.opaque);
        } else {
            const int w = static_cast<int>(std::lround(face.width * (tmpl.zoom / 1000.0)));
            const int h = static_cast<int>(std::lround(face.height * (tmpl.zoom / 1000.0)));
            face = ScaleImage(face, w, h);
            sprite.unturned = std::make_shared<const Image>(std::move(face));
        }
    }
    sprite.rendered = TurnedImage(sprite);
    if (sprite.rendered != sprite.unturned) sprite.opaque = {};

    auto at = std::find_if(sprites_.begin(), sprites_.end(),
                           [&](const Sprite& s) { return s.copied->layer > sprite.copied->layer; });
    at = sprites_.insert(at, std::move(sprite));
    if (at->visible) {
        MarkDirty(at->Bounds());
    }
    return at->id;
}

void Canvas::RemoveSprites(std::initializer_list<int> ids) {
    for (int id : ids) {
        RemoveSprite(id);
    }
}

void Canvas::RemoveSprites(const std::vector<int>& ids) {
    for (int id : ids) {
        RemoveSprite(id);
    }
}

void Canvas::RemoveSprite(int id) {
    auto it =
        std::find_if(sprites_.begin(), sprites_.end(), [&](const Sprite& s) { return s.id == id; });
    if (it == sprites_.end()) {
        return;
    }
    if (it->visible) {
        MarkDirty(it->Bounds());
    }
    sprites_.erase(it);
    ForgetUnused();
}

std::shared_ptr<const Image> Canvas::SharedPicture(const Image& picture, Rect& opaque) {
    for (const Picture& p : pictures_) {
        auto image = p.image.lock();
        if (image && *image == picture) {
            opaque = p.opaque;
            return image;
        }
    }
    auto image = std::make_shared<const Image>(picture);
    opaque = OpaqueCore(*image);
    pictures_.push_back({image, opaque});
    return image;
}

std::shared_ptr<const Image> Canvas::Adopt(std::shared_ptr<const Image> picture, Rect& opaque) {
    for (const Picture& p : pictures_) {
        if (p.image.lock() == picture) {
            opaque = p.opaque;
            return picture;
        }
    }
    opaque = OpaqueCore(*picture);
    pictures_.push_back({picture, opaque});
    return picture;
}

void Canvas::ForgetUnused() {
    std::erase_if(pictures_, [](const Picture& p) { return p.image.expired(); });
    std::erase_if(turns_, [](const auto& entry) { return entry.second.source.expired(); });
    std::erase_if(inks_, [](const auto& entry) { return entry.second.image.expired(); });
}

size_t Canvas::CachedTurnCount() const {
    size_t n = 0;
    for (const auto& [key, turns] : turns_) n += turns.byAngle.size();
    return n;
}

int Canvas::GetSpriteAngle(int id) const {
    const Sprite* sprite = FindSprite(id);
    return sprite ? sprite->angle : 0;
}

void Canvas::SetSpriteAngle(int id, int angle) {
    Sprite* sprite = Find(id);
    if (!sprite) {
        return;
    }
    const int a = NormaliseAngle(angle);
    if (a == sprite->angle) {
        return;
    }
    sprite->angle = a;
    if (!sprite->copied->rotateFollow) {
        return;
    }
    if (sprite->visible) MarkSpriteDirty(*sprite);
    const int w0 = sprite->Width();
    const int h0 = sprite->Height();
    sprite->rendered = TurnedImage(*sprite);
    sprite->opaque = {};  // only unturned pictures are known to have an opaque core
    sprite->left += w0 / 2 - sprite->Width() / 2;
    sprite->top += h0 / 2 - sprite->Height() / 2;
    if (sprite->visible) MarkSpriteDirty(*sprite);
}

void Canvas::RotateSprite(int id, int delta) {
    const Sprite* sprite = FindSprite(id);
    if (!sprite) {
        return;
    }
    SetSpriteAngle(id, NormaliseAngle(int64_t{sprite->angle} + delta));
}

const Sprite* Canvas::FindSprite(int id) const {
    auto it =
        std::find_if(sprites_.begin(), sprites_.end(), [&](const Sprite& s) { return s.id == id; });
    return it == sprites_.end() ? nullptr : &*it;
}

Sprite* Canvas::Find(int id) {
    return const_cast<Sprite*>(std::as_const(*this).FindSprite(id));
}

std::vector<int> Canvas::SpriteIds() const {
    std::vector<int> ids;
    ids.reserve(sprites_.size());
    for (const Sprite& s : sprites_) {
        ids.push_back(s.id);
    }
    return ids;
}

Rect Canvas::TakeDirty() {
    Rect r = dirty_;
    dirty_ = {};
    dirtyRects_.clear();
    return r;
}

std::vector<Rect> Canvas::TakeDirtyRects() {
    std::vector<Rect> rects = std::move(dirtyRects_);
    dirtyRects_.clear();
    dirty_ = {};
    return rects;
}

void Canvas::MarkDirty(const Rect& r) {
    const Rect in = IntersectRect(r, {0, 0, width_, height_});
    if (in.IsEmpty()) return;
    dirty_ = UnionRect(dirty_, in);
    if (dirtyRects_.size() < kMaxDirtyRects)
        dirtyRects_.push_back(in);
    else
        dirtyRects_.assign(1, dirty_);
}

void Canvas::MarkSpriteDirty(const Sprite& sprite) {
    const Rect box = sprite.Bounds();
    for (const Rect& band : InkBands(sprite.rendered)) MarkDirty(Offset(band, box.left, box.top));
}

const std::vector<Rect>& Canvas::InkBands(const std::shared_ptr<const Image>& image) {
    // Turned pictures come and go with the cache of turns: those gone are forgotten.
    if (inks_.size() > 2 * kMaxCachedTurns)
        std::erase_if(inks_, [](const auto& entry) { return entry.second.image.expired(); });
    Ink& ink = inks_[image.get()];
    if (ink.image.lock() == image) return ink.bands;
    ink = Ink{image, {}};
    const int rows = std::max(8, (image->height + kInkBands - 1) / kInkBands);
    for (int top = 0; top < image->height; top += rows) {
        const int bottom = std::min(image->height, top + rows);
        int left = image->width, right = 0;
        for (int y = top; y < bottom; ++y) {
            const uint32_t* row = &image->pixels[static_cast<size_t>(y) * image->width];
            int x = 0;
            while (x < left && PixelAlpha(row[x]) == 0) ++x;
            left = std::min(left, x);
            x = image->width;
            while (x > right && PixelAlpha(row[x - 1]) == 0) --x;
            right = std::max(right, x);
        }
        if (left < right) ink.bands.push_back({left, top, right, bottom});
    }
    return ink.bands;
}

void Canvas::Render(Image& target, PixelsView background, const Rect& region) const {
    Rect area = IntersectRect(region, {0, 0, width_, height_});
    area = IntersectRect(area, {0, 0, target.width, target.height});
    if (!area.IsEmpty()) RenderArea({target, 0, 0}, background, area, sprites_.size(), 0);
}

void Canvas::RenderInto(Image& target, int left, int top, PixelsView background,
                        const Rect& region) const {
    Rect area = IntersectRect(region, {0, 0, width_, height_});
    area = IntersectRect(area, {left, top, left + target.width, top + target.height});
    if (!area.IsEmpty()) RenderArea({target, left, top}, background, area, sprites_.size(), 0);
}

Image Canvas::RenderRegion(PixelsView background, const Rect& region) const {
    const Rect area = IntersectRect(region, {0, 0, width_, height_});
    if (area.IsEmpty()) return {};
    Image target(area.Width(), area.Height());
    RenderArea({target, area.left, area.top}, background, area, sprites_.size(), 0);
    return target;
}

// Draws sprites [0, below) over the area. Where an opaque core lies over the area, nothing beneath
// it can show: there the drawing starts at that sprite; the rest of the area is drawn the same
// way with the sprites below it, and then that sprite and the ones up to `below` over it.
void Canvas::RenderArea(const Target& target, PixelsView background, const Rect& area,
                        size_t below, int depth) const {
    constexpr int kMaxDepth = 6;  // each level splits an area in up to five
    for (size_t k = below; depth < kMaxDepth && k-- > 0;) {
        const Sprite& s = sprites_[k];
        if (!s.visible || s.opaque.IsEmpty()) continue;
        const Rect box = s.Bounds();
        const Rect core = IntersectRect(Offset(s.opaque, box.left, box.top), area);
        if (core.IsEmpty()) continue;
        ComposeSprites(k, below, target, core);
        const Rect around[] = {{area.left, area.top, area.right, core.top},
                               {area.left, core.bottom, area.right, area.bottom},
                               {area.left, core.top, core.left, core.bottom},
                               {core.right, core.top, area.right, core.bottom}};
        for (const Rect& r : around) {
            if (r.IsEmpty()) continue;
            RenderArea(target, background, r, k, depth + 1);
            ComposeSprites(k, below, target, r);
        }
        return;
    }
    const Rect fromBackground = IntersectRect(area, {0, 0, background.width, background.height});
    Image& image = target.image;
    for (int y = area.top; y < area.bottom; y++) {
        uint32_t* row = &image.pixels[static_cast<size_t>(y - target.top) * image.width];
        std::fill(row + (area.left - target.left), row + (area.right - target.left), 0u);
        if (y >= fromBackground.top && y < fromBackground.bottom) {
            const size_t from = static_cast<size_t>(y) * background.width + fromBackground.left;
            std::memcpy(row + (fromBackground.left - target.left), background.pixels + from,
                        static_cast<size_t>(fromBackground.Width()) * sizeof(uint32_t));
        }
    }
    ComposeSprites(0, below, target, area);
}

void Canvas::ComposeSprites(size_t first, size_t end, const Target& target,
                            const Rect& area) const {
    for (size_t i = first; i < end; ++i) {
        const Sprite& sprite = sprites_[i];
        if (sprite.visible) {
            const Rect box = sprite.Bounds();
            Compose(target.image, *sprite.rendered, box.left - target.left, box.top - target.top,
                    Offset(area, -target.left, -target.top));
        }
    }
}

void Canvas::SetTurnCaching(bool enabled) {
    turnCaching_ = enabled;
    if (!enabled) {
        turns_.clear();
    }
}

std::shared_ptr<const Image> Canvas::TurnedImage(Sprite& sprite) {
    if (!sprite.copied->rotateFollow || sprite.angle == 0) {
        return sprite.unturned;
    }
    Turns* turns = nullptr;
    if (turnCaching_) {
        turns = &turns_[sprite.unturned.get()];
        if (turns->source.lock() != sprite.unturned) {
            *turns = Turns{sprite.unturned, {}};
        }
        auto hit = turns->byAngle.find(sprite.angle);
        if (hit != turns->byAngle.end()) {
            return hit->second;
        }
    }
    auto turned = std::make_shared<const Image>(RotateImage(*sprite.unturned, sprite.angle));
    if (turns != nullptr) {
        if (turns->byAngle.size() >= kMaxCachedTurns) {
            turns->byAngle.clear();
        }
        turns->byAngle.emplace(sprite.angle, turned);
    }
    return turned;
}

}  // namespace kelvra
