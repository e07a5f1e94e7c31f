#pragma once
// PNG decoding into an image.

#include <cstddef>

#include "wheel/image.h"

namespace kelvra {

// Decodes a PNG held in memory, of any colour type and bit depth, into premultiplied pixels.
// Returns false, with out untouched, for anything that is not a complete, valid PNG.
bool DecodePng(const void* data, size_t size, Image& out);

}  // namespace kelvra
