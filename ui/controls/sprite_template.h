#pragma once
// The class of the CartoonObject type (ui/controls/sprite_template.cpp): a sprite template, never
// shown itself; the canvas places copies of it.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "ui/component.h"
#include "ui/model/scale.h"
#include "wheel/canvas.h"
#include "wheel/image.h"

namespace kelvra {

class SpriteTemplateComponent : public Component {
  public:
    static constexpr ControlType kType = ControlType::CartoonObject;
    using Component::Component;
    void CreateNative(HWND parent) override;
    const SpriteTemplate& Template() const { return tmpl_; }
    std::shared_ptr<const Image> PictureAt(const Scale& scale) const;
    // What PictureAt(scale) would make, to be made ahead; false when it makes nothing.
    bool WantedAt(const Scale& scale, WantedPicture& wanted) const;
    void Relayout() override {}  // never shown
    void SetText(std::string_view text);
    // `member` as for WriteFontMember; -1 writes the whole record.
    void SetFont(int32_t member, const PropertyValue& value);
    void SetFontFace(std::string_view face);
    void SetFontSize(int32_t points);
    // The value is kept as written; the picture uses its red, green and blue.
    void SetTextColour(uint32_t colour);
    PropertyValue ReadTypeProperty(int32_t number, int32_t member) override;
    void WriteTypeProperty(int32_t number, int32_t member, const PropertyValue& value) override;

  private:
    PropertyValue ReadFont(int32_t member) const;
    SpriteTemplate tmpl_;
    uint32_t colour_ = 0;
};

}  // namespace kelvra
