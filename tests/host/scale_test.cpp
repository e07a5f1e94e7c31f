#include "ui/model/scale.h"

#include <gtest/gtest.h>

namespace kelvra {
namespace {

TEST(Scale, LengthsRectanglesAndMouseCoordinates) {
    const Scale s150 = Scale::ForDpi(144), s125 = Scale::ForDpi(120), s200 = Scale::ForDpi(192);
    EXPECT_EQ(s150.Px(522), 783);
    EXPECT_EQ(s150.Px(115), 173) << "half a pixel rounds away from zero";
    EXPECT_EQ(s150.Px(-24), -36) << "font heights are negative";
    EXPECT_EQ(s125.Px(9), 11);
    // Boxes that meet in units meet in pixels: both edges are scaled, not the width.
    EXPECT_EQ(s125.Px(9, 9, 9, 9), (PixelRect{11, 11, 12, 12}));
    EXPECT_EQ(s125.Px(18, 9, 9, 9).left, 11 + 12);
    EXPECT_EQ(s200.Px(0, 20, 528, 548), (PixelRect{0, 40, 1056, 1096}));
    // A pixel reports the unit it shows, at every scale, within the canvas and beyond.
    for (const Scale& s : {s125, s150, s200, Scale(1080, 554)})
        for (int u = -600; u <= 600; ++u) ASSERT_EQ(s.Units(s.Px(u)), u) << s.num() << " " << u;
    EXPECT_TRUE(Scale::ForDpi(96).IsIdentity());
    EXPECT_EQ(Scale::ForDpi(96).Px(12345), 12345);
}

TEST(Scale, FullScreenFitsTheSmallerWay) {
    // The main window's client area on a 1920 x 1080 screen: the height decides.
    const Scale fit = Scale::ToFit(522, 554, 1920, 1080);
    EXPECT_EQ(fit.Px(554), 1080);
    EXPECT_LE(fit.Px(522), 1920);
    const Scale tall = Scale::ToFit(522, 554, 800, 1280);
    EXPECT_EQ(tall.Px(522), 800);
    EXPECT_LE(tall.Px(554), 1280);
}

}  // namespace
}  // namespace kelvra
