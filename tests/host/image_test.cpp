#include "wheel/image.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

#include "wheel/png_decode.h"

namespace kelvra {
namespace {

constexpr uint32_t kOpaqueRed = 0xFFFF0000;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

// Pixels named by small numbers so that a permutation reads at a glance.
Image Numbered(int w, int h) {
    Image img(w, h);
    for (int i = 0; i < w * h; i++) {
        img.pixels[i] = 0xFF000000u | static_cast<uint32_t>(i + 1);
    }
    return img;
}

std::vector<uint32_t> Numbers(const Image& img) {
    std::vector<uint32_t> out;
    for (uint32_t p : img.pixels) {
        out.push_back(p & 0xFFFFFF);
    }
    return out;
}

struct Moments {
    double mass = 0;  // sum of alpha / 255
    double x = 0;     // alpha-weighted centre, in continuous pixel coordinates
    double y = 0;
};

Moments AlphaMoments(const Image& img) {
    Moments m;
    for (int y = 0; y < img.height; y++) {
        for (int x = 0; x < img.width; x++) {
            const double a = PixelAlpha(img.At(x, y)) / 255.0;
            m.mass += a;
            m.x += a * (x + 0.5);
            m.y += a * (y + 0.5);
        }
    }
    m.x /= m.mass;
    m.y /= m.mass;
    return m;
}

TEST(RotateImage, QuarterTurnsPermutePixelsClockwise) {
    // 1 2 3
    // 4 5 6
    const Image src = Numbered(3, 2);
    struct Case {
        int degrees;
        int width;
        int height;
        std::vector<uint32_t> pixels;
    };
    const Case cases[] = {
        {90, 2, 3, {4, 1, 5, 2, 6, 3}},   {180, 3, 2, {6, 5, 4, 3, 2, 1}},
        {270, 2, 3, {3, 6, 2, 5, 1, 4}},  {-90, 2, 3, {3, 6, 2, 5, 1, 4}},
        {450, 2, 3, {4, 1, 5, 2, 6, 3}},  {0, 3, 2, {1, 2, 3, 4, 5, 6}},
        {-720, 3, 2, {1, 2, 3, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degrees);
        const Image out = RotateImage(src, c.degrees);
        EXPECT_EQ(out.width, c.width);
        EXPECT_EQ(out.height, c.height);
        EXPECT_EQ(Numbers(out), c.pixels);
    }
}

// A 3x3 spot 20 pixels above the centre of a 61x61 picture swings clockwise about the centre;
// an opaque rectangle of the pointer's size stays centred. Both keep their amount of alpha.
TEST(RotateImage, ShapesTurnClockwiseAboutTheCentreAndKeepTheirAmount) {
    Image spot(61, 61);
    for (int y = 9; y <= 11; y++) {
        for (int x = 29; x <= 31; x++) {
            spot.At(x, y) = kOpaqueRed;
        }
    }
    const Image rectangle(134, 304, kOpaqueWhite);
    for (int degrees : {1, 30, 36, 45, 90, 135, 200, 252, 300, 359}) {
        SCOPED_TRACE(degrees);
        const double rad = degrees * std::numbers::pi / 180.0;
        const Image out = RotateImage(spot, degrees);
        const Moments m = AlphaMoments(out);
        EXPECT_NEAR(m.x, out.width / 2.0 + 20 * std::sin(rad), 0.1);
        EXPECT_NEAR(m.y, out.height / 2.0 - 20 * std::cos(rad), 0.1);
        EXPECT_NEAR(m.mass, 9.0, 0.3);  // bilinear sampling of a tiny spot
        const Image turned = RotateImage(rectangle, degrees);
        const Moments r = AlphaMoments(turned);
        EXPECT_NEAR(r.x, turned.width / 2.0, 0.05);
        EXPECT_NEAR(r.y, turned.height / 2.0, 0.05);
        EXPECT_NEAR(r.mass, 134.0 * 304.0, 134.0 * 304.0 * 0.002);
    }
}

TEST(RotateImage, FortyFiveDegreesLeavesCornersTransparentAndEdgesSoft) {
    const Image out = RotateImage(Image(40, 40, kOpaqueRed), 45);
    ASSERT_EQ(out.width, 57);
    const int last = out.width - 1;
    for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}, {5, 5}}) {
        EXPECT_EQ(out.At(x, y), 0u) << x << "," << y;
    }
    EXPECT_EQ(out.At(28, 28), kOpaqueRed);
    int partial = 0;
    for (uint32_t p : out.pixels) {
        const uint32_t a = PixelAlpha(p);
        partial += a > 0 && a < 255;
        EXPECT_LE((p >> 16) & 0xFF, a) << "not premultiplied";
    }
    EXPECT_GT(partial, 100) << "edges are not anti-aliased";
}

TEST(ScaleImage, UniformColourStaysAsItIsAtAnySize) {
    // Sizes of the sunburst's canvases, and of the masters at 125 % and 150 % (odd ones too):
    // the weights of every pixel must add up to exactly one.
    struct Case {
        const char* name;
        Image (*resize)(PixelsView, int, int);
        int fromW, fromH, w, h;
    };
    const Case cases[] = {
        {"scale down", ScaleImage, 1000, 963, 528, 548},
        {"scale up", ScaleImage, 1000, 963, 1200, 1000},
        {"scale up to odd sizes, as full screen does", ScaleImage, 1000, 563, 1921, 1081},
        {"reduce plate to 150 %", ReduceImage, 948, 950, 711, 713},
        {"reduce plate to 125 %", ReduceImage, 948, 950, 593, 594},
        {"reduce hub to 125 %", ReduceImage, 230, 230, 144, 144},
        {"reduce by one pixel", ReduceImage, 268, 608, 267, 607},
        {"reduce to half and one", ReduceImage, 268, 608, 135, 305},
    };
    // Opaque white is where weights adding up to a little more than one overflow a byte.
    for (const uint32_t colour : {PremultipliedPixel(200, 100, 50, 128), kOpaqueWhite}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const Image out = c.resize(Image(c.fromW, c.fromH, colour), c.w, c.h);
            ASSERT_EQ(out.width, c.w);
            ASSERT_EQ(out.height, c.h);
            for (uint32_t p : out.pixels) {
                ASSERT_EQ(p, colour);
            }
        }
    }
}

TEST(ReduceImage, HalvingAveragesEachTwoByTwoBlock) {
    Image src(6, 4);
    for (int i = 0; i < 24; i++) {
        const uint8_t a = static_cast<uint8_t>(255 - i * 9);
        src.pixels[i] =
            PremultipliedPixel(static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11),
                               static_cast<uint8_t>(250 - i * 5), a);
    }
    const Image out = ReduceImage(src, 3, 2);
    ASSERT_EQ(out.width, 3);
    ASSERT_EQ(out.height, 2);
    for (int y = 0; y < 2; y++) {
        for (int x = 0; x < 3; x++) {
            for (int ch = 0; ch < 32; ch += 8) {
                uint32_t sum = 0;
                for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}}) {
                    sum += (src.At(2 * x + dx, 2 * y + dy) >> ch) & 0xFF;
                }
                EXPECT_EQ((out.At(x, y) >> ch) & 0xFF, (sum + 2) / 4)
                    << x << "," << y << " bits " << ch;
            }
        }
    }
}

TEST(ReduceImage, ShapeKeepsItsPlaceAndItsAmount) {
    // A 5x5 spot, half transparent, at a few places in a 40x36 picture; reduced by any factor
    // from one half to one, its alpha-weighted centre scales with the picture and its mass with
    // the area (the centre within a tenth of a pixel: averaging a spot that straddles pixels
    // moves it a little). A tap off by a pixel, or weights in the wrong order, moves it further.
    for (auto [w, h] : {std::pair{30, 27}, {25, 19}, {21, 18}, {39, 35}, {20, 18}}) {
        for (auto [sx, sy] : {std::pair{3, 4}, {17, 11}, {30, 26}}) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << " spot at " << sx << "," << sy);
            Image src(40, 36);
            for (int y = sy; y < sy + 5; y++) {
                for (int x = sx; x < sx + 5; x++) {
                    src.At(x, y) = PremultipliedPixel(255, 0, 0, 128);
                }
            }
            const Image out = ReduceImage(src, w, h);
            const Moments before = AlphaMoments(src);
            const Moments after = AlphaMoments(out);
            const double fx = w / 40.0;
            const double fy = h / 36.0;
            EXPECT_NEAR(after.x, before.x * fx, 0.1);
            EXPECT_NEAR(after.y, before.y * fy, 0.1);
            EXPECT_NEAR(after.mass, before.mass * fx * fy, 0.05);
            for (uint32_t p : out.pixels) {
                ASSERT_LE((p >> 16) & 0xFF, PixelAlpha(p)) << "not premultiplied";
            }
        }
    }
}

TEST(ScaleImage, GrowsLinearlyBetweenNeighboursOnEachAxis) {
    // Black to white across, nothing to opaque down: each result pixel's centre falls a quarter
    // or three quarters of the way between two source centres, the outer ones on the edges.
    Image src(2, 2);
    src.pixels = {0xFF000000, kOpaqueWhite, 0, 0};
    const Image out = ScaleImage(src, 4, 4);
    const uint32_t across[] = {0x00, 0x40, 0xBF, 0xFF};
    const uint32_t down[] = {0xFF, 0xBF, 0x40, 0x00};
    for (int y = 0; y < 4; y++) {
        for (int x = 0; x < 4; x++) {
            const uint32_t a = down[y], c = (across[x] * a + 127) / 255;
            EXPECT_NEAR(out.At(x, y) >> 24, a, 1) << x << "," << y;
            EXPECT_NEAR(out.At(x, y) & 0xFF, c, 1) << x << "," << y;
            EXPECT_EQ(out.At(x, y) & 0xFF, (out.At(x, y) >> 16) & 0xFF) << "grey stays grey";
        }
    }
}

TEST(ScaleImage, ShrinksByAveragingEachAxisOnItsOwn) {
    // Columns alternate black and white; rows alternate nothing.
    Image src(4, 2, 0xFF000000);
    for (int y = 0; y < 2; y++) src.At(1, y) = src.At(3, y) = kOpaqueWhite;
    EXPECT_EQ(ScaleImage(src, 2, 2).pixels, std::vector<uint32_t>(4, 0xFF808080u));
    EXPECT_EQ(ScaleImage(src, 4, 1).pixels,
              (std::vector<uint32_t>{0xFF000000, kOpaqueWhite, 0xFF000000, kOpaqueWhite}));
}

// A raw picture is read back as written, in place when its pixels are aligned; anything else
// is not one.
TEST(RawPicture, ReadsBackWhatWasWrittenAndRefusesWhatIsNotOne) {
    Image image(3, 2);
    image.pixels = {0xFF010203u, 0x80402010u, 0u, 0xFFFFFFFFu, 0x01000000u, 0x7F7F7F7Fu};
    const std::string bytes = RawPictureBytes(image);
    ASSERT_EQ(bytes.size(), 16u + 24u);
    EXPECT_EQ(ImageFromRawPicture(bytes), image);
    std::vector<uint32_t> aligned((bytes.size() + 3) / 4);
    std::memcpy(aligned.data(), bytes.data(), bytes.size());
    const PixelsView view =
        RawPicture(std::string_view(reinterpret_cast<const char*>(aligned.data()), bytes.size()));
    ASSERT_EQ(view.pixels, aligned.data() + 4) << "in place";
    EXPECT_EQ(std::vector<uint32_t>(view.pixels, view.pixels + 6), image.pixels);
    EXPECT_EQ(std::pair(view.width, view.height), std::pair(3, 2));
    std::vector<char> shifted(bytes.size() + 1);
    std::memcpy(shifted.data() + 1, bytes.data(), bytes.size());
    const std::string_view odd(shifted.data() + 1, bytes.size());
    ASSERT_NE(reinterpret_cast<uintptr_t>(odd.data() + 16) % 4, 0u);
    EXPECT_TRUE(RawPicture(odd).IsEmpty()) << "misaligned pixels are copied instead";
    EXPECT_EQ(ImageFromRawPicture(odd), image);
    for (const std::string& bad : {bytes.substr(0, bytes.size() - 1), bytes + "x",
                                   "KPX2" + bytes.substr(4), std::string("KPX1")})
        EXPECT_TRUE(ImageFromRawPicture(bad).IsEmpty() && RawPicture(bad).IsEmpty());
}

// An image over lent pixels shows them where they lie, and its copies too; a change to any of
// them is made in a copy of its own, never in the pixels lent.
TEST(LentImage, ShowsThePixelsInPlaceAndChangesOnlyACopy) {
    const std::vector<uint32_t> lent = {1, 2, 3, 4, 5, 6};
    const Image image = LentImage(PixelsView(3, 2, lent.data()));
    ASSERT_EQ(std::pair(image.width, image.height), std::pair(3, 2));
    EXPECT_EQ(image.pixels.data(), lent.data());
    Image copy = image;
    EXPECT_EQ(std::as_const(copy).pixels.data(), lent.data()) << "a copy shares the loan";
    copy.At(1, 1) = 50;
    EXPECT_NE(std::as_const(copy).pixels.data(), lent.data());
    EXPECT_EQ(copy.pixels, (std::vector<uint32_t>{1, 2, 3, 4, 50, 6}));
    EXPECT_EQ(lent, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(image, LentImage(PixelsView(3, 2, lent.data())));
    Image grown = image;
    grown.pixels.resize(8);
    EXPECT_EQ(grown.pixels, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 0, 0}));
}

TEST(ImageFromRgba, Premultiplies) {
    const uint8_t rgba[] = {255, 128, 0, 128, 10, 20, 30, 255, 255, 255, 255, 0};
    const Image img = ImageFromRgba(rgba, 3, 1);
    EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0x80804000, 0xFF0A141E, 0x00000000}));
}

TEST(Compose, BlendsOverAndStaysInsideTheClip) {
    struct Case {
        const char* name;
        uint32_t src;
        uint32_t dst;
        uint32_t expected;
    };
    const Case cases[] = {
        {"opaque replaces", kOpaqueRed, kOpaqueWhite, kOpaqueRed},
        {"transparent keeps", 0x00000000, kOpaqueWhite, kOpaqueWhite},
        {"half red over white", PremultipliedPixel(255, 0, 0, 128), kOpaqueWhite, 0xFFFF7F7F},
        {"half over nothing", 0x80800000, 0x00000000, 0x80800000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image dst(1, 1, c.dst);
        Compose(dst, Image(1, 1, c.src), 0, 0, {0, 0, 1, 1});
        EXPECT_EQ(dst.pixels[0], c.expected);
    }

    // A 3x3 block placed partly off the top-left corner, clipped to columns 1..3.
    Image dst(4, 4, 0xFF000000);
    Compose(dst, Image(3, 3, kOpaqueWhite), -1, -1, {1, 0, 4, 4});
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
            EXPECT_EQ(dst.At(x, y), x == 1 && y < 2 ? kOpaqueWhite : 0xFF000000u) << x << "," << y;
}

// Writes a PNG into memory with libpng.
std::vector<uint8_t> EncodePng(int w, int h, int colourType, int bitDepth,
                               const std::vector<uint8_t>& raw, bool interlaced = false,
                               const std::vector<png_color>& palette = {},
                               const std::vector<png_byte>& trns = {}) {
    std::vector<uint8_t> bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        ADD_FAILURE() << "libpng failed to write the test picture";
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &bytes,
        [](png_structp p, png_bytep data, size_t n) {
            auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            out->insert(out->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, w, h, bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) {
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    if (!trns.empty()) {
        png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    }
    png_write_info(png, info);
    const size_t rowBytes = raw.size() / h;
    std::vector<png_bytep> rows(h);
    for (int y = 0; y < h; y++) {
        rows[y] = const_cast<png_bytep>(raw.data() + y * rowBytes);
    }
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

TEST(DecodePng, ExpandsEveryColourTypeToPremultipliedPixels) {
    const uint32_t halfRed = PremultipliedPixel(255, 0, 0, 128);
    struct Case {
        const char* name;
        std::vector<uint8_t> png;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"rgba 8",
         EncodePng(2, 1, PNG_COLOR_TYPE_RGBA, 8, {255, 0, 0, 128, 0, 0, 255, 255}),
         {halfRed, 0xFF0000FF}},
        {"rgb 8",
         EncodePng(2, 1, PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 255, 255, 255}),
         {0xFF0A141E, kOpaqueWhite}},
        {"grey 8", EncodePng(2, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 200}), {0xFF000000, 0xFFC8C8C8}},
        {"grey with alpha", EncodePng(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {255, 0}), {0}},
        {"rgba 16",
         EncodePng(1, 1, PNG_COLOR_TYPE_RGBA, 16, {0xFF, 0xFF, 0, 0, 0, 0, 0x80, 0x00}),
         {halfRed}},
        {"palette 1 bit with transparency",
         EncodePng(3, 1, PNG_COLOR_TYPE_PALETTE, 1, {0b01000000}, false, {{0, 255, 0}, {255, 0, 0}},
                   {0}),
         {0, kOpaqueRed, 0}},
        {"interlaced",
         EncodePng(3, 3, PNG_COLOR_TYPE_GRAY, 8, {0, 1, 2, 3, 4, 5, 6, 7, 8}, true),
         {0xFF000000, 0xFF010101, 0xFF020202, 0xFF030303, 0xFF040404, 0xFF050505, 0xFF060606,
          0xFF070707, 0xFF080808}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image img;
        ASSERT_TRUE(DecodePng(c.png.data(), c.png.size(), img));
        EXPECT_EQ(img.pixels, c.expected);
        EXPECT_EQ(static_cast<size_t>(img.width) * img.height, c.expected.size());
    }
}

TEST(DecodePng, RefusesDamagedData) {
    std::vector<uint8_t> raw(16 * 16 * 4);
    for (size_t i = 0; i < raw.size(); i++) {
        raw[i] = static_cast<uint8_t>(i * 7);
    }
    const std::vector<uint8_t> good = EncodePng(16, 16, PNG_COLOR_TYPE_RGBA, 8, raw);
    Image img;
    ASSERT_TRUE(DecodePng(good.data(), good.size(), img));

    std::vector<uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
    // 5000 x 5000 with a correct checksum: valid for libpng, far beyond what we carry.
    std::vector<uint8_t> hugeHeader = good;
    for (size_t at : {size_t{16}, size_t{20}}) {
        hugeHeader[at + 2] = 5000 >> 8;
        hugeHeader[at + 3] = 5000 & 0xFF;
    }
    const uLong crc = crc32(crc32(0, nullptr, 0), &hugeHeader[12], 17);
    for (int i = 0; i < 4; i++) {
        hugeHeader[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    }

    struct Case {
        const char* name;
        const std::vector<uint8_t>& bytes;
    };
    const Case cases[] = {
        {"cut short in the image data", truncated},
        {"absurd size", hugeHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image out(1, 1, kOpaqueRed);
        EXPECT_FALSE(DecodePng(c.bytes.data(), c.bytes.size(), out));
        EXPECT_EQ(out, Image(1, 1, kOpaqueRed)) << "output touched on failure";
    }
    EXPECT_FALSE(DecodePng(nullptr, 0, img));
    EXPECT_FALSE(DecodePng(good.data(), 4, img));
}

}  // namespace
}  // namespace kelvra
