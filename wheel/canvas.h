#pragma once
// The sprite canvas as a model: templates, sprites copied from them, drawn into a back buffer.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "wheel/font_spec.h"
#include "wheel/image.h"

namespace kelvra {

// The properties of a sprite template control that a sprite copies when it is added.
struct SpriteTemplate {
    Image picture;
    // When set, the picture as its owner shares it, used instead of `picture`: the canvas keeps
    // the same image rather than a copy.
    std::shared_ptr<const Image> shared;
    std::string text;  // GBK; when not empty the sprite shows the text, not the picture
    FontSpec font;
    uint32_t textColour = 0;  // COLORREF 0x00BBGGRR
    int zoom = 1000;          // per mille
    int layer = 0;
    int angle = 0;
    bool rotateFollow = false;

    bool operator==(const SpriteTemplate&) const = default;
};

// One shared copy of each distinct value among those still held by someone: adding a value
// equal to one held costs a pointer, not a copy.
template <typename T>
class SharedCopies {
  public:
    std::shared_ptr<const T> Get(T value) {
        std::erase_if(held_, [](const std::weak_ptr<const T>& w) { return w.expired(); });
        for (const std::weak_ptr<const T>& w : held_) {
            if (std::shared_ptr<const T> p = w.lock(); p != nullptr && *p == value) return p;
        }
        auto p = std::make_shared<const T>(std::move(value));
        held_.push_back(p);
        return p;
    }

  private:
    std::vector<std::weak_ptr<const T>> held_;
};

using TemplateCopies = SharedCopies<SpriteTemplate>;

// A template's values without its picture, which a sprite holds as an image of its own.
SpriteTemplate WithoutPicture(const SpriteTemplate& tmpl);

// Draws a text unturned: lines left-aligned, kTextLineGap pixels apart, with transparent
// surroundings (see PutInk). Supplied by the platform layer.
using TextRenderer =
    std::function<Image(const std::string& gbkText, const FontSpec& font, uint32_t colour)>;

constexpr int kTextLineGap = 2;

// The lines of a sprite text: split at line feeds, a carriage return just before a line feed
// dropped, and no further line after a line feed at the very end.
std::vector<std::string> SplitTextLines(const std::string& text);

struct Sprite {
    int id = 0;
    double left = 0;  // top-left of the current bounding box; drawn at floor(left), floor(top)
    double top = 0;
    bool visible = true;
    int angle = 0;  // 0..359
    // The template's text, font, colours, zoom, layer, angle and rotate-follow as they were when
    // the sprite was added; sprites added from equal values share one copy, as a wheel drawn
    // anew after each save adds the same thirteen sprites over the old ones.
    std::shared_ptr<const SpriteTemplate> copied;
    std::shared_ptr<const Image> unturned;  // the text or picture at the sprite's zoom
    std::shared_ptr<const Image> rendered;  // as drawn now; its size is the sprite's size
    Rect opaque;  // in the sprite's own coordinates: a centred core where every pixel is opaque

    int Width() const { return rendered->width; }
    int Height() const { return rendered->height; }
    Rect Bounds() const;
};

class Canvas {
  public:
    // Sprites copy their templates' values into `copies`, a pool of the canvas's own when null.
    Canvas(int width, int height, TextRenderer renderText = {},
           std::shared_ptr<TemplateCopies> copies = nullptr);

    int Width() const { return width_; }
    int Height() const { return height_; }

    int AddSprite(const SpriteTemplate& tmpl, double left, double top, bool visible = true);
    // The id the next sprite gets: a canvas built again at another scale keeps its sprites' ids.
    void SetNextId(int id) { nextId_ = id; }
    void RemoveSprites(std::initializer_list<int> ids);
    void RemoveSprites(const std::vector<int>& ids);

    int GetSpriteAngle(int id) const;
    void SetSpriteAngle(int id, int angle);
    void RotateSprite(int id, int delta);

    const Sprite* FindSprite(int id) const;
    std::vector<int> SpriteIds() const;  // in drawing order, bottom first
    const std::vector<Sprite>& Sprites() const { return sprites_; }

    // The area changed since the last call, clipped to the canvas; empty when nothing changed.
    Rect TakeDirty();
    // The same change as rectangles that need not touch one another: a turned sprite marks only
    // the bands of rows its visible pixels lie in, not its whole box. Taking either clears both.
    std::vector<Rect> TakeDirtyRects();

    // Paints region of target: the background (already at the canvas's size), then every
    // visible sprite in drawing order. Nothing outside region is touched.
    void Render(Image& target, PixelsView background, const Rect& region) const;
    // The same pixels of region alone (clipped to the canvas), in an image of its size.
    Image RenderRegion(PixelsView background, const Rect& region) const;
    // Paints region (clipped to the canvas and to target) into target, which holds the canvas's
    // pixels from (left, top) on; nothing else of target is touched.
    void RenderInto(Image& target, int left, int top, PixelsView background,
                    const Rect& region) const;

    // Turned images are kept per sprite and angle unless switched off (benchmarks measure both).
    void SetTurnCaching(bool enabled);
    // How many turned images the canvas keeps, over all its pictures.
    size_t CachedTurnCount() const;

  private:
    Sprite* Find(int id);
    void RemoveSprite(int id);
    void MarkDirty(const Rect& r);
    // The rectangles holding the visible pixels of a sprite as it is drawn now.
    void MarkSpriteDirty(const Sprite& sprite);
    // Rectangles in the image's own coordinates, one per band of rows, holding every pixel of it
    // that is not transparent; kept per image while it is used.
    const std::vector<Rect>& InkBands(const std::shared_ptr<const Image>& image);
    std::shared_ptr<const Image> TurnedImage(Sprite& sprite);
    std::shared_ptr<const Image> SharedPicture(const Image& picture, Rect& opaque);
    std::shared_ptr<const Image> Adopt(std::shared_ptr<const Image> picture, Rect& opaque);
    void ForgetUnused();
    // An image that holds the canvas's pixels from (left, top) on.
    struct Target {
        Image& image;
        int left, top;
    };
    void ComposeSprites(size_t first, size_t end, const Target& target, const Rect& area) const;
    void RenderArea(const Target& target, PixelsView background, const Rect& area, size_t below,
                    int depth) const;

    int width_;
    int height_;
    TextRenderer renderText_;
    std::vector<Sprite> sprites_;
    int nextId_ = 1;
    Rect dirty_;
    std::vector<Rect> dirtyRects_;
    struct Ink {
        std::weak_ptr<const Image> image;
        std::vector<Rect> bands;
    };
    std::map<const Image*, Ink> inks_;
    bool turnCaching_ = true;
    // Sprites copied from the same picture share it, and its turned images: a wheel drawn anew
    // after every save of the names must not copy the plate each time.
    struct Picture {
        std::weak_ptr<const Image> image;
        Rect opaque;
    };
    std::vector<Picture> pictures_;
    std::shared_ptr<TemplateCopies> copies_;
    struct Turns {
        std::weak_ptr<const Image> source;
        std::map<int, std::shared_ptr<const Image>> byAngle;
    };
    std::map<const Image*, Turns> turns_;
};

}  // namespace kelvra
