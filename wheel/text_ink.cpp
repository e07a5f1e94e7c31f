#include "wheel/text_ink.h"

#include <algorithm>

namespace kelvra {

namespace {

// Coverage from which a pixel is fully inked. A stroke one or two pixels wide that straddles
// pixels, seen through the tent, covers at most about this much of its middle pixel.
constexpr uint32_t kFullInk = 215;

// The label's pixel takes its share of the large drawing through a tent two pixels wide, centred
// on it: an edge fades over two pixels rather than one, so that the ink curve can keep a stroke's
// core black and still leave its rim grey.
static_assert(kInkOversampling == 4);
constexpr int kTentTaps = 8;
constexpr int kTentReach = 2;  // mask columns before the pixel's own block
constexpr uint32_t kTent[kTentTaps] = {1, 3, 5, 7, 7, 5, 3, 1};
constexpr uint32_t kTentSum = 32;

}  // namespace

uint8_t InkAlpha(uint32_t coverage) {
    return static_cast<uint8_t>(
        std::min<uint32_t>(255, (coverage * 255 + kFullInk / 2) / kFullInk));
}

void PutInk(Image& label, int firstRow, int endRow, const InkMask& mask, uint32_t textColorRef) {
    constexpr int n = kInkOversampling;
    const uint32_t ink = PixelFromColorRef(textColorRef);
    const int w = label.width;
    firstRow = std::max(firstRow, 0);
    endRow = std::min(endRow, label.height);
    // Across first: each mask row filtered to the label's columns.
    std::vector<uint32_t> across(static_cast<size_t>(mask.height) * w);
    for (int r = 0; r < mask.height; r++) {
        const uint8_t* in = &mask.coverage[static_cast<size_t>(r) * mask.width];
        uint32_t* out = &across[static_cast<size_t>(r) * w];
        for (int x = 0; x < w; x++) {
            const int from = x * n - kTentReach;
            uint32_t sum = 0;
            for (int k = std::max(0, -from); k < kTentTaps && from + k < mask.width; k++)
                sum += kTent[k] * in[from + k];
            out[x] = sum;
        }
    }
    for (int y = firstRow; y < endRow; y++) {
        const int from = (y - mask.top) * n - kTentReach;
        uint32_t* row = &label.pixels[static_cast<size_t>(y) * w];
        for (int x = 0; x < w; x++) {
            uint32_t sum = 0;
            for (int k = std::max(0, -from); k < kTentTaps && from + k < mask.height; k++)
                sum += kTent[k] * across[static_cast<size_t>(from + k) * w + x];
            const uint8_t alpha = InkAlpha((sum + kTentSum * kTentSum / 2) / (kTentSum * kTentSum));
            row[x] = PremultipliedPixel((ink >> 16) & 0xFF, (ink >> 8) & 0xFF, ink & 0xFF, alpha);
        }
    }
}

}  // namespace kelvra
