#include "wheel/image.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numbers>

#include <emmintrin.h>

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

    auto tap = [&](int x, int y) -> int {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            return 0;
        }
        return static_cast<int>(src.At(x, y));
    };
    // a + (b - a) * t / 256 for each channel in 16-bit lanes, t being 0..255.
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(0x80);
    const auto lerp = [&](__m128i a, __m128i b, uint32_t t) {
        const __m128i mixed =
            _mm_add_epi16(_mm_mullo_epi16(a, _mm_set1_epi16(static_cast<short>(256 - t))),
                          _mm_mullo_epi16(b, _mm_set1_epi16(static_cast<short>(t))));
        return _mm_srli_epi16(_mm_add_epi16(mixed, half), 8);
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
            int p00, p10, p01, p11;
            if (ix >= 0 && iy >= 0 && ix + 1 < w && iy + 1 < h) {
                const uint32_t* p = &src.pixels[static_cast<size_t>(iy) * w + ix];
                p00 = static_cast<int>(p[0]);
                p10 = static_cast<int>(p[1]);
                p01 = static_cast<int>(p[w]);
                p11 = static_cast<int>(p[w + 1]);
            } else {
                p00 = tap(ix, iy);
                p10 = tap(ix + 1, iy);
                p01 = tap(ix, iy + 1);
                p11 = tap(ix + 1, iy + 1);
            }
            // Across both rows at once (the upper row's pixels in the low lanes), then down.
            const __m128i across =
                lerp(_mm_unpacklo_epi8(_mm_setr_epi32(p00, p01, 0, 0), zero),
                     _mm_unpacklo_epi8(_mm_setr_epi32(p10, p11, 0, 0), zero), wx);
            const __m128i down = lerp(across, _mm_unpackhi_epi64(across, across), wy);
            row[x1] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(down, down)));
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

// Eight 16-bit lanes kept in memory, which may not be aligned to them: the 32-bit C runtime's
// allocations are aligned to 8 bytes only.
struct Lanes {
    uint16_t lane[8];
    __m128i Get() const { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane)); }
    void Set(__m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(lane), v); }
};

// Linear on both axes in integers, two pixels (eight 16-bit channels) at a time. A source row is
// blended across once, each channel into a 16-bit word (at most 255 * 256), and kept while the
// result rows that need it are made; each result row then blends two such rows. A premultiplied
// colour stays at most its alpha, since every channel of a pixel has the same weights.
Image Enlarge(PixelsView src, int w, int h) {
    const LinearTaps across = BuildLinearTaps(src.width, w);
    const LinearTaps down = BuildLinearTaps(src.height, h);
    const int pairs = (w + 1) / 2;
    // Per pair of result pixels: the weights of the first source pixel and of the next, each
    // repeated over the four channels of each pixel. A pixel beyond an odd width weighs nothing.
    std::vector<Lanes> weightFirst(pairs), weightNext(pairs);
    for (int i = 0; i < pairs; i++) {
        const auto next = [&](int x) -> short {
            return static_cast<short>(x < w ? across.next[x] : 0);
        };
        const auto first = [&](int x) -> short {
            return static_cast<short>(x < w ? 256 - across.next[x] : 0);
        };
        const short f0 = first(2 * i), f1 = first(2 * i + 1);
        const short n0 = next(2 * i), n1 = next(2 * i + 1);
        weightFirst[i].Set(_mm_setr_epi16(f0, f0, f0, f0, f1, f1, f1, f1));
        weightNext[i].Set(_mm_setr_epi16(n0, n0, n0, n0, n1, n1, n1, n1));
    }
    Image out(w, h);
    std::vector<Lanes> rows[2] = {std::vector<Lanes>(pairs), std::vector<Lanes>(pairs)};
    int rowOf[2] = {-1, -1};
    const __m128i zero = _mm_setzero_si128();
    const auto blended = [&](int y) -> const Lanes* {
        const int slot = y & 1;
        std::vector<Lanes>& row = rows[slot];
        if (rowOf[slot] == y) return row.data();
        rowOf[slot] = y;
        const uint32_t* in = &src.pixels[static_cast<size_t>(y) * src.width];
        const auto pixel = [&](int x, int step) -> int {
            if (x >= w) return 0;
            return static_cast<int>(in[std::min(across.first[x] + step, src.width - 1)]);
        };
        for (int i = 0; i < pairs; i++) {
            const __m128i a =
                _mm_unpacklo_epi8(_mm_setr_epi32(pixel(2 * i, 0), pixel(2 * i + 1, 0), 0, 0), zero);
            const __m128i b =
                _mm_unpacklo_epi8(_mm_setr_epi32(pixel(2 * i, 1), pixel(2 * i + 1, 1), 0, 0), zero);
            row[i].Set(_mm_add_epi16(_mm_mullo_epi16(a, weightFirst[i].Get()),
                                     _mm_mullo_epi16(b, weightNext[i].Get())));
        }
        return row.data();
    };
    // Four result pixels from two pairs of blended ones, each channel rounded from a word.
    const auto store = [&](uint32_t* to, int x, __m128i lo, __m128i hi) {
        const __m128i bytes = _mm_packus_epi16(lo, hi);
        if (x + 4 <= w) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), bytes);
            return;
        }
        uint32_t last[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(last), bytes);
        std::copy(last, last + (w - x), to + x);
    };
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i halfWord = _mm_set1_epi32(0x8000);
    for (int y = 0; y < h; y++) {
        uint32_t* outRow = &out.pixels[static_cast<size_t>(y) * w];
        const uint32_t t = down.next[y];
        const Lanes* top = blended(down.first[y]);
        const auto pairAt = [&](const Lanes* row, int i) {
            return i < pairs ? row[i].Get() : zero;
        };
        if (t == 0) {
            for (int x = 0; x < w; x += 4) {
                const auto rounded = [&](int i) {
                    return _mm_srli_epi16(_mm_add_epi16(pairAt(top, i), half), 8);
                };
                store(outRow, x, rounded(x / 2), rounded(x / 2 + 1));
            }
            continue;
        }
        const Lanes* bottom = blended(down.first[y] + 1);
        const __m128i s = _mm_set1_epi16(static_cast<short>(256 - t));
        const __m128i u = _mm_set1_epi16(static_cast<short>(t));
        // (p * s + q * u + 0x8000) >> 16 for each channel, in 32 bits.
        const auto mixed = [&](int i) {
            const __m128i p = pairAt(top, i), q = pairAt(bottom, i);
            const __m128i pLow = _mm_mullo_epi16(p, s), pHigh = _mm_mulhi_epu16(p, s);
            const __m128i qLow = _mm_mullo_epi16(q, u), qHigh = _mm_mulhi_epu16(q, u);
            const auto sum = [&](__m128i a, __m128i b) {
                return _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(a, b), halfWord), 16);
            };
            return _mm_packs_epi32(
                sum(_mm_unpacklo_epi16(pLow, pHigh), _mm_unpacklo_epi16(qLow, qHigh)),
                sum(_mm_unpackhi_epi16(pLow, pHigh), _mm_unpackhi_epi16(qLow, qHigh)));
        };
        for (int x = 0; x < w; x += 4) store(outRow, x, mixed(x / 2), mixed(x / 2 + 1));
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
    // they came from, whatever the byte order. A row of the result sums its source rows first
    // (sixteen bytes at a time, each pair of rows in one step); two pixels of zeros after them
    // let every result pixel take three taps, unused ones weighing nothing.
    Image out(w, h);
    const size_t rowBytes = static_cast<size_t>(master.width) * 4;
    std::vector<uint32_t> rows(rowBytes + 8, 0u);
    const __m128i zero = _mm_setzero_si128();
    for (int y = 0; y < h; y++) {
        const uint8_t* in[3];
        uint32_t weight[3] = {0, 0, 0};
        for (int t = 0; t < 3; t++) {
            const int from = down.first[y] + std::min(t, down.count[y] - 1);
            in[t] = reinterpret_cast<const uint8_t*>(
                &master.pixels[static_cast<size_t>(from) * master.width]);
            if (t < down.count[y]) weight[t] = down.weights[y][t];
        }
        const __m128i firstTwo = _mm_set1_epi32(static_cast<int>(weight[0] | weight[1] << 16));
        const __m128i third = _mm_set1_epi32(static_cast<int>(weight[2]));
        // Four bytes of each row, as 16-bit lanes, summed with their weights into 32 bits.
        const auto summed = [&](__m128i a, __m128i b, __m128i c, uint32_t* to) {
            const __m128i sum = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), firstTwo),
                                              _mm_madd_epi16(_mm_unpacklo_epi16(c, zero), third));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to), sum);
        };
        size_t i = 0;
        for (; i + 16 <= rowBytes; i += 16) {
            __m128i bytes[3];
            for (int t = 0; t < 3; t++)
                bytes[t] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in[t] + i));
            for (int half = 0; half < 2; half++) {
                __m128i lanes[3];
                for (int t = 0; t < 3; t++)
                    lanes[t] = half == 0 ? _mm_unpacklo_epi8(bytes[t], zero)
                                         : _mm_unpackhi_epi8(bytes[t], zero);
                summed(lanes[0], lanes[1], lanes[2], &rows[i + 8 * half]);
                summed(_mm_unpackhi_epi64(lanes[0], lanes[0]),
                       _mm_unpackhi_epi64(lanes[1], lanes[1]),
                       _mm_unpackhi_epi64(lanes[2], lanes[2]), &rows[i + 8 * half + 4]);
            }
        }
        for (; i < rowBytes; i++)
            rows[i] = weight[0] * in[0][i] + weight[1] * in[1][i] + weight[2] * in[2][i];
        // Across: each channel's three taps in 64-bit products, lanes 0 and 2 then 1 and 3.
        auto* outRow = &out.pixels[static_cast<size_t>(y) * w];
        const __m128i round = _mm_set_epi32(0, 1 << (2 * kBoxBits - 1), 0, 1 << (2 * kBoxBits - 1));
        for (int x = 0; x < w; x++) {
            const uint32_t* at = &rows[static_cast<size_t>(across.first[x]) * 4];
            const std::array<uint32_t, 3>& weights = across.weights[x];
            __m128i even = round, odd = round;
            for (int t = 0; t < 3; t++) {
                const __m128i taps = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 4 * t));
                const __m128i wt = _mm_set1_epi32(static_cast<int>(weights[t]));
                even = _mm_add_epi64(even, _mm_mul_epu32(taps, wt));
                odd = _mm_add_epi64(odd, _mm_mul_epu32(_mm_srli_epi64(taps, 32), wt));
            }
            // Equal weights for every channel keep each colour at most its alpha.
            const __m128i channels =
                _mm_or_si128(_mm_srli_epi64(even, 2 * kBoxBits),
                             _mm_slli_epi64(_mm_srli_epi64(odd, 2 * kBoxBits), 32));
            const __m128i words = _mm_packs_epi32(channels, channels);
            outRow[x] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
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
