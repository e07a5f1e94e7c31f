#include "wheel/text_ink.h"

#include <gtest/gtest.h>

namespace kelvra {
namespace {

constexpr int n = kInkOversampling;

// A label w x h pixels drawn large: the mask columns [from, to) inked on every row.
InkMask VerticalStroke(int w, int h, int from, int to) {
    InkMask mask{w * n, h * n, 0, std::vector<uint8_t>(static_cast<size_t>(w) * h * n * n)};
    for (int r = 0; r < mask.height; r++)
        for (int c = from; c < to; c++)
            mask.coverage[static_cast<size_t>(r) * mask.width + c] = 255;
    return mask;
}

TEST(PutInk, StrokeTwoPixelsWideHasABlackCoreAndGreyRimsWhereverItStands) {
    constexpr uint32_t kRed = 0x0000FF;  // COLORREF
    // Mask columns 12 + offset to 20 + offset: pixels 3 and 4, shifted by a quarter pixel a step.
    struct Case {
        int offset, firstInked, lastInked;
    };
    for (const Case& c : {Case{0, 2, 5}, Case{1, 2, 5}, Case{2, 3, 5}, Case{3, 3, 6}}) {
        SCOPED_TRACE(c.offset);
        Image label(8, 3);
        PutInk(label, 0, 3, VerticalStroke(8, 3, 3 * n + c.offset, 5 * n + c.offset), kRed);
        int firstInked = -1, lastInked = -1, core = 0;
        for (int x = 0; x < label.width; x++) {
            const uint32_t p = label.At(x, 1);
            const uint8_t a = PixelAlpha(p);
            EXPECT_EQ(p, PremultipliedPixel(255, 0, 0, a)) << "x " << x;
            if (a == 0) continue;
            if (firstInked < 0) firstInked = x;
            lastInked = x;
            core += a == 255;
        }
        EXPECT_GE(core, 1) << "no black core";
        EXPECT_EQ(firstInked, c.firstInked) << "the stroke moved or spread";
        EXPECT_EQ(lastInked, c.lastInked) << "the stroke moved or spread";
        EXPECT_LT(PixelAlpha(label.At(firstInked, 1)), 255) << "hard left edge";
        EXPECT_LT(PixelAlpha(label.At(lastInked, 1)), 255) << "hard right edge";
    }
}

TEST(PutInk, BandsWithAMarginRowJoinWithoutASeam) {
    // A horizontal stroke across rows 2 and 3, drawn whole and as two bands of two rows, each
    // band's mask holding one row more above and below.
    InkMask whole{4 * n, 6 * n, 0, std::vector<uint8_t>(16 * n * 6 * n)};
    for (int r = 2 * n; r < 4 * n; r++)
        for (int c = 0; c < whole.width; c++) whole.coverage[r * whole.width + c] = 255;
    Image expected(4, 6);
    PutInk(expected, 0, 6, whole, 0);
    Image banded(4, 6);
    for (int top : {0, 2, 4}) {
        InkMask band{whole.width, 4 * n, top - 1, std::vector<uint8_t>(whole.width * 4 * n)};
        for (int r = 0; r < band.height; r++) {
            const int from = r + band.top * n;
            if (from >= 0 && from < whole.height)
                std::copy_n(&whole.coverage[from * whole.width], whole.width,
                            &band.coverage[r * band.width]);
        }
        PutInk(banded, top, top + 2, band, 0);
    }
    EXPECT_EQ(banded, expected);
    EXPECT_EQ(PixelAlpha(expected.At(1, 2)), 255);
    EXPECT_GT(PixelAlpha(expected.At(1, 1)), 0);
    EXPECT_GT(PixelAlpha(expected.At(1, 4)), 0);
}

}  // namespace
}  // namespace kelvra
