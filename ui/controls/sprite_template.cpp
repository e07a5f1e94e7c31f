// CartoonObject: a sprite template. It is never shown; the canvas places copies of it.
#include "ui/controls/sprite_template.h"

#include "runtime/text.h"
#include "ui/controls/controls.h"
#include "ui/pictures.h"
#include "ui/text_render.h"

namespace kelvra {

namespace {

// Font sizes convert to heights in layout units; a canvas scales them with everything else.
constexpr int32_t kUnitsPerInch = 96;

}  // namespace

void SpriteTemplateComponent::CreateNative(HWND parent) {
    tmpl_.shared = Picture(def_->picture);
    tmpl_.text = def_->text;
    tmpl_.rotateFollow = def_->rotateFollow;
    colour_ = OrBlack(def_->textColour);
    tmpl_.textColour = colour_;
    CreateChild(parent, kSpriteTemplateClass, L"", 0);
}

std::shared_ptr<const Image> SpriteTemplateComponent::PictureAt(const Scale& scale) const {
    WantedPicture wanted;
    if (!WantedAt(scale, wanted)) return tmpl_.shared;
    return kelvra::PictureAt(wanted.asset, wanted.width, wanted.height);
}

bool SpriteTemplateComponent::WantedAt(const Scale& scale, WantedPicture& wanted) const {
    if (scale.IsIdentity() || tmpl_.shared == nullptr) return false;
    wanted = {def_->picture, scale.Px(tmpl_.shared->width), scale.Px(tmpl_.shared->height), false};
    return true;
}

void SpriteTemplateComponent::SetText(std::string_view text) {
    tmpl_.text = std::string(TextView(text));
}

void SpriteTemplateComponent::SetFont(int32_t member, const PropertyValue& value) {
    tmpl_.font = member < 0
                     ? WriteFontRecord(value.font, kUnitsPerInch)
                     : WriteFontMember(tmpl_.font, DefaultGuiFont(), member, value, kUnitsPerInch);
}

void SpriteTemplateComponent::SetFontFace(std::string_view face) {
    SetFont(static_cast<int32_t>(FontMember::Face), PropertyValue::Text(face));
}

void SpriteTemplateComponent::SetFontSize(int32_t points) {
    SetFont(static_cast<int32_t>(FontMember::Size), PropertyValue::Number(points));
}

void SpriteTemplateComponent::SetTextColour(uint32_t colour) {
    colour_ = colour;
    tmpl_.textColour = colour_ & 0xFFFFFFu;
}

PropertyValue SpriteTemplateComponent::ReadTypeProperty(int32_t number, int32_t member) {
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

void SpriteTemplateComponent::WriteTypeProperty(int32_t number, int32_t member,
                                                const PropertyValue& value) {
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

PropertyValue SpriteTemplateComponent::ReadFont(int32_t member) const {
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

bool TemplateWantedAt(const Component& c, const Scale& scale, WantedPicture& wanted) {
    return static_cast<const SpriteTemplateComponent&>(c).WantedAt(scale, wanted);
}

}  // namespace kelvra
