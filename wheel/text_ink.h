#pragma once
// Smooth labels: the text is drawn at several times the size with hard edges, and each pixel of
// the label takes the share of its block that the glyphs cover. Read as it is, that share turns a
// stroke about a pixel wide into two grey pixels; the ink curve steepens it so that the strokes'
// cores stay as dark as hard text and only their edges take in-between shades.

#include <cstdint>
#include <vector>

#include "wheel/image.h"

namespace kelvra {

// How many times wider and taller than the label its glyphs are drawn.
constexpr int kInkOversampling = 4;

// Glyphs drawn at kInkOversampling times the size: one byte a pixel, 0 bare, 255 inked. Its
// first row is the first of the label's row `top`; beyond its edges the label is bare.
struct InkMask {
    int width = 0;
    int height = 0;
    int top = 0;
    std::vector<uint8_t> coverage;
};

// The opacity of a label pixel from the share of it the glyphs cover, both 0..255: none stays
// none, and from about five sixths on the pixel is fully inked.
uint8_t InkAlpha(uint32_t coverage);

// Writes the label's rows [firstRow, endRow) from `mask`: the text colour (COLORREF 0x00BBGGRR)
// at the InkAlpha of the share of each pixel the glyphs cover, premultiplied. The share reaches
// half a pixel beyond the pixel: a mask for these rows alone leaves their outer edges too light.
void PutInk(Image& label, int firstRow, int endRow, const InkMask& mask, uint32_t textColorRef);

}  // namespace kelvra
