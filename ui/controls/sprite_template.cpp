// CartoonObject: a sprite template. It is never shown; the canvas places copies of it.
#include "runtime/text.h"
#include "ui/controls/controls.h"
#include "ui/pictures.h"
#include "ui/text_render.h"

namespace kelvra {

namespace {

// Font sizes convert to heights in layout units; a canvas scales them with everything else.
constexpr int32_t kUnitsPerInch = 96;

class SpriteTemplateComponent : public Component {
  public:
    using Component::Component;
    void CreateNative(HWND parent) override {
        tmpl_.shared = Picture(def_->picture);
        tmpl_.text = def_->text;
        tmpl_.rotateFollow = def_->rotateFollow;
        colour_ = OrBlack(def_->textColour);
        tmpl_.textColour = colour_;
        CreateChild(parent, kSpriteTemplateClass, L"", 0);
    }
    const SpriteTemplate& Template() const { return tmpl_; }
    std::shared_ptr<const Image> PictureAt(const Scale& scale) const {
        if (scale.IsIdentity() || tmpl_.shared == nullptr) return tmpl_.shared;
        return kelvra::PictureAt(def_->picture, scale.Px(tmpl_.shared->width),
                                 scale.Px(tmpl_.shared->height));
    }
    void Relayout() override {}  // never shown
    void SetText(std::string_view text) { tmpl_.text = std::string(TextView(text)); }
    // `member` as for WriteFontMember; -1 writes the whole record.
    void SetFont(int32_t member, const PropertyValue& value) {
        tmpl_.font = member < 0 ? WriteFontRecord(value.font, kUnitsPerInch)
                                : WriteFontMember(tmpl_.font, DefaultGuiFont(), member, value,
                                                  kUnitsPerInch);
    }
    // The value is kept as written; the picture uses its red, green and blue.
    void SetTextColour(uint32_t colour) {
        colour_ = colour;
        tmpl_.textColour = colour_ & 0xFFFFFFu;
    }
    PropertyValue ReadTypeProperty(int32_t number, int32_t member) override {
        switch (number) {
            case CartoonObjectProperty::Text:
                return PropertyValue::Text(tmpl_.text);
            case CartoonObjectProperty::Font:
                return ReadFont(member);
            case CartoonObjectProperty::TextColour:
                return PropertyValue::Number(static_cast<int32_t>(colour_));
            default:
                return Component::ReadTypeProperty(number, member);
        }
    }
    void WriteTypeProperty(int32_t number, int32_t member, const PropertyValue& value) override {
        switch (number) {
            case CartoonObjectProperty::Text:
                return SetText(value.text);
            case CartoonObjectProperty::Font:
                return SetFont(member, value);
            case CartoonObjectProperty::TextColour:
                return SetTextColour(static_cast<uint32_t>(value.number));
            default:
                return Component::WriteTypeProperty(number, member, value);
        }
    }

  private:
    PropertyValue ReadFont(int32_t member) const {
        const FontRecord record =
            ReadFontRecord(tmpl_.font.set ? tmpl_.font : DefaultGuiFont(), kUnitsPerInch);
        PropertyValue v;
        switch (static_cast<FontMember>(member)) {
            case FontMember::Angle:
                v.number = record.angle;
                break;
            case FontMember::Bold:
                v.number = record.bold;
                break;
            case FontMember::Italic:
                v.number = record.italic;
                break;
            case FontMember::StrikeOut:
                v.number = record.strikeOut;
                break;
            case FontMember::Underline:
                v.number = record.underline;
                break;
            case FontMember::Size:
                v.number = record.size;
                break;
            case FontMember::Face:
                v.text = record.face;
                break;
            default:
                v.font = record;
                break;
        }
        return v;
    }
    SpriteTemplate tmpl_;
    uint32_t colour_ = 0;
};

}  // namespace

std::unique_ptr<Component> MakeSpriteTemplate(WindowHost& window, const ControlDef& def) {
    return std::make_unique<SpriteTemplateComponent>(window, &def);
}

const SpriteTemplate* TemplateOf(const Component* c) {
    return c != nullptr && c->type() == ControlType::CartoonObject
               ? &static_cast<const SpriteTemplateComponent*>(c)->Template()
               : nullptr;
}

std::shared_ptr<const Image> TemplatePictureAt(const Component& c, const Scale& scale) {
    return static_cast<const SpriteTemplateComponent&>(c).PictureAt(scale);
}

}  // namespace kelvra
