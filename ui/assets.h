#pragma once
// The pictures compiled into the program, decoded once, and the text images of sprites.

#include <windows.h>

#include <memory>

#include "ui/model/layout.h"
#include "wheel/font_spec.h"
#include "wheel/image.h"

namespace kelvra {

// The decoded picture, shared by whoever shows it; null when the resource is missing or cannot
// be decoded. The small pictures are decoded once; the background source is decoded anew.
std::shared_ptr<const Image> SharedAssetImage(Asset asset);

// The picture drawn at w x h: the 100 % picture itself at its own size, else reduced from the
// 200 % master (enlarged from it only beyond 200 %), made once per size.
std::shared_ptr<const Image> SharedAssetImageAt(Asset asset, int w, int h);

// The decoded picture stretched to w x h, made once per size: two canvases of the main window
// and every opening of the other windows show the same background. A size baked into the
// program is decoded from its own picture instead of being made.
std::shared_ptr<const Image> ScaledAssetImage(Asset asset, int w, int h);

// The sizes shown at every start at 100 %, compiled in exactly as StretchAssetImage makes them
// (tools/bake-pictures.sh writes them): decoding one takes a few milliseconds where decoding the
// source and stretching it take tens. A test holds each to its stretch.
struct BakedPicture {
    Asset asset;
    int width, height;
    const wchar_t* resource;
};
inline constexpr BakedPicture kBakedPictures[] = {
    {Asset::Sunburst, 528, 548, L"SUNBURST_528X548_PNG"},  // both canvases of the main window
};
// The decoded picture stretched to w x h, made now.
Image StretchAssetImage(Asset asset, int w, int h);
// The baked picture of that size; empty when none is compiled in or it does not decode.
Image BakedAssetImage(Asset asset, int w, int h);

// The raw bytes of an RCDATA resource of this program.
std::string_view ResourceBytes(const wchar_t* name);

// A text drawn in `font` and `colour` with the key-colour rule: lines split at line feeds,
// 2 pixels between lines, hard edges, transparent elsewhere.
Image RenderTextImage(const std::string& gbkText, const FontSpec& font, uint32_t colour);

// A GDI font for a font description; null for "no font" (the default GUI font applies).
HFONT CreateFontFor(const FontSpec& font, BYTE quality = DEFAULT_QUALITY);
// The system's default GUI font as a description, its height in units of the layout (pixels at
// 96 DPI).
FontSpec DefaultGuiFont();

}  // namespace kelvra
