#include "compose/placement.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t SW = 1920, SH = 1080;

TEST(Placement, SmallOrLarge) {
    EXPECT_TRUE(isSmallPicture(1919, 1079, SW, SH));
    EXPECT_FALSE(isSmallPicture(SW, SH, SW, SH));
    EXPECT_FALSE(isSmallPicture(2000, 800, SW, SH));  // larger in one direction only
    EXPECT_FALSE(isSmallPicture(800, SH, SW, SH));
}

TEST(Placement, CentredSmallPicture) {
    const Placement p = placeCentred(SW, SH, 1915, 1000);
    EXPECT_EQ(p.dest, (PlaceRect{2, 40, 1915, 1000}));  // odd difference: extra column right
    EXPECT_EQ(p.src, (PlaceRect{0, 0, 1915, 1000}));
    EXPECT_TRUE(p.fillMargin);
}

TEST(Placement, ActualSizeLargePicture) {
    const Placement exact = placeActualSize(SW, SH, SW, SH);
    EXPECT_EQ(exact.dest, (PlaceRect{0, 0, SW, SH}));
    EXPECT_EQ(exact.src, (PlaceRect{0, 0, SW, SH}));
    EXPECT_FALSE(exact.fillMargin);

    // Wider but lower: cropped round the centre, centred over the margin.
    const Placement wide = placeActualSize(SW, SH, 2001, 800);
    EXPECT_EQ(wide.dest, (PlaceRect{0, 140, SW, 800}));
    EXPECT_EQ(wide.src, (PlaceRect{40, 0, SW, 800}));
    EXPECT_TRUE(wide.fillMargin);

    const Placement big = placeActualSize(SW, SH, 4000, 3000);
    EXPECT_EQ(big.dest, (PlaceRect{0, 0, SW, SH}));
    EXPECT_EQ(big.src, (PlaceRect{1040, 960, SW, SH}));
    EXPECT_FALSE(big.fillMargin);
}

TEST(Placement, RuleWithoutAspectStretches) {
    const Placement p = placeByRule(false, true, SW, SH, 4000, 3000);
    EXPECT_EQ(p.dest, (PlaceRect{0, 0, SW, SH}));
    EXPECT_EQ(p.src, (PlaceRect{0, 0, 4000, 3000}));
    EXPECT_FALSE(p.fillMargin);
}

TEST(Placement, RuleFitInside) {
    // 4000 x 3000: h = 0.36 < l = 0.48, so m = trunc(4000 * 0.36 + 0.5) = 1440.
    const Placement tall = placeByRule(true, true, SW, SH, 4000, 3000);
    EXPECT_EQ(tall.dest, (PlaceRect{240, 0, 1440, SH}));
    EXPECT_EQ(tall.src, (PlaceRect{0, 0, 4000, 3000}));
    EXPECT_TRUE(tall.fillMargin);

    // A wide picture: h > l, bars above and below.
    const Placement wide = placeByRule(true, true, SW, SH, 4000, 1000);
    EXPECT_EQ(wide.dest, (PlaceRect{0, 300, SW, 480}));
    EXPECT_TRUE(wide.fillMargin);

    // The screen's own shape: copied 1:1, nothing to fill.
    const Placement same = placeByRule(true, true, SW, SH, SW, SH);
    EXPECT_EQ(same.dest, (PlaceRect{0, 0, SW, SH}));
    EXPECT_EQ(same.src, (PlaceRect{0, 0, SW, SH}));
    EXPECT_FALSE(same.fillMargin);
}

TEST(Placement, RuleCoverCropsRoundTheCentre) {
    const Placement tall = placeByRule(true, false, SW, SH, 4000, 3000);
    EXPECT_EQ(tall.dest, (PlaceRect{0, 0, SW, SH}));
    EXPECT_EQ(tall.src, (PlaceRect{0, 375, 4000, 2250}));  // v = 4000 * 1080 / 1920
    EXPECT_FALSE(tall.fillMargin);

    const Placement wide = placeByRule(true, false, SW, SH, 4000, 1000);
    EXPECT_EQ(wide.src, (PlaceRect{1111, 0, 1777, 1000}));  // w = 1000 * 1920 / 1080
    EXPECT_FALSE(wide.fillMargin);
}

TEST(Placement, EnlargeTargets) {
    // 800 x 600: covering needs 1920 x 1440 (2.4 times, beyond the scaler);
    // fitting inside gives 1440 x 1080, centred with 240-pixel margins.
    EXPECT_EQ(enlargeTarget(true, false, SW, SH, 800, 600), (PlaceSize{SW, 1440}));
    EXPECT_EQ(enlargeTarget(true, true, SW, SH, 800, 600), (PlaceSize{1440, SH}));
    const Placement fit = placeByRule(true, true, SW, SH, 1440, SH);
    EXPECT_EQ(fit.dest, (PlaceRect{240, 0, 1440, SH}));
    EXPECT_TRUE(fit.fillMargin);

    // 1000 x 700 covering: f = 1.92, g = 1.543: 1920 x 1344, then cropped at y 132.
    EXPECT_EQ(enlargeTarget(true, false, SW, SH, 1000, 700), (PlaceSize{SW, 1344}));
    const Placement crop = placeByRule(true, false, SW, SH, SW, 1344);
    EXPECT_EQ(crop.src, (PlaceRect{0, 132, SW, SH}));
    EXPECT_EQ(crop.dest, (PlaceRect{0, 0, SW, SH}));

    EXPECT_EQ(enlargeTarget(false, true, SW, SH, 1000, 700), (PlaceSize{SW, SH}));
}

}  // namespace
