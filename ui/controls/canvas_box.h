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
    // The canvas and its background at the window's scale now, with the sprites placed so far.
    void MakeCanvas();
    // The background made at w x h, when none is baked in at that size.
    void MakeBackground(int w, int h);
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
};

}  // namespace kelvra
