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

// Truncated remainder, then into 0..359.
int NormaliseAngle(int64_t a) {
    int64_t r = a % 360;
    if (r < 0) {
        r += 360;
    }
    return static_cast<int>(r);
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

Rect Sprite::Bounds() const {
    const int x = static_cast<int>(std::floor(left));
    const int y = static_cast<int>(std::floor(top));
    return {x, y, x + Width(), y + Height()};
}

Canvas::Canvas(int width, int height, TextRenderer renderText)
    : width_(width), height_(height), renderText_(std::move(renderText)) {}

int Canvas::AddSprite(const SpriteTemplate& tmpl, double left, double top, bool visible) {
    Sprite sprite;
    sprite.id = nextId_++;
    sprite.left = left;
    sprite.top = top;
    sprite.visible = visible;
    sprite.text = tmpl.text;
    sprite.font = tmpl.font;
    sprite.textColour = tmpl.textColour;
    sprite.zoom = tmpl.zoom;
    sprite.layer = tmpl.layer;
    sprite.angle = NormaliseAngle(tmpl.angle);
    sprite.rotateFollow = tmpl.rotateFollow;

    Image face;
    if (!tmpl.text.empty()) {
        if (renderText_) {
            face = renderText_(tmpl.text, tmpl.font, tmpl.textColour);
        }
    } else {
        face = tmpl.picture;
    }
    if (tmpl.zoom != 1000) {
        const int w = static_cast<int>(std::lround(face.width * (tmpl.zoom / 1000.0)));
        const int h = static_cast<int>(std::lround(face.height * (tmpl.zoom / 1000.0)));
        face = ScaleImage(face, w, h);
    }
    sprite.unturned = std::make_shared<const Image>(std::move(face));
    sprite.rendered = TurnedImage(sprite);

    auto at = std::find_if(sprites_.begin(), sprites_.end(),
                           [&](const Sprite& s) { return s.layer > sprite.layer; });
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
    if (!sprite->rotateFollow) {
        return;
    }
    const Rect before = sprite->Bounds();
    const int w0 = sprite->Width();
    const int h0 = sprite->Height();
    sprite->rendered = TurnedImage(*sprite);
    sprite->left += w0 / 2 - sprite->Width() / 2;
    sprite->top += h0 / 2 - sprite->Height() / 2;
    if (sprite->visible) {
        MarkDirty(UnionRect(before, sprite->Bounds()));
    }
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
    return r;
}

void Canvas::MarkDirty(const Rect& r) {
    dirty_ = UnionRect(dirty_, IntersectRect(r, {0, 0, width_, height_}));
}

void Canvas::Render(Image& target, const Image& background, const Rect& region) const {
    Rect area = IntersectRect(region, {0, 0, width_, height_});
    area = IntersectRect(area, {0, 0, target.width, target.height});
    if (area.IsEmpty()) {
        return;
    }
    const Rect fromBackground = IntersectRect(area, {0, 0, background.width, background.height});
    for (int y = area.top; y < area.bottom; y++) {
        uint32_t* row = &target.pixels[static_cast<size_t>(y) * target.width];
        std::fill(row + area.left, row + area.right, 0u);
        if (y >= fromBackground.top && y < fromBackground.bottom) {
            const size_t from = static_cast<size_t>(y) * background.width + fromBackground.left;
            std::memcpy(row + fromBackground.left, &background.pixels[from],
                        static_cast<size_t>(fromBackground.Width()) * sizeof(uint32_t));
        }
    }
    for (const Sprite& sprite : sprites_) {
        if (sprite.visible) {
            const Rect box = sprite.Bounds();
            Compose(target, *sprite.rendered, box.left, box.top, area);
        }
    }
}

void Canvas::SetTurnCaching(bool enabled) {
    turnCaching_ = enabled;
    if (!enabled) {
        for (Sprite& s : sprites_) {
            s.turnCache.clear();
        }
    }
}

std::shared_ptr<const Image> Canvas::TurnedImage(Sprite& sprite) {
    if (!sprite.rotateFollow || sprite.angle == 0) {
        return sprite.unturned;
    }
    if (turnCaching_) {
        auto hit = sprite.turnCache.find(sprite.angle);
        if (hit != sprite.turnCache.end()) {
            return hit->second;
        }
    }
    auto turned = std::make_shared<const Image>(RotateImage(*sprite.unturned, sprite.angle));
    if (turnCaching_) {
        if (sprite.turnCache.size() >= kMaxCachedTurns) {
            sprite.turnCache.clear();
        }
        sprite.turnCache.emplace(sprite.angle, turned);
    }
    return turned;
}

}  // namespace kelvra
