#include "ui/property_access.h"

#include <windows.h>

#include "runtime/fatal.h"
#include "ui/controls/edit_box.h"
#include "ui/controls/labels.h"
#include "ui/controls/sprite_template.h"
#include "ui/window.h"

namespace kelvra {

namespace {

Component& ComponentFor(int32_t windowId, int32_t componentId) {
    LoadedWindow* w = FindLoadedWindow(windowId);
    if (w == nullptr || w->hwnd() == nullptr) ReportRuntimeError("未载入欲访问窗口组件所在的窗口");
    Component* c = w->Find(componentId);
    if (c == nullptr) ReportRuntimeError("指定窗口或窗口组件不存在或尚未载入");
    return *c;
}

// A control left for later is made for any property it does not keep itself; a type property
// needs the native window.
void Prepare(Component& c, const PropertyInfo& p) {
    if (c.deferred() && p.keptWhileDeferred) return;
    c.window().EnsureCreated(c);
    if (p.number >= kFirstTypeProperty && (c.hwnd() == nullptr || !IsWindow(c.hwnd())))
        ReportRuntimeError("指定窗口尚未载入");
}

Component& PreparedFor(WindowId window, int32_t componentId, int32_t commonNumber) {
    Component& c = ComponentFor(static_cast<int32_t>(window), componentId);
    Prepare(c, *FindProperty(c.type(), commonNumber));
    return c;
}

// The control as the class of its type T, prepared for T's property `number`, for a named
// writer to call its setter; null when the control is of another type, which has no such
// property (a write by number is ignored then too).
template <typename T>
T* PreparedAs(Component& c, int32_t number) {
    T* typed = As<T>(&c);
    if (typed != nullptr) Prepare(c, *FindProperty(T::kType, number));
    return typed;
}

template <typename T>
T* PreparedAs(WindowId window, int32_t componentId, int32_t number) {
    return PreparedAs<T>(ComponentFor(static_cast<int32_t>(window), componentId), number);
}

PropertyValue ReadCommon(const Component& c, int32_t number) {
    using P = CommonProperty;
    switch (number) {
        case P::Left:
            return PropertyValue::Number(c.Bounds().left);
        case P::Top:
            return PropertyValue::Number(c.Bounds().top);
        case P::Width:
            return PropertyValue::Number(c.Bounds().width);
        case P::Height:
            return PropertyValue::Number(c.Bounds().height);
        case P::Tag:
            return PropertyValue::Text(c.Tag());
        case P::Visible:
            return PropertyValue::Number(c.Visible());
        case P::Disabled:
            return PropertyValue::Number(c.Disabled());
        case P::Cursor:
            break;
    }
    PropertyValue cursor;
    cursor.bytes = c.CursorData();
    return cursor;
}

// `v` is the written value converted to the property's kind: positions and sizes are its int32.
void WriteCommon(Component& c, int32_t number, const PropertyValue& v) {
    using P = CommonProperty;
    const auto n = static_cast<int32_t>(v.number);
    switch (number) {
        case P::Left:
            return c.SetLeft(n);
        case P::Top:
            return c.SetTop(n);
        case P::Width:
            return c.SetWidth(n);
        case P::Height:
            return c.SetHeight(n);
        case P::Tag:
            return c.SetTag(v.text);
        case P::Visible:
            return c.SetVisible(n != 0);
        case P::Disabled:
            return c.SetDisabled(n != 0);
        case P::Cursor:
            return c.SetCursorData(v.bytes);
    }
}

}  // namespace

PropertyValue ReadProperty(int32_t windowId, int32_t componentId, int32_t number,
                           int32_t memberIndex) {
    Component& c = ComponentFor(windowId, componentId);
    const PropertyInfo* p = FindProperty(c.type(), number);
    if (p == nullptr) return {};
    Prepare(c, *p);
    if (number < kFirstTypeProperty) return ReadCommon(c, number);
    return c.ReadTypeProperty(number, memberIndex);
}

void WriteProperty(int32_t windowId, int32_t componentId, int32_t number, int32_t memberIndex,
                   const PropertyValue& value) {
    Component& c = ComponentFor(windowId, componentId);
    const PropertyInfo* p = FindProperty(c.type(), number);
    if (p == nullptr) return;
    const PropertyValue v = ConvertForWrite(p->kind, value);
    Prepare(c, *p);
    if (number < kFirstTypeProperty) return WriteCommon(c, number, v);
    c.WriteTypeProperty(number, memberIndex, v);
}

std::string ReadContent(WindowId window, int32_t editBox) {
    const auto* box = PreparedAs<EditBoxComponent>(window, editBox, EditBoxProperty::Content);
    return box != nullptr ? box->Content() : std::string();
}

void WriteContent(WindowId window, int32_t editBox, std::string_view text) {
    if (auto* box = PreparedAs<EditBoxComponent>(window, editBox, EditBoxProperty::Content))
        box->SetContent(text);
}

void WriteCaption(WindowId window, int32_t label, std::string_view text) {
    Component& c = ComponentFor(static_cast<int32_t>(window), label);
    if (auto* l = PreparedAs<LabelComponent>(c, LabelProperty::Caption)) return l->SetCaption(text);
    if (auto* t = PreparedAs<TransLabelComponent>(c, TransLabelProperty::Caption))
        t->SetCaption(text);
}

void WriteTextColour(WindowId window, int32_t label, uint32_t colour) {
    if (auto* l = PreparedAs<LabelComponent>(window, label, LabelProperty::TextColour))
        l->SetTextColour(colour);
}

void WriteDisabled(WindowId window, int32_t component, bool disabled) {
    PreparedFor(window, component, CommonProperty::Disabled).SetDisabled(disabled);
}

void WriteTemplateText(WindowId window, int32_t spriteTemplate, std::string_view text) {
    using P = CartoonObjectProperty;
    if (auto* t = PreparedAs<SpriteTemplateComponent>(window, spriteTemplate, P::Text))
        t->SetText(text);
}

void WriteTemplateFontFace(WindowId window, int32_t spriteTemplate, std::string_view face) {
    using P = CartoonObjectProperty;
    if (auto* t = PreparedAs<SpriteTemplateComponent>(window, spriteTemplate, P::Font))
        t->SetFontFace(face);
}

void WriteTemplateFontSize(WindowId window, int32_t spriteTemplate, int32_t points) {
    using P = CartoonObjectProperty;
    if (auto* t = PreparedAs<SpriteTemplateComponent>(window, spriteTemplate, P::Font))
        t->SetFontSize(points);
}

void WriteTemplateTextColour(WindowId window, int32_t spriteTemplate, uint32_t colour) {
    using P = CartoonObjectProperty;
    if (auto* t = PreparedAs<SpriteTemplateComponent>(window, spriteTemplate, P::TextColour))
        t->SetTextColour(colour);
}

}  // namespace kelvra
