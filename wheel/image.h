#pragma once
// Premultiplied images and rectangles: raw pictures, turning, scaling, reduction, composing.

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvra {

// Half-open pixel rectangle: [left, right) x [top, bottom).
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

Rect IntersectRect(const Rect& a, const Rect& b);
// The smallest rectangle holding both; an empty rectangle adds nothing.
Rect UnionRect(const Rect& a, const Rect& b);

// The pixels of an Image: its own, or pixels lent to it that stay for as long as the program runs
// (a picture compiled into it, shown where it lies without a private copy). Lent pixels are never
// written: the buffer takes a copy of its own before the first change; copying the buffer copies
// the loan, not the pixels.
class PixelBuffer {
  public:
    using value_type = uint32_t;
    using iterator = uint32_t*;
    using const_iterator = const uint32_t*;

    PixelBuffer() = default;
    PixelBuffer(size_t count, uint32_t fill) : own_(count, fill) {}
    // NOLINTNEXTLINE(google-explicit-constructor): pixels given as a list or a vector.
    PixelBuffer(std::vector<uint32_t> pixels) : own_(std::move(pixels)) {}
    PixelBuffer(std::initializer_list<uint32_t> pixels) : own_(pixels) {}
    static PixelBuffer Lent(const uint32_t* pixels, size_t count);

    size_t size() const { return lent_ != nullptr ? lentCount_ : own_.size(); }
    bool empty() const { return size() == 0; }
    const uint32_t* data() const { return lent_ != nullptr ? lent_ : own_.data(); }
    const uint32_t* begin() const { return data(); }
    const uint32_t* end() const { return data() + size(); }
    const uint32_t& operator[](size_t i) const { return data()[i]; }
    uint32_t* data() { return Own().data(); }
    uint32_t* begin() { return data(); }
    uint32_t* end() { return data() + own_.size(); }
    uint32_t& operator[](size_t i) { return Own()[i]; }
    void resize(size_t count) { Own().resize(count); }
    bool IsLent() const { return lent_ != nullptr; }

    friend bool operator==(const PixelBuffer& a, const PixelBuffer& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

  private:
    std::vector<uint32_t>& Own() {
        if (lent_ != nullptr) [[unlikely]] {
            own_.assign(lent_, lent_ + lentCount_);
            lent_ = nullptr;
        }
        return own_;
    }

    std::vector<uint32_t> own_;
    const uint32_t* lent_ = nullptr;
    size_t lentCount_ = 0;
};

// Premultiplied 32-bit pixels, 0xAARRGGBB: in memory B, G, R, A, rows top-down, the layout of a
// 32-bit top-down DIB.
struct Image {
    int width = 0;
    int height = 0;
    PixelBuffer pixels;

    Image() = default;
    Image(int w, int h, uint32_t fill = 0);

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Image&) const = default;
};

// Pixels laid out as an Image's, held elsewhere: an Image, or a picture compiled into the program.
struct PixelsView {
    int width = 0;
    int height = 0;
    const uint32_t* pixels = nullptr;

    PixelsView() = default;
    PixelsView(int w, int h, const uint32_t* p) : width(w), height(h), pixels(p) {}
    // NOLINTNEXTLINE(google-explicit-constructor): an Image is a view of itself.
    PixelsView(const Image& image)
        : width(image.width), height(image.height), pixels(image.pixels.data()) {}
    bool IsEmpty() const { return width <= 0 || height <= 0 || pixels == nullptr; }
};

// A picture as the program compiles it in to be shown where it lies, without decoding or a copy:
// "KPX1", the width and the height as 32-bit little-endian numbers, four zero bytes, then the
// pixels as an Image holds them.
std::string RawPictureBytes(const Image& image);
// The picture those bytes hold; empty when they hold none, or when their pixels do not start on
// a 4-byte boundary (then ImageFromRawPicture copies them).
PixelsView RawPicture(std::string_view bytes);
Image ImageFromRawPicture(std::string_view bytes);
// An image over pixels that stay for as long as the program runs, such as a RawPicture's: no
// copy is made unless the image is changed.
Image LentImage(PixelsView pixels);

inline uint32_t PixelAlpha(uint32_t p) {
    return p >> 24;
}

// Straight (non-premultiplied) components to a premultiplied pixel.
uint32_t PremultipliedPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

// COLORREF (0x00BBGGRR) to an opaque pixel.
uint32_t PixelFromColorRef(uint32_t colorRef);

// Tightly packed straight RGBA bytes, row by row.
Image ImageFromRgba(const uint8_t* rgba, int width, int height);

// Turned clockwise about the centre. Quarter turns permute pixels exactly; any other angle gives
// the bounding box of the turned rectangle, ceil(|w cos| + |h sin|) by ceil(|w sin| + |h cos|),
// with the centres of source and result on each other, sampled bilinearly with transparent
// surroundings so that the edges come out anti-aliased.
Image RotateImage(const Image& src, int degreesClockwise);

// Resampled to w x h, each axis on its own: area average when shrinking, linear when growing;
// a copy at its own size.
Image ScaleImage(PixelsView src, int w, int h);

// A master picture reduced to w x h, each side between half of the master's and all of it: every
// result pixel is the average of the master's area it covers, on premultiplied pixels, so a 2:1
// reduction averages 2 x 2 blocks exactly. Integer arithmetic: the same pixels on every compiler.
// Other sizes go to ScaleImage.
Image ReduceImage(PixelsView master, int w, int h);

// Premultiplied "over" of src onto dst with src's top-left at (x, y), touching only clip.
void Compose(Image& dst, const Image& src, int x, int y, const Rect& clip);

}  // namespace kelvra
