#pragma once
// The sprite canvas of a CartoonBox control and the sprite templates (CartoonObject) placed on
// it: the wheel is drawn through these.

#include <windows.h>

#include <initializer_list>
#include <memory>

#include "ui/component.h"
#include "wheel/canvas.h"
#include "wheel/image.h"

namespace kelvra {

// The sprite operations of a canvas, repainting what they change at once.
class CanvasBox : public Component {
  public:
    using Component::Component;
    void Create(HWND parent) override;
    int AddSprite(const SpriteTemplate& tmpl, double left, double top, bool visible = true);
    void RemoveSprites(std::initializer_list<int> ids);
    int GetSpriteAngle(int id) const { return canvas_ ? canvas_->GetSpriteAngle(id) : 0; }
    void SetSpriteAngle(int id, int angle);
    void RotateSprite(int id, int delta);
    const Canvas* canvas() const { return canvas_.get(); }
    // Paints `client` (canvas coordinates) of the canvas into `dc` at (dx, dy).
    void PaintTo(HDC dc, const RECT& client, int dx, int dy) const;

  private:
    void Flush();
    std::unique_ptr<Canvas> canvas_;
    Image background_;
    Image back_;
};

// The canvas of a CartoonBox, and the template of a CartoonObject; null when the window or the
// component is missing or of another type.
CanvasBox* FindCanvas(WindowId w, int32_t componentId);
const SpriteTemplate* FindTemplate(WindowId w, int32_t componentId);

}  // namespace kelvra
