#pragma once
// The sprite canvas of a CartoonBox control and the sprite templates (CartoonObject) placed on
// it: the wheel is drawn through these.

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "ui/component.h"
#include "wheel/canvas.h"
#include "wheel/image.h"

namespace kelvra {

// The sprite operations of a canvas, repainting what they change at once. Positions are in
// units of the layout; the canvas draws at its window's scale, and is made again when that
// changes.
class CanvasBox : public Component {
  public:
    using Component::Component;
    void CreateNative(HWND parent) override;
    void Relayout() override;
    void WantPictures(std::vector<WantedPicture>& wanted,
                      std::vector<WantedText>& texts) const override;
    // Adds the texts its sprites show at `scale`.
    void WantTexts(const Scale& scale, std::vector<WantedText>& texts) const;
    // A copy of the sprite template `templateId` of the same window, as it is now, at (left,
    // top); 0 when there is no such template.
    int AddSprite(int32_t templateId, int left, int top, bool visible = true);
    void RemoveSprites(std::initializer_list<int> ids);
    int GetSpriteAngle(int id) const { return canvas_ ? canvas_->GetSpriteAngle(id) : 0; }
    void SetSpriteAngle(int id, int angle);
    void RotateSprite(int id, int delta);
    const Canvas* canvas() const { return canvas_.get(); }
    // The rectangle, in units, that the pictures of its sprites cover unturned.
    UnitRect DrawingBounds() const;
    // Paints `client` (canvas pixels) of the canvas into `dc` at (dx, dy).
    void PaintTo(HDC dc, const RECT& client, int dx, int dy) const;
    // What PaintTo paints, composed now to be shown later (Show): the pixels of `client` clipped
    // to the canvas, and where they lie on it.
    struct Part {
        Image pixels;
        int left = 0, top = 0;
    };
    Part Composed(const RECT& client) const;
    // Paints a part into `dc`, the canvas's (0, 0) at (dx, dy).
    static void Show(HDC dc, const Part& part, int dx, int dy);
    // Paints what `update` holds of the canvas's own window into its paint DC, which is clipped
    // to it; `bounds` is its bounding rectangle.
    void PaintUpdate(HDC dc, const RECT& bounds, HRGN update) const;

  private:
    // What a sprite was made from, to make it again at another scale.
    struct Placed {
        int id;
        int32_t templateId;
        // Without its picture, which is taken at the scale; shared by equal records.
        std::shared_ptr<const SpriteTemplate> copy;
        int left, top;
        bool visible;
    };
    // What a canvas was made for: its size, the window's scale, where the units begin on it, and
    // whether the window was full screen.
    struct Fit {
        int width = 0, height = 0;
        Scale scale;
        POINT origin{0, 0};
        bool fullScreen = false;
        bool operator==(const Fit& o) const {
            return width == o.width && height == o.height && scale == o.scale &&
                   origin.x == o.origin.x && origin.y == o.origin.y && fullScreen == o.fullScreen;
        }
    };
    // A canvas with its background, kept for a layout the window may take again.
    struct Kept {
        std::unique_ptr<Canvas> canvas;
        std::shared_ptr<const Image> background;
        PixelsView backgroundPixels;
        Fit fit;
    };
    // The canvas and its background at the window's scale now, with the sprites placed so far:
    // the one kept from the last time the window had this layout, brought up to date, else
    // made.
    void MakeCanvas();
    // What the canvas is made for in the window's layout now.
    Fit FitNow() const;
    // The kept canvas's sprites made what placed_ holds, turned as on `previous`.
    void UpdateSprites(const Canvas* previous);
    // The background made at w x h, when none is baked in at that size.
    void MakeBackground(int w, int h);
    // A placed sprite's record with its font at `scale`.
    SpriteTemplate ScaledRecord(const Placed& p, const Scale& scale) const;
    int Place(const Placed& p);
    void Flush();
    // One pool for the records and every canvas built from them: at 100 % a sprite and its
    // record share one copy.
    std::shared_ptr<TemplateCopies> copies_ = std::make_shared<TemplateCopies>();
    std::unique_ptr<Canvas> canvas_;
    std::vector<Placed> placed_;
    int nextId_ = 1;
    std::shared_ptr<const Image> background_;  // made: often the program's shared picture itself
    PixelsView backgroundPixels_;              // the background shown: baked, or background_
    Fit fit_;
    // The canvas of the other layout (full screen, or the window), kept with its pictures while
    // the program runs: F11 again shows it without making them anew.
    Kept kept_;
    // Where the rectangles of a change are composed before their one copy to the screen; kept
    // between paints.
    mutable Image scratch_;
};

}  // namespace kelvra
