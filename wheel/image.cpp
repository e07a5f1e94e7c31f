#include "wheel/image.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numbers>

namespace kelvra {

Rect IntersectRect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return r.IsEmpty() ? Rect{} : r;
}

Rect UnionRect(const Rect& a, const Rect& b) {
    if (a.IsEmpty()) {
        return b.IsEmpty() ? Rect{} : b;
    }
    if (b.IsEmpty()) {
        return a;
    }
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Image::Image(int w, int h, uint32_t fill)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<size_t>(width) * height, fill) {}

namespace {

// x * y / 255 rounded, exact for 0..255 operands.
inline uint32_t MulDiv255(uint32_t x, uint32_t y) {
    uint32_t t = x * y + 128;
    return (t + (t >> 8)) >> 8;
}

// 0xAARRGGBB to 0x00AA00RR00GG00BB: four 16-bit lanes, room for an 8-bit weight.
inline uint64_t Spread(uint32_t p) {
    uint64_t v = p;
    v = (v | (v << 16)) & 0x0000FFFF0000FFFFull;
    return (v | (v << 8)) & 0x00FF00FF00FF00FFull;
}

inline uint32_t Gather(uint64_t v) {
    v &= 0x00FF00FF00FF00FFull;
    v = (v | (v >> 8)) & 0x0000FFFF0000FFFFull;
    return static_cast<uint32_t>(v | (v >> 16));
}

// a + (b - a) * w / 256 per lane; w is 0..255, a lane never exceeds 255 * 256 + 128.
inline uint64_t Lerp(uint64_t a, uint64_t b, uint32_t w) {
    return ((a * (256 - w) + b * w + 0x0080008000800080ull) >> 8) & 0x00FF00FF00FF00FFull;
}

int CeilSize(double v) {
    return std::max(1, static_cast<int>(std::ceil(v - 1e-9)));
}

Image QuarterTurn(const Image& src, int degrees) {
    const int w = src.width;
    const int h = src.height;
    Image out(degrees == 180 ? w : h, degrees == 180 ? h : w);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            uint32_t p = src.At(x, y);
            if (degrees == 90) {
                out.At(h - 1 - y, x) = p;
            } else if (degrees == 180) {
                out.At(w - 1 - x, h - 1 - y) = p;
            } else {
                out.At(y, w - 1 - x) = p;
            }
        }
    }
    return out;
}

// Columns X of a row for which start + X * step may fall in (lo, hi); a little generous, the
// sampler treats everything outside the source as transparent anyway.
void ColumnRange(double start, double step, double lo, double hi, int limit, int& first,
                 int& last) {
    if (std::fabs(step) < 1e-12) {
        if (start > lo && start < hi) {
            return;
        }
        first = limit;
        last = -1;
        return;
    }
    double t1 = (lo - start) / step;
    double t2 = (hi - start) / step;
    if (t1 > t2) {
        std::swap(t1, t2);
    }
    first = std::max(first, static_cast<int>(std::clamp(std::floor(t1), -1.0, 1.0 * limit)));
    last = std::min(last, static_cast<int>(std::clamp(std::ceil(t2), -1.0, 1.0 * limit)));
}

Image TurnBilinear(const Image& src, int degrees) {
    const int w = src.width;
    const int h = src.height;
    const double rad = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(rad);
    const double s = std::sin(rad);
    const int w1 = CeilSize(std::fabs(w * c) + std::fabs(h * s));
    const int h1 = CeilSize(std::fabs(w * s) + std::fabs(h * c));
    Image out(w1, h1);

    auto tap = [&](int x, int y) -> uint64_t {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            return 0;
        }
        return Spread(src.At(x, y));
    };

    // A destination pixel centre, taken relative to the centre, turned back counter-clockwise
    // gives the source point; -0.5 turns it into pixel-index space.
    constexpr double kOne = 65536.0;
    const int64_t stepX = std::llround(c * kOne);
    const int64_t stepY = std::llround(-s * kOne);
    for (int y1 = 0; y1 < h1; y1++) {
        const double dy = y1 + 0.5 - h1 / 2.0;
        const double dx = 0.5 - w1 / 2.0;
        const double fx0 = dx * c + dy * s + w / 2.0 - 0.5;
        const double fy0 = -dx * s + dy * c + h / 2.0 - 0.5;
        int first = 0;
        int last = w1 - 1;
        ColumnRange(fx0, c, -1.0, w, w1, first, last);
        ColumnRange(fy0, -s, -1.0, h, w1, first, last);
        first = std::max(first, 0);
        last = std::min(last, w1 - 1);

        uint32_t* row = &out.pixels[static_cast<size_t>(y1) * w1];
        int64_t fx = std::llround((fx0 + first * c) * kOne);
        int64_t fy = std::llround((fy0 - first * s) * kOne);
        for (int x1 = first; x1 <= last; x1++, fx += stepX, fy += stepY) {
            const int ix = static_cast<int>(fx >> 16);
            const int iy = static_cast<int>(fy >> 16);
            const uint32_t wx = static_cast<uint32_t>(fx >> 8) & 0xFF;
            const uint32_t wy = static_cast<uint32_t>(fy >> 8) & 0xFF;
            uint64_t p00, p10, p01, p11;
            if (ix >= 0 && iy >= 0 && ix + 1 < w && iy + 1 < h) {
                const uint32_t* p = &src.pixels[static_cast<size_t>(iy) * w + ix];
                p00 = Spread(p[0]);
                p10 = Spread(p[1]);
                p01 = Spread(p[w]);
                p11 = Spread(p[w + 1]);
            } else {
                p00 = tap(ix, iy);
                p10 = tap(ix + 1, iy);
                p01 = tap(ix, iy + 1);
                p11 = tap(ix + 1, iy + 1);
            }
            row[x1] = Gather(Lerp(Lerp(p00, p10, wx), Lerp(p01, p11, wx), wy));
        }
    }
    return out;
}

// Weights of an enlargement along one axis: result pixel i blends source pixel first[i] with
// the next one, which weighs next[i] / 256 (the last source pixel stands alone).
struct LinearTaps {
    std::vector<int> first;
    std::vector<uint32_t> next;
};

LinearTaps BuildLinearTaps(int srcLen, int dstLen) {
    LinearTaps taps;
    taps.first.resize(dstLen);
    taps.next.resize(dstLen);
    const double scale = static_cast<double>(srcLen) / dstLen;
    for (int i = 0; i < dstLen; i++) {
        const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, srcLen - 1.0);
        int j = std::min(static_cast<int>(centre), srcLen - 1);
        auto next = static_cast<uint32_t>(std::lround((centre - j) * 256));
        if (next == 256) {
            j++;
            next = 0;
        }
        taps.first[i] = j;
        taps.next[i] = j + 1 < srcLen ? next : 0;
    }
    return taps;
}

// Weights of the source samples that make up each destination sample along one axis.
struct AxisTaps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> weights;  // count[i] entries per destination index, in order
};

AxisTaps BuildAxisTaps(int srcLen, int dstLen) {
    AxisTaps taps;
    taps.first.resize(dstLen);
    taps.count.resize(dstLen);
    const double scale = static_cast<double>(srcLen) / dstLen;
    if (scale < 1.0) {
        // Growing: the two neighbours of the enlargement's own weights.
        const LinearTaps linear = BuildLinearTaps(srcLen, dstLen);
        for (int i = 0; i < dstLen; i++) {
            const float t = static_cast<float>(linear.next[i]) / 256.0f;
            taps.first[i] = linear.first[i];
            taps.count[i] = linear.next[i] != 0 ? 2 : 1;
            taps.weights.push_back(1.0f - t);
            if (linear.next[i] != 0) {
                taps.weights.push_back(t);
            }
        }
        return taps;
    }
    for (int i = 0; i < dstLen; i++) {
        const double from = i * scale;
        const double to = from + scale;
        const int j0 = static_cast<int>(std::floor(from));
        const int j1 = std::min(srcLen, static_cast<int>(std::ceil(to)));
        taps.first[i] = j0;
        taps.count[i] = j1 - j0;
        for (int j = j0; j < j1; j++) {
            double cover = std::min<double>(to, j + 1) - std::max<double>(from, j);
            taps.weights.push_back(static_cast<float>(cover / scale));
        }
    }
    return taps;
}

// Weights of a reduction to between half and all of the length along one axis: each result
// pixel covers at most three source pixels. The weights are in 1/kBoxOne and add up to exactly
// kBoxOne for every result pixel, so a uniform picture stays as it is.
constexpr int kBoxBits = 10;
constexpr uint32_t kBoxOne = 1u << kBoxBits;

struct BoxTaps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<std::array<uint32_t, 3>> weights;
};

BoxTaps BuildBoxTaps(int srcLen, int dstLen) {
    BoxTaps taps;
    taps.first.resize(dstLen);
    taps.count.resize(dstLen);
    taps.weights.resize(dstLen);
    // In units of 1/dstLen of a source pixel, result pixel i covers [i * srcLen, (i + 1) * srcLen)
    // and source pixel j covers [j * dstLen, (j + 1) * dstLen). Rounding the running total of the
    // coverage keeps the sum of the weights exact.
    const int64_t src = srcLen;
    const int64_t dst = dstLen;
    const auto scaled = [&](int64_t covered) {
        return static_cast<uint32_t>((covered * kBoxOne + src / 2) / src);
    };
    for (int i = 0; i < dstLen; i++) {
        const int64_t from = i * src;
        const int64_t to = from + src;
        const int j0 = static_cast<int>(from / dst);
        const int j1 = static_cast<int>((to + dst - 1) / dst);
        taps.first[i] = j0;
        taps.count[i] = j1 - j0;
        uint32_t done = 0;
        for (int j = j0; j < j1; j++) {
            const uint32_t upTo = scaled(std::min<int64_t>((j + 1) * dst, to) - from);
            taps.weights[i][j - j0] = upTo - done;
            done = upTo;
        }
    }
    return taps;
}

inline uint32_t ToByte(float v) {
    return static_cast<uint32_t>(std::clamp(v + 0.5f, 0.0f, 255.0f));
}

// Linear on both axes in integers. A source row is blended across once, into 16-bit lanes (red
// and blue in one word, alpha and green in the other), and kept while the result rows that
// need it are made; each result row then blends two such rows. A premultiplied colour stays at
// most its alpha, since every channel of a pixel has the same weights.
Image Enlarge(PixelsView src, int w, int h) {
    const LinearTaps across = BuildLinearTaps(src.width, w);
    const LinearTaps down = BuildLinearTaps(src.height, h);
    Image out(w, h);
    std::vector<uint32_t> rows[2] = {std::vector<uint32_t>(2 * static_cast<size_t>(w)),
                                     std::vector<uint32_t>(2 * static_cast<size_t>(w))};
    int rowOf[2] = {-1, -1};
    const auto blended = [&](int y) -> const uint32_t* {
        const int slot = y & 1;
        std::vector<uint32_t>& row = rows[slot];
        if (rowOf[slot] == y) {
            return row.data();
        }
        rowOf[slot] = y;
        const uint32_t* in = &src.pixels[static_cast<size_t>(y) * src.width];
        for (int x = 0; x < w; x++) {
            const uint32_t a = in[across.first[x]];
            const uint32_t t = across.next[x];
            const uint32_t b = t != 0 ? in[across.first[x] + 1] : 0;
            row[2 * x] = (a & 0x00FF00FF) * (256 - t) + (b & 0x00FF00FF) * t;
            row[2 * x + 1] = ((a >> 8) & 0x00FF00FF) * (256 - t) + ((b >> 8) & 0x00FF00FF) * t;
        }
        return row.data();
    };
    for (int y = 0; y < h; y++) {
        uint32_t* outRow = &out.pixels[static_cast<size_t>(y) * w];
        const uint32_t t = down.next[y];
        const uint32_t* top = blended(down.first[y]);
        if (t == 0) {
            for (int x = 0; x < w; x++) {
                const uint32_t rb = ((top[2 * x] + 0x00800080) >> 8) & 0x00FF00FF;
                const uint32_t ag = ((top[2 * x + 1] + 0x00800080) >> 8) & 0x00FF00FF;
                outRow[x] = ag << 8 | rb;
            }
            continue;
        }
        const uint32_t* bottom = blended(down.first[y] + 1);
        const uint32_t s = 256 - t;
        const auto lane = [&](uint32_t p, uint32_t q, int shift) {
            return ((((p >> shift) & 0xFFFF) * s + ((q >> shift) & 0xFFFF) * t + 0x8000) >> 16)
                   << shift;
        };
        for (int x = 0; x < w; x++) {
            const uint32_t p = top[2 * x], q = bottom[2 * x];
            const uint32_t p2 = top[2 * x + 1], q2 = bottom[2 * x + 1];
            outRow[x] = (lane(p2, q2, 0) | lane(p2, q2, 16)) << 8 | lane(p, q, 0) | lane(p, q, 16);
        }
    }
    return out;
}

}  // namespace

uint32_t PremultipliedPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return static_cast<uint32_t>(a) << 24 | MulDiv255(r, a) << 16 | MulDiv255(g, a) << 8 |
           MulDiv255(b, a);
}

uint32_t PixelFromColorRef(uint32_t colorRef) {
    const uint32_t r = colorRef & 0xFF;
    const uint32_t g = (colorRef >> 8) & 0xFF;
    const uint32_t b = (colorRef >> 16) & 0xFF;
    return 0xFF000000u | r << 16 | g << 8 | b;
}

Image ImageFromRgba(const uint8_t* rgba, int width, int height) {
    Image img(width, height);
    for (size_t i = 0; i < img.pixels.size(); i++) {
        const uint8_t* p = rgba + i * 4;
        img.pixels[i] = PremultipliedPixel(p[0], p[1], p[2], p[3]);
    }
    return img;
}

Image RotateImage(const Image& src, int degreesClockwise) {
    int a = degreesClockwise % 360;
    if (a < 0) {
        a += 360;
    }
    if (a == 0 || src.IsEmpty()) {
        return src;
    }
    if (a % 90 == 0) {
        return QuarterTurn(src, a);
    }
    return TurnBilinear(src, a);
}

Image ScaleImage(PixelsView src, int w, int h) {
    if (w <= 0 || h <= 0 || src.IsEmpty()) {
        return Image(w, h);
    }
    if (w == src.width && h == src.height) {
        Image copy(w, h);
        std::copy(src.pixels, src.pixels + copy.pixels.size(), copy.pixels.begin());
        return copy;
    }
    if (w >= src.width && h >= src.height) {
        return Enlarge(src, w, h);
    }
    const AxisTaps across = BuildAxisTaps(src.width, w);
    const AxisTaps down = BuildAxisTaps(src.height, h);

    // Horizontal pass into float channels (B, G, R, A), then the vertical pass.
    std::vector<float> mid(static_cast<size_t>(w) * src.height * 4);
    for (int y = 0; y < src.height; y++) {
        const uint32_t* row = &src.pixels[static_cast<size_t>(y) * src.width];
        float* out = &mid[static_cast<size_t>(y) * w * 4];
        size_t k = 0;
        for (int x = 0; x < w; x++) {
            float acc[4] = {};
            for (int t = 0; t < across.count[x]; t++, k++) {
                const uint32_t p = row[across.first[x] + t];
                const float wt = across.weights[k];
                for (int ch = 0; ch < 4; ch++) {
                    acc[ch] += wt * static_cast<float>((p >> (8 * ch)) & 0xFF);
                }
            }
            std::copy(acc, acc + 4, out + x * 4);
        }
    }

    Image img(w, h);
    size_t k = 0;
    std::vector<float> acc(static_cast<size_t>(w) * 4);
    for (int y = 0; y < h; y++) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (int t = 0; t < down.count[y]; t++, k++) {
            const float wt = down.weights[k];
            const float* in = &mid[static_cast<size_t>(down.first[y] + t) * w * 4];
            for (size_t i = 0; i < acc.size(); i++) {
                acc[i] += wt * in[i];
            }
        }
        uint32_t* row = &img.pixels[static_cast<size_t>(y) * w];
        for (int x = 0; x < w; x++) {
            const uint32_t a = ToByte(acc[x * 4 + 3]);
            const uint32_t r = std::min(a, ToByte(acc[x * 4 + 2]));
            const uint32_t g = std::min(a, ToByte(acc[x * 4 + 1]));
            const uint32_t b = std::min(a, ToByte(acc[x * 4]));
            row[x] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    return img;
}

Image ReduceImage(PixelsView master, int w, int h) {
    if (w <= 0 || h <= 0 || master.IsEmpty() || w > master.width || h > master.height ||
        2 * w < master.width || 2 * h < master.height ||
        (w == master.width && h == master.height)) {
        return ScaleImage(master, w, h);
    }
    const BoxTaps across = BuildBoxTaps(master.width, w);
    const BoxTaps down = BuildBoxTaps(master.height, h);

    // Byte by byte: the four channels of a pixel are treated alike and come back to the bytes
    // they came from, whatever the byte order. A row of the result sums its source rows first;
    // two pixels of zeros after them let every result pixel take three taps, unused ones
    // weighing nothing.
    Image out(w, h);
    const size_t rowBytes = static_cast<size_t>(master.width) * 4;
    std::vector<uint32_t> rows(rowBytes + 8, 0u);
    for (int y = 0; y < h; y++) {
        std::fill(rows.begin(), rows.begin() + rowBytes, 0u);
        for (int t = 0; t < down.count[y]; t++) {
            const uint32_t weight = down.weights[y][t];
            const auto* in = reinterpret_cast<const uint8_t*>(
                &master.pixels[static_cast<size_t>(down.first[y] + t) * master.width]);
            for (size_t i = 0; i < rowBytes; i++) {
                rows[i] += weight * in[i];
            }
        }
        auto* outRow = reinterpret_cast<uint8_t*>(&out.pixels[static_cast<size_t>(y) * w]);
        for (int x = 0; x < w; x++) {
            const uint32_t* in = &rows[static_cast<size_t>(across.first[x]) * 4];
            const std::array<uint32_t, 3>& weight = across.weights[x];
            for (int ch = 0; ch < 4; ch++) {
                const uint32_t acc = (1u << (2 * kBoxBits - 1)) + weight[0] * in[ch] +
                                     weight[1] * in[4 + ch] + weight[2] * in[8 + ch];
                // Equal weights for every channel keep each colour at most its alpha.
                outRow[x * 4 + ch] = static_cast<uint8_t>(acc >> (2 * kBoxBits));
            }
        }
    }
    return out;
}

void Compose(Image& dst, const Image& src, int x, int y, const Rect& clip) {
    Rect area = IntersectRect(clip, {0, 0, dst.width, dst.height});
    area = IntersectRect(area, {x, y, x + src.width, y + src.height});
    if (area.IsEmpty()) {
        return;
    }
    for (int dy = area.top; dy < area.bottom; dy++) {
        const uint32_t* in = &src.pixels[static_cast<size_t>(dy - y) * src.width + (area.left - x)];
        uint32_t* out = &dst.pixels[static_cast<size_t>(dy) * dst.width + area.left];
        for (int i = 0, n = area.Width(); i < n; i++) {
            const uint32_t s = in[i];
            const uint32_t alpha = s >> 24;
            if (alpha == 255) {
                out[i] = s;
            } else if (alpha != 0) {
                const uint32_t inv = 255 - alpha;
                const uint32_t d = out[i];
                uint32_t rb = (d & 0x00FF00FF) * inv + 0x00800080;
                rb = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
                uint32_t ag = ((d >> 8) & 0x00FF00FF) * inv + 0x00800080;
                ag = (ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00;
                out[i] = s + (rb | ag);
            }
        }
    }
}

namespace {

constexpr size_t kRawHeaderBytes = 16;

uint32_t ReadLe32(std::string_view bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

// The size the header gives, when the bytes hold exactly that picture.
bool RawPictureSize(std::string_view bytes, int& width, int& height) {
    if (bytes.size() < kRawHeaderBytes || bytes.substr(0, 4) != "KPX1") return false;
    const uint32_t w = ReadLe32(bytes, 4), h = ReadLe32(bytes, 8);
    if (w == 0 || h == 0 || w > 0x4000 || h > 0x4000) return false;
    if (bytes.size() != kRawHeaderBytes + size_t{w} * h * 4) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

}  // namespace

std::string RawPictureBytes(const Image& image) {
    std::string out = "KPX1";
    for (const uint32_t n :
         {static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height), uint32_t{0}})
        for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(n >> shift & 0xFF);
    for (const uint32_t p : image.pixels)
        for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(p >> shift & 0xFF);
    return out;
}

PixelsView RawPicture(std::string_view bytes) {
    int w = 0, h = 0;
    const char* pixels = bytes.data() + kRawHeaderBytes;
    if (!RawPictureSize(bytes, w, h) || reinterpret_cast<uintptr_t>(pixels) % 4 != 0) return {};
    static_assert(std::endian::native == std::endian::little,
                  "the pixels are stored little-endian");
    return {w, h, reinterpret_cast<const uint32_t*>(pixels)};
}

PixelBuffer PixelBuffer::Lent(const uint32_t* pixels, size_t count) {
    PixelBuffer buffer;
    if (count > 0) {
        buffer.lent_ = pixels;
        buffer.lentCount_ = count;
    }
    return buffer;
}

Image LentImage(PixelsView pixels) {
    Image image;
    if (pixels.IsEmpty()) return image;
    image.width = pixels.width;
    image.height = pixels.height;
    image.pixels =
        PixelBuffer::Lent(pixels.pixels, static_cast<size_t>(pixels.width) * pixels.height);
    return image;
}

Image ImageFromRawPicture(std::string_view bytes) {
    int w = 0, h = 0;
    if (!RawPictureSize(bytes, w, h)) return {};
    Image image(w, h);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = ReadLe32(bytes, kRawHeaderBytes + 4 * i);
    return image;
}

}  // namespace kelvra
