#include "ui/property_access.h"

#include <windows.h>

#include "runtime/fatal.h"
#include "runtime/text.h"
#include "ui/model/scale.h"
#include "ui/window.h"

namespace kelvra {

namespace {

// Type properties the program uses, by their number in the type's table.
constexpr int32_t kEditBoxContent = 8;
constexpr int32_t kLabelCaption = 8;
constexpr int32_t kLabelTextColour = 16;
constexpr int32_t kTemplateText = 8;
constexpr int32_t kTemplateFont = 9;
constexpr int32_t kTemplateTextColour = 10;

Component& ComponentFor(int32_t windowId, int32_t componentId) {
    LoadedWindow* w = FindLoadedWindow(windowId);
    if (w == nullptr || w->hwnd() == nullptr) ReportRuntimeError("未载入欲访问窗口组件所在的窗口");
    Component* c = w->Find(componentId);
    if (c == nullptr) ReportRuntimeError("指定窗口或窗口组件不存在或尚未载入");
    return *c;
}

bool Live(const Component& c) {
    return c.hwnd() != nullptr && IsWindow(c.hwnd());
}

void RequireLive(const Component& c) {
    if (!Live(c)) ReportRuntimeError("指定窗口尚未载入");
}

// A control left for later is made for any property it does not keep itself; true when it
// keeps this one and stays without its native window.
bool HeldWhileDeferred(Component& c, int32_t propertyIndex) {
    const int32_t type = propertyIndex - 8;
    if (c.deferred() && type >= 0 && c.HoldsWhileDeferred(type)) return true;
    c.window().Realise(c);
    return false;
}

PropertyValue ReadCommon(Component& c, int32_t index) {
    const Component::Common& common = c.common();
    const bool live = Live(c);
    // In units of the layout, like everything the program places.
    const PixelRect r = live ? c.window().UnitsOf(c) : PixelRect{};
    switch (static_cast<PropertyIndex>(index)) {
        case PropertyIndex::Left:
            return PropertyValue::Number(live ? r.left : common.left);
        case PropertyIndex::Top:
            return PropertyValue::Number(live ? r.top : common.top);
        case PropertyIndex::Width:
            return PropertyValue::Number(live ? r.width : common.width);
        case PropertyIndex::Height:
            return PropertyValue::Number(live ? r.height : common.height);
        case PropertyIndex::Tag:
            return PropertyValue::Text(common.tag);
        case PropertyIndex::Visible:
            return PropertyValue::Number(live && c.type() != ControlType::CartoonObject
                                             ? IsWindowVisible(c.hwnd()) != FALSE
                                             : common.visible);
        case PropertyIndex::Disabled:
            return PropertyValue::Number(live ? IsWindowEnabled(c.hwnd()) == FALSE
                                              : common.disabled);
        case PropertyIndex::Cursor:
            break;
    }
    PropertyValue v;
    v.bytes = common.cursor;
    return v;
}

// `v` is the written value converted to the property's kind: positions and sizes are its int32.
void WriteCommon(Component& c, int32_t index, const PropertyValue& v) {
    Component::Common& common = c.common();
    const bool live = Live(c);
    const auto n = static_cast<int32_t>(v.number);
    switch (static_cast<PropertyIndex>(index)) {
        case PropertyIndex::Left:
        case PropertyIndex::Top:
        case PropertyIndex::Width:
        case PropertyIndex::Height: {
            const PixelRect now = live ? c.window().UnitsOf(c) : PixelRect{};
            if (live) {
                // A live window moves or resizes from where it is.
                common.left = now.left;
                common.top = now.top;
                common.width = now.width;
                common.height = now.height;
            }
            int32_t& field = index == 0   ? common.left
                             : index == 1 ? common.top
                             : index == 2 ? common.width
                                          : common.height;
            field = index < 2 ? ClampPosition(n) : ClampSize(n);
            if (!live) return;
            const PixelRect r = c.def() != nullptr ? c.window().PixelsOf(c)
                                                   : PixelRect{common.left, common.top,
                                                               common.width, common.height};
            const UINT keep = index < 2 ? SWP_NOSIZE : SWP_NOMOVE;
            SetWindowPos(c.hwnd(), nullptr, r.left, r.top, r.width, r.height,
                         keep | SWP_NOZORDER | SWP_NOACTIVATE);
            return;
        }
        case PropertyIndex::Tag:
            common.tag = std::string(TextView(v.text));
            return;
        case PropertyIndex::Visible:
            common.visible = n != 0;
            if (!live) return;
            if (c.def() == nullptr)
                ShowWindow(c.hwnd(), common.visible ? SW_SHOW : SW_HIDE);
            else
                c.ApplyVisibility();
            return;
        case PropertyIndex::Disabled:
            common.disabled = n != 0;
            if (live) EnableWindow(c.hwnd(), !common.disabled);
            return;
        case PropertyIndex::Cursor:
            common.cursor = v.bytes;
            c.ApplyCursor();
            return;
    }
}

void WriteNumber(WindowId w, int32_t component, int32_t index, int32_t member, int64_t n) {
    WriteProperty(static_cast<int32_t>(w), component, index, member, PropertyValue::Number(n));
}

void WriteText(WindowId w, int32_t component, int32_t index, int32_t member,
               std::string_view text) {
    WriteProperty(static_cast<int32_t>(w), component, index, member, PropertyValue::Text(text));
}

}  // namespace

PropertyValue ReadProperty(int32_t windowId, int32_t componentId, int32_t propertyIndex,
                           int32_t memberIndex) {
    Component& c = ComponentFor(windowId, componentId);
    if (propertyIndex < 0 || propertyIndex >= PropertyTableSize(c.type())) return {};
    const bool held = HeldWhileDeferred(c, propertyIndex);
    if (propertyIndex <= static_cast<int32_t>(PropertyIndex::Cursor))
        return ReadCommon(c, propertyIndex);
    if (!held) RequireLive(c);
    return c.GetTypeProperty(propertyIndex - 8, memberIndex);
}

void WriteProperty(int32_t windowId, int32_t componentId, int32_t propertyIndex,
                   int32_t memberIndex, const PropertyValue& value) {
    Component& c = ComponentFor(windowId, componentId);
    if (propertyIndex < 0 || propertyIndex >= PropertyTableSize(c.type())) return;
    const PropertyValue v = ConvertForWrite(PropertyKindOf(c.type(), propertyIndex), value);
    const bool held = HeldWhileDeferred(c, propertyIndex);
    if (propertyIndex <= static_cast<int32_t>(PropertyIndex::Cursor))
        return WriteCommon(c, propertyIndex, v);
    if (!held) RequireLive(c);
    c.SetTypeProperty(propertyIndex - 8, memberIndex, v);
}

std::string ReadContent(WindowId window, int32_t editBox) {
    return ReadProperty(static_cast<int32_t>(window), editBox, kEditBoxContent, -1).text;
}

void WriteContent(WindowId window, int32_t editBox, std::string_view text) {
    WriteText(window, editBox, kEditBoxContent, -1, text);
}

void WriteCaption(WindowId window, int32_t label, std::string_view text) {
    WriteText(window, label, kLabelCaption, -1, text);
}

void WriteTextColour(WindowId window, int32_t label, uint32_t colour) {
    WriteNumber(window, label, kLabelTextColour, -1, colour);
}

void WriteDisabled(WindowId window, int32_t component, bool disabled) {
    WriteNumber(window, component, static_cast<int32_t>(PropertyIndex::Disabled), -1,
                disabled ? 1 : 0);
}

void WriteTemplateText(WindowId window, int32_t spriteTemplate, std::string_view text) {
    WriteText(window, spriteTemplate, kTemplateText, -1, text);
}

void WriteTemplateFontFace(WindowId window, int32_t spriteTemplate, std::string_view face) {
    WriteText(window, spriteTemplate, kTemplateFont, static_cast<int32_t>(FontMember::Face), face);
}

void WriteTemplateFontSize(WindowId window, int32_t spriteTemplate, int32_t points) {
    WriteNumber(window, spriteTemplate, kTemplateFont, static_cast<int32_t>(FontMember::Size),
                points);
}

void WriteTemplateTextColour(WindowId window, int32_t spriteTemplate, uint32_t colour) {
    WriteNumber(window, spriteTemplate, kTemplateTextColour, -1, colour);
}

}  // namespace kelvra
