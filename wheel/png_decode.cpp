#include "wheel/png_decode.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace kelvra {

namespace {

// Pictures above this many pixels are refused rather than allocated: a damaged header can claim
// any size.
constexpr size_t kMaxPixels = size_t{1} << 24;

// Silent: a failure is reported through the result only.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

struct MemoryReader {
    const png_byte* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep dest, size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->pos) {
        png_error(png, "unexpected end of data");
    }
    std::memcpy(dest, reader->data + reader->pos, length);
    reader->pos += length;
}

struct ReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStructs() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// libpng reports errors by longjmp back into this function. Everything with a destructor lives
// in the caller, whose frame the jump never leaves, so nothing is skipped on the way.
bool ReadRgba(ReadStructs& structs, MemoryReader& reader, std::vector<png_byte>& rgba,
              std::vector<png_bytep>& rows, png_uint_32& width, png_uint_32& height) {
    png_structp png = structs.png;
    png_infop info = structs.info;
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);

    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > kMaxPixels / height) {
        return false;
    }
    const int colourType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    if (!(colourType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) {
        return false;
    }

    rgba.resize(static_cast<size_t>(width) * height * 4);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; y++) {
        rows[y] = rgba.data() + static_cast<size_t>(y) * width * 4;
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

bool DecodePng(const void* data, size_t size, Image& out) {
    if (!data || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) {
        return false;
    }
    ReadStructs structs;
    structs.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!structs.png) {
        return false;
    }
    structs.info = png_create_info_struct(structs.png);
    if (!structs.info) {
        return false;
    }
    MemoryReader reader{static_cast<const png_byte*>(data), size, 0};
    std::vector<png_byte> rgba;
    std::vector<png_bytep> rows;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    if (!ReadRgba(structs, reader, rgba, rows, width, height)) {
        return false;
    }
    out = ImageFromRgba(rgba.data(), static_cast<int>(width), static_cast<int>(height));
    return true;
}

}  // namespace kelvra
