#pragma once
// GDI fonts for font descriptions, and texts drawn into pictures for the sprites.

#include <windows.h>

#include <cstdint>
#include <string>

#include "wheel/font_spec.h"
#include "wheel/image.h"

namespace kelvra {

// A text drawn in `font` and `colour`: lines split at line feeds, 2 pixels between lines, glyphs
// smoothed into alpha with dark cores (PutInk), transparent elsewhere. Its size and where each
// character stands are those of the text drawn with hard edges.
Image RenderTextImage(const std::string& gbkText, const FontSpec& font, uint32_t colour);

// The size of the picture RenderTextImage makes of the text (its lines measured in hard-edged
// glyphs), without drawing it.
SIZE TextImageSize(const std::string& gbkText, const FontSpec& font);
// Where the glyphs put ink in that picture, drawn with hard edges; empty when nowhere.
RECT TextInkBox(const std::string& gbkText, const FontSpec& font);

// A GDI font for a font description; null for "no font" (the default GUI font applies).
HFONT CreateFontFor(const FontSpec& font, BYTE quality = DEFAULT_QUALITY);
// The system's default GUI font as a description, its height in units of the layout (pixels at
// 96 DPI).
FontSpec DefaultGuiFont();

}  // namespace kelvra
