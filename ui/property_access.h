#pragma once
// The properties of the program's windows and controls: by number, as ReadProperty and
// WriteProperty address them (window, component, property, member; the numbers are named in
// ui/model/property_tables.h), and by name for the few the program itself uses.

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/model/layout.h"
#include "ui/model/properties.h"

namespace kelvra {

// A window that is not loaded, or a type property of a component without its native window,
// ends the program with the runtime error box.
PropertyValue ReadProperty(int32_t windowId, int32_t componentId, int32_t number,
                           int32_t memberIndex);
void WriteProperty(int32_t windowId, int32_t componentId, int32_t number, int32_t memberIndex,
                   const PropertyValue& value);

// By name: each goes straight to the control's own getter or setter, which its number reaches
// too. A control of another type is left alone (a read gives ""), as a number outside its table.

// An edit box's content; a write raises the box's change event once.
std::string ReadContent(WindowId window, int32_t editBox);
void WriteContent(WindowId window, int32_t editBox, std::string_view text);
// A label's caption (Label or TransLabel), and a Label's text colour (COLORREF).
void WriteCaption(WindowId window, int32_t label, std::string_view text);
void WriteTextColour(WindowId window, int32_t label, uint32_t colour);
// Whether a control ignores mouse and keyboard input.
void WriteDisabled(WindowId window, int32_t component, bool disabled);
// A sprite template's text, font face, font size in points and text colour.
void WriteTemplateText(WindowId window, int32_t spriteTemplate, std::string_view text);
void WriteTemplateFontFace(WindowId window, int32_t spriteTemplate, std::string_view face);
void WriteTemplateFontSize(WindowId window, int32_t spriteTemplate, int32_t points);
void WriteTemplateTextColour(WindowId window, int32_t spriteTemplate, uint32_t colour);

}  // namespace kelvra
