// The committed art: the plate's sectors, the pointer's aim, the three pictures' common centre on
// the wheel with the start control over the hub, the hub over the pointer's boss, the masters and
// the icon's masks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "ui/model/ids.h"
#include "ui/model/layout.h"
#include "wheel/canvas.h"
#include "wheel/image.h"
#include "wheel/png_decode.h"

namespace kelvra {
namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& name) {
    std::ifstream in(std::string(KELVRA_ASSET_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// As the program holds it: premultiplied, so opaque pixels keep their colour.
Image Load(const std::string& name) {
    const std::vector<std::uint8_t> bytes = ReadBytes(name);
    Image image;
    EXPECT_TRUE(DecodePng(bytes.data(), bytes.size(), image)) << name;
    return image;
}

int Alpha(const Image& p, int x, int y) {
    return static_cast<int>(PixelAlpha(p.At(x, y)));
}

// Channel 0 red, 1 green, 2 blue, 3 alpha.
int Channel(std::uint32_t pixel, int ch) {
    return static_cast<int>(pixel >> (ch == 3 ? 24 : 16 - 8 * ch) & 0xFF);
}

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    double CentreX() const { return (left + right) / 2.0; }
    double CentreY() const { return (top + bottom) / 2.0; }
};

Box VisibleBox(const Image& p) {
    Box b;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (Alpha(p, x, y) > 0) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

struct Span {
    int first = -1, last = -1;
    int Width() const { return first < 0 ? 0 : last - first + 1; }
};

Span OpaqueSpan(const Image& p, int y) {
    Span s;
    for (int x = 0; x < p.width; ++x)
        if (Alpha(p, x, y) >= 128) {
            if (s.first < 0) s.first = x;
            s.last = x;
        }
    return s;
}

struct Point {
    double x, y;
};

// The boss is far wider than the arrow: its rows are those wider than half the widest row.
Point BossCentre(const Image& p) {
    Span widest;
    for (int y = 0; y < p.height; ++y)
        if (OpaqueSpan(p, y).Width() > widest.Width()) widest = OpaqueSpan(p, y);
    int top = -1, bottom = -1;
    for (int y = 0; y < p.height; ++y)
        if (OpaqueSpan(p, y).Width() * 2 > widest.Width()) {
            if (top < 0) top = y;
            bottom = y;
        }
    return {(widest.first + widest.last) / 2.0, (top + bottom) / 2.0};
}

constexpr double kPlateCx = 236.5;
constexpr double kPlateCy = 237.0;

// Angles clockwise from straight up.
std::uint32_t PlateAt(const Image& plate, double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    const int x = static_cast<int>(std::lround(kPlateCx + radius * std::sin(a)));
    const int y = static_cast<int>(std::lround(kPlateCy - radius * std::cos(a)));
    return plate.At(x, y);
}

// Names are drawn at run time as far out as radius ~208: on an opaque pale ground. The lines
// between the sectors lie where the pick's sectors end.
TEST(ArtPlate, SectorsArePaleWhereNamesGoAndLinesLieBetweenThem) {
    const Image plate = Load("plate.png");
    ASSERT_EQ(plate.width, 474);
    for (int k = 0; k < 10; ++k) {
        SCOPED_TRACE("sector " + std::to_string(k));
        for (double radius = 100; radius <= 208; radius += 4) {
            const std::uint32_t px = PlateAt(plate, radius, 36.0 * k);
            EXPECT_EQ(Channel(px, 3), 255) << radius;
            EXPECT_GE(Channel(px, 0), 240) << radius;
            EXPECT_GE(Channel(px, 1), 220) << radius;
            EXPECT_GE(Channel(px, 2), 150) << radius;
        }
        int darkest = 255;
        for (double d = -1.0; d <= 1.0; d += 0.25)
            darkest = std::min(darkest, Channel(PlateAt(plate, 150, 18.0 + 36.0 * k + d), 2));
        EXPECT_LT(darkest, 120) << "the line after it";
        EXPECT_GT(Channel(PlateAt(plate, 150, 18.0 + 36.0 * k + 9.0), 2), 150);
    }
}

TEST(ArtPointer, IsMirrorSymmetricSoTheArrowPointsStraightUp) {
    const Image pointer = Load("pointer.png");
    ASSERT_EQ(pointer.width, 134);
    EXPECT_GT(OpaqueSpan(pointer, 0).Width(), 0) << "the tip touches the top";
    for (int y = 0; y < pointer.height; ++y)
        for (int x = 0; x < pointer.width / 2; ++x)
            ASSERT_NEAR(Alpha(pointer, x, y), Alpha(pointer, pointer.width - 1 - x, y), 1)
                << x << "," << y;
}

TEST(ArtWheel, PlatePointerAndHubShareTheCentreWhenPlaced) {
    const Image plate = Load("plate.png");
    const Image pointer = Load("pointer.png");
    const Image hub = Load("hub.png");
    ASSERT_FALSE(plate.IsEmpty() || pointer.IsEmpty() || hub.IsEmpty());
    const Box plateBox = VisibleBox(plate);
    const Box hubBox = VisibleBox(hub);
    const Point boss = BossCentre(pointer);
    struct Case {
        const char* what;
        Point centre;
    };
    for (const Case& c : {Case{"plate", {25 + plateBox.CentreX(), 25 + plateBox.CentreY()}},
                          Case{"pointer boss", {195 + boss.x, 110 + boss.y}},
                          Case{"hub", {205 + hubBox.CentreX(), 205 + hubBox.CentreY()}}}) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(c.centre.x, 262.0, 0.5);
        EXPECT_NEAR(c.centre.y, 262.0, 0.5);
    }
    // A press on the start control lands on the hub, around its centre.
    const ControlDef& canvas = *FindControl(MainWindowDef(), ids::kMainCanvas);
    const ControlDef& start = *FindControl(MainWindowDef(), ids::kMainStart);
    ASSERT_EQ(start.parent, canvas.parent);
    const int left = start.left - canvas.left - 205, top = start.top - canvas.top - 205;
    EXPECT_GE(left, hubBox.left);
    EXPECT_GE(top, hubBox.top);
    EXPECT_LE(left + start.width - 1, hubBox.right);
    EXPECT_LE(top + start.height - 1, hubBox.bottom);
    EXPECT_EQ(Alpha(hub, left + start.width / 2, top + start.height / 2), 255);
    EXPECT_TRUE(left < hubBox.CentreX() && hubBox.CentreX() < left + start.width);
    EXPECT_TRUE(top < hubBox.CentreY() && hubBox.CentreY() < top + start.height);
}

// The hub is drawn over the pointer: wherever the pointer stands, nothing of its boss may show
// around the hub. Rows from the centre down hold only the boss (the shaft ends at the centre);
// turned all round they sweep every direction the boss reaches.
TEST(ArtWheel, HubHidesThePointersBossAtEveryAngle) {
    SpriteTemplate plate, bossHalf, hub;
    plate.picture = Load("plate.png");
    hub.picture = Load("hub.png");
    bossHalf.picture = Load("pointer.png");
    ASSERT_EQ(bossHalf.picture.height, 304);
    for (int y = 0; y < 152; ++y)
        for (int x = 0; x < bossHalf.picture.width; ++x) bossHalf.picture.At(x, y) = 0;
    bossHalf.rotateFollow = true;

    const Rect around{262 - 70, 262 - 70, 262 + 70, 262 + 70};
    const Image background(528, 548, 0xFF000000);
    Canvas bare(528, 548);
    bare.AddSprite(plate, 25, 25);
    bare.AddSprite(hub, 205, 205);
    Image expected(528, 548);
    bare.Render(expected, background, around);

    Canvas wheel(528, 548);
    wheel.AddSprite(plate, 25, 25);
    const int pointer = wheel.AddSprite(bossHalf, 195, 110);
    wheel.AddSprite(hub, 205, 205);
    for (int angle = 0; angle < 360; angle += 5) {
        wheel.SetSpriteAngle(pointer, angle);
        Image drawn(528, 548);
        wheel.Render(drawn, background, around);
        int shown = 0;
        for (int y = around.top; y < around.bottom; ++y)
            for (int x = around.left; x < around.right; ++x)
                shown += drawn.At(x, y) != expected.At(x, y);
        EXPECT_EQ(shown, 0) << "pixels of the boss around the hub at " << angle << " degrees";
    }
}

// A master reduced 2:1 is the 100 % picture: the same geometry, to the pixel. The lettering is
// set anew at twice the size, so its anti-aliasing may differ more than the shapes'.
TEST(ArtMasters, HalvedAreTheHundredPercentPictures) {
    struct Case {
        const char* name;
        double cx, cy;  // centre of the lettering in the 100 % picture
    };
    for (const Case& c :
         {Case{"plate", 236.5, 237.0}, Case{"pointer", 66.5, 151.5}, Case{"hub", 57.0, 57.0}}) {
        SCOPED_TRACE(c.name);
        const Image one = Load(std::string(c.name) + ".png");
        const Image two = Load(std::string(c.name) + "2x.png");
        ASSERT_EQ(two.width, 2 * one.width);
        ASSERT_EQ(two.height, 2 * one.height);
        const Image halved = ReduceImage(two, one.width, one.height);
        double sum[4] = {};
        int worstOutsideLettering = 0;
        for (int y = 0; y < one.height; ++y)
            for (int x = 0; x < one.width; ++x)
                for (int ch = 0; ch < 4; ++ch) {
                    const int d = std::abs(static_cast<int>((halved.At(x, y) >> 8 * ch) & 0xFF) -
                                           static_cast<int>((one.At(x, y) >> 8 * ch) & 0xFF));
                    sum[ch] += d;
                    if (std::hypot(x - c.cx, y - c.cy) > 45)
                        worstOutsideLettering = std::max(worstOutsideLettering, d);
                }
        for (int ch = 0; ch < 4; ++ch)
            EXPECT_LE(sum[ch] / (one.width * one.height), 1.0)
                << "channel " << ch << " (B, G, R, A)";
        EXPECT_LE(worstOutsideLettering, 40);
    }
}

}  // namespace
}  // namespace kelvra
