#include "wheel/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kelvra {
namespace {

constexpr int kCanvasW = 528;
constexpr int kCanvasH = 548;

// 12 pixels per byte of text, 24 high, solid text colour.
Image FakeText(const std::string& text, const FontSpec&, uint32_t colour) {
    return Image(12 * static_cast<int>(text.size()), 24, PixelFromColorRef(colour));
}

// Rows of different colours so that a turn is visible in the pixels.
Image Striped(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            img.At(x, y) = 0xFF000000u | static_cast<uint32_t>(y * 5 % 256) << 8 | (x % 256);
        }
    }
    return img;
}

SpriteTemplate PictureTemplate(int w, int h, bool rotateFollow, int layer = 0) {
    SpriteTemplate t;
    t.picture = Striped(w, h);
    t.rotateFollow = rotateFollow;
    t.layer = layer;
    return t;
}

SpriteTemplate Text(const std::string& text) {
    SpriteTemplate t;
    t.text = text;
    t.rotateFollow = true;
    t.font.set = true;
    t.font.height = -24;
    t.font.face = "\xCB\xCE\xCC\xE5";  // 宋体
    return t;
}

class CanvasTest : public ::testing::Test {
  protected:
    Canvas canvas{kCanvasW, kCanvasH, FakeText};
};

TEST_F(CanvasTest, IdsCountFromOneAndLayersOrderTheDrawing) {
    const int layers[] = {0, 0, 1, 0, -1, 1};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(canvas.AddSprite(PictureTemplate(4, 4, false, layers[i]), 0, 0), i + 1);
    EXPECT_EQ(canvas.SpriteIds(), (std::vector<int>{5, 1, 2, 4, 3, 6}));

    canvas.RemoveSprites({2, 99, 5, -1});
    EXPECT_EQ(canvas.SpriteIds(), (std::vector<int>{1, 4, 3, 6}));
    canvas.RemoveSprites(std::vector<int>{6, 6, 0});
    EXPECT_EQ(canvas.SpriteIds(), (std::vector<int>{1, 4, 3}));
    EXPECT_EQ(canvas.AddSprite(PictureTemplate(4, 4, false), 0, 0), 7) << "ids are never reused";
}

TEST_F(CanvasTest, SpriteCopiesTheTemplateAndShowsTextBeforePicture) {
    SpriteTemplate label = Text("AB");
    label.picture = Striped(7, 7);
    label.textColour = 0x0000FF;
    const int textId = canvas.AddSprite(label, 210, 60);
    label.text = "ABCDEF";
    label.textColour = 0;
    label.picture = Striped(9, 9);

    const Sprite* text = canvas.FindSprite(textId);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->copied->text, "AB");
    EXPECT_EQ(text->copied->font, Text("").font);
    EXPECT_EQ(*text->rendered, Image(24, 24, 0xFFFF0000));
    EXPECT_EQ(text->left, 210);
    EXPECT_EQ(text->top, 60);
    EXPECT_TRUE(text->visible);

    label.text.clear();
    const Sprite* picture = canvas.FindSprite(canvas.AddSprite(label, 25, 25, false));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(*picture->rendered, Striped(9, 9));
    EXPECT_FALSE(picture->visible);
    EXPECT_EQ(canvas.FindSprite(99), nullptr);
}

TEST_F(CanvasTest, TemplateAngleTurnsTheNewSpriteOnlyWhenFollowing) {
    SpriteTemplate following = PictureTemplate(30, 10, true);
    following.angle = -90;
    const Sprite* turned = canvas.FindSprite(canvas.AddSprite(following, 5, 5));
    EXPECT_EQ(turned->angle, 270);
    EXPECT_EQ(*turned->rendered, RotateImage(Striped(30, 10), 270));

    SpriteTemplate fixed = PictureTemplate(30, 10, false);
    fixed.angle = 45;
    const Sprite* plain = canvas.FindSprite(canvas.AddSprite(fixed, 5, 5));
    EXPECT_EQ(plain->angle, 45);
    EXPECT_EQ(*plain->rendered, Striped(30, 10));
}

// An angle set, then a turn: each wraps into 0..359.
TEST_F(CanvasTest, AnglesWrapIntoZeroTo359) {
    const int id = canvas.AddSprite(PictureTemplate(10, 10, true), 0, 0);
    struct Case {
        int set, afterSet, by, afterTurn;
    };
    const Case cases[] = {{-36, 324, 36, 0},    {720, 0, 36, 36},   {396, 36, 360, 36},
                          {-721, 359, 1, 0},    {144, 144, 216, 0}, {-360, 0, -3636, 324},
                          {359, 359, -720, 359}};
    for (const Case& c : cases) {
        canvas.SetSpriteAngle(id, c.set);
        EXPECT_EQ(canvas.GetSpriteAngle(id), c.afterSet) << c.set;
        canvas.RotateSprite(id, c.by);
        EXPECT_EQ(canvas.GetSpriteAngle(id), c.afterTurn) << c.set << " turned by " << c.by;
    }
}

// Unknown ids, the angle a sprite already has, and any angle of a sprite that does not follow
// the turn change no picture and redraw nothing.
TEST_F(CanvasTest, ChangesThatRedrawNothing) {
    const int pointer = canvas.AddSprite(PictureTemplate(134, 304, true), 195, 110);
    const int plate = canvas.AddSprite(PictureTemplate(474, 475, false), 25, 25);
    canvas.SetSpriteAngle(pointer, 36);
    canvas.TakeDirty();
    const Sprite before[] = {*canvas.FindSprite(pointer), *canvas.FindSprite(plate)};

    EXPECT_EQ(canvas.GetSpriteAngle(42), 0);
    canvas.SetSpriteAngle(42, 90);
    canvas.RotateSprite(42, 36);
    canvas.RemoveSprites({42});
    canvas.SetSpriteAngle(pointer, 36);
    canvas.SetSpriteAngle(pointer, 396);
    canvas.RotateSprite(pointer, 0);
    canvas.RotateSprite(pointer, 360);
    canvas.RotateSprite(plate, 36);
    canvas.SetSpriteAngle(plate, 90);

    EXPECT_TRUE(canvas.TakeDirty().IsEmpty());
    EXPECT_EQ(canvas.SpriteIds(), (std::vector<int>{pointer, plate}));
    EXPECT_EQ(canvas.FindSprite(plate)->angle, 90) << "the angle is stored all the same";
    for (const Sprite& b : before) {
        const Sprite* after = canvas.FindSprite(b.id);
        EXPECT_EQ(after->rendered, b.rendered);
        EXPECT_EQ(after->left, b.left);
        EXPECT_EQ(after->top, b.top);
    }
}

TEST_F(CanvasTest, TurningKeepsTheCentreWithIntegerHalves) {
    struct Case {
        const char* name;
        int w, h, angle;
        double left, top;
    };
    // left + (w0 div 2) - (w1 div 2); the pointer turned by 36 is 288 x 325.
    const Case cases[] = {
        {"pointer quarter turn", 134, 304, 90, 195 + 67 - 152, 110 + 152 - 67},
        {"pointer at 36", 134, 304, 36, 195 + 67 - 144, 110 + 152 - 162},
        {"small odd sizes swap", 5, 3, 90, 195 + 2 - 1, 110 + 1 - 2},
        {"even size turns odd", 10, 10, 45, 195 + 5 - 7, 110 + 5 - 7},          // 15 x 15
        {"odd size turns wider and even", 3, 5, 36, 195 + 1 - 3, 110 + 2 - 3},  // 6 x 6
        {"half turn stays put", 134, 304, 180, 195, 110},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int id = canvas.AddSprite(PictureTemplate(c.w, c.h, true), 195, 110);
        canvas.SetSpriteAngle(id, c.angle);
        const Sprite* s = canvas.FindSprite(id);
        EXPECT_EQ(s->left, c.left);
        EXPECT_EQ(s->top, c.top);
        EXPECT_EQ(*s->rendered, RotateImage(Striped(c.w, c.h), c.angle));
    }
}

TEST_F(CanvasTest, CachedTurnsMatchFreshOnesAndAreReused) {
    const int id = canvas.AddSprite(PictureTemplate(134, 304, true), 195, 110);
    std::vector<std::shared_ptr<const Image>> firstRound;
    for (int step = 0; step < 20; step++) {
        canvas.RotateSprite(id, 36);
        const Sprite* s = canvas.FindSprite(id);
        EXPECT_EQ(*s->rendered, RotateImage(Striped(134, 304), s->angle)) << s->angle;
        if (step < 10)
            firstRound.push_back(s->rendered);
        else
            EXPECT_EQ(s->rendered, firstRound[step - 10]) << "the second round reuses the image";
    }
}

TEST_F(CanvasTest, DirtyRegionCoversOldAndNewBoxesWithinTheCanvas) {
    const int id = canvas.AddSprite(PictureTemplate(134, 304, true), 195, 110);
    EXPECT_EQ(canvas.TakeDirty(), (Rect{195, 110, 329, 414}));
    EXPECT_TRUE(canvas.TakeDirty().IsEmpty()) << "taking clears";

    canvas.SetSpriteAngle(id, 90);  // 304 x 134 at (110, 195)
    EXPECT_EQ(canvas.TakeDirty(), (Rect{110, 110, 414, 414}));

    canvas.AddSprite(PictureTemplate(100, 100, false), -50, 500);
    canvas.AddSprite(PictureTemplate(100, 100, false), 0, 0, false);
    EXPECT_EQ(canvas.TakeDirty(), (Rect{0, 500, 50, 548}));

    canvas.RemoveSprites({id});
    EXPECT_EQ(canvas.TakeDirty(), (Rect{110, 195, 414, 329}));
}

// Every sprite composed over the background, the slow way.
Image ComposeEverything(const Canvas& canvas, const Image& background) {
    Image out = background;
    for (const Sprite& s : canvas.Sprites()) {
        if (!s.visible) continue;
        const Rect box = s.Bounds();
        Compose(out, *s.rendered, box.left, box.top, {0, 0, out.width, out.height});
    }
    return out;
}

TEST_F(CanvasTest, RenderPaintsOnlyTheRegionInDrawingOrder) {
    constexpr uint32_t kSentinel = 0x12345678;
    const Image background(kCanvasW, kCanvasH, 0xFF0000FF);
    SpriteTemplate red, halfGreen, hidden;
    red.picture = Image(10, 10, 0xFFFF0000);
    halfGreen.picture = Image(10, 10, 0x80008000);
    hidden.picture = Image(40, 40, 0xFFFFFFFF);
    canvas.AddSprite(red, 10, 10);
    canvas.AddSprite(halfGreen, 15.7, 15.2);  // drawn at (15, 15)
    canvas.AddSprite(hidden, 0, 0, false);
    const Image whole = ComposeEverything(canvas, background);
    ASSERT_EQ(whole.At(15, 15), 0xFF7F8000u) << "half green over red";
    // The second region reaches past the canvas and is cut to it.
    for (const Rect& region : {Rect{12, 12, 30, 30}, Rect{-10, -10, 5, 5}}) {
        Image target(kCanvasW, kCanvasH, kSentinel);
        canvas.Render(target, background, region);
        for (int y = 0; y < 40; y++)
            for (int x = 0; x < 40; x++) {
                const bool in =
                    x >= region.left && x < region.right && y >= region.top && y < region.bottom;
                ASSERT_EQ(target.At(x, y), in ? whole.At(x, y) : kSentinel) << x << "," << y;
            }
    }
}

TEST(SplitTextLines, FollowsLineFeeds) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\n\n", {"a", ""}},
        {"\n", {""}},
        {"a\rb", {"a\rb"}},
        {"\xD2\xBB\xB5\xC8\xBD\xB1\n\xB6\xFE", {"\xD2\xBB\xB5\xC8\xBD\xB1", "\xB6\xFE"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitTextLines(c.text), c.lines) << c.text;
    }
}

// A disc: opaque inside, transparent outside, like the wheel plate.
SpriteTemplate Disc(int size, uint32_t colour) {
    SpriteTemplate t;
    t.picture = Image(size, size);
    const double c = (size - 1) / 2.0;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++)
            if ((x - c) * (x - c) + (y - c) * (y - c) <= c * c) t.picture.At(x, y) = colour;
    return t;
}

TEST(CanvasRedrawn, WheelsDrawnAgainShareTheirPicturesAndRenderAsIfComposedWhole) {
    const auto copies = std::make_shared<TemplateCopies>();
    Canvas canvas(kCanvasW, kCanvasH, FakeText, copies);
    const Image background = Striped(kCanvasW, kCanvasH);
    std::vector<int> pointers;
    for (int round = 0; round < 3; round++) {  // as after two saves of the names
        canvas.AddSprite(Disc(474, 0xFF808080u), 25, 25);
        pointers.push_back(canvas.AddSprite(PictureTemplate(134, 304, true), 195, 110));
        canvas.AddSprite(Disc(115, 0x80400000u), 205, 205);  // half transparent
        canvas.AddSprite(Disc(61, 0xFF004000u), 232, 232);   // an opaque hub over the pointer
        canvas.AddSprite(Text("abc"), 210, 60);
    }
    // Over the bottom-right corner, turning with the pointers: the last row and column change.
    const int corner =
        canvas.AddSprite(PictureTemplate(61, 27, true), kCanvasW - 40, kCanvasH - 15);
    const Sprite* first = canvas.FindSprite(1);
    const Sprite* again = canvas.FindSprite(6);
    EXPECT_EQ(first->unturned, again->unturned) << "one plate picture for every wheel";
    EXPECT_EQ(canvas.FindSprite(5)->unturned, canvas.FindSprite(10)->unturned)
        << "a label drawn again with the same text shares its picture";
    EXPECT_EQ(canvas.FindSprite(5)->copied, canvas.FindSprite(15)->copied)
        << "and the values copied from its template";
    EXPECT_NE(canvas.FindSprite(4)->copied, canvas.FindSprite(5)->copied);
    EXPECT_EQ(canvas.FindSprite(15)->copied, copies->Get(WithoutPicture(Text("abc"))))
        << "from the pool the canvas was given";

    Image target(kCanvasW, kCanvasH);
    canvas.Render(target, background, {0, 0, kCanvasW, kCanvasH});
    EXPECT_EQ(target, ComposeEverything(canvas, background));
    for (int step = 1; step <= 12; step++) {
        canvas.RotateSprite(pointers.back(), 36);
        canvas.RotateSprite(pointers.front(), 36);
        canvas.RotateSprite(corner, 36);
        // Only the rectangles of the change drawn again, as the window repaints them.
        Rect dirty;
        std::vector<bool> drawn(kCanvasW * kCanvasH);
        for (const Rect& r : canvas.TakeDirtyRects()) {
            canvas.Render(target, background, r);
            dirty = UnionRect(dirty, r);
            for (int y = r.top; y < r.bottom; y++)
                for (int x = r.left; x < r.right; x++) drawn[y * kCanvasW + x] = true;
        }
        ASSERT_EQ(target, ComposeEverything(canvas, background)) << "step " << step;
        EXPECT_TRUE(canvas.TakeDirty().IsEmpty()) << "taking the rectangles takes the change";
        // Turned, the pictures' boxes have empty corners that are not drawn again.
        EXPECT_LT(std::count(drawn.begin(), drawn.end(), true), dirty.Width() * dirty.Height())
            << "step " << step;
        // Regions drawn on their own, as a paint of part of the window draws them: one cut from
        // the change, and ones at and past the right and bottom edges.
        const Rect parts[] = {{dirty.left - 7, dirty.top + 3, dirty.right + 9, dirty.bottom - 5},
                              {kCanvasW - 13, kCanvasH - 11, kCanvasW + 4, kCanvasH + 6},
                              {kCanvasW - 1, 0, kCanvasW, kCanvasH},
                              {0, kCanvasH - 1, kCanvasW, kCanvasH}};
        for (const Rect& part : parts) {
            const Image region = canvas.RenderRegion(background, part);
            const Rect in = IntersectRect(part, {0, 0, kCanvasW, kCanvasH});
            ASSERT_EQ(region.width, in.Width());
            ASSERT_EQ(region.height, in.Height());
            for (int y = in.top; y < in.bottom; y++)
                for (int x = in.left; x < in.right; x++)
                    ASSERT_EQ(region.pixels[(y - in.top) * region.width + (x - in.left)],
                              target.pixels[y * kCanvasW + x])
                        << "step " << step << " at " << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.FindSprite(pointers.front())->rendered,
              canvas.FindSprite(pointers.back())->rendered)
        << "pointers at the same angle share their turned picture";
    EXPECT_LE(canvas.CachedTurnCount(), 20u) << "ten angles of the pointers, ten of the corner";
}

}  // namespace
}  // namespace kelvra
