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

// Every rule on a 1920 x 1080 screen, with the rectangles worked out by hand.
struct Expected {
    const char* what;
    Placement got;
    PlaceRect dest, src;
    bool fillMargin;
};

const Expected kPlacements[] = {
    {"small, centred: the odd difference puts the extra column right",
     placeCentred(SW, SH, 1915, 1000),
     {2, 40, 1915, 1000},
     {0, 0, 1915, 1000},
     true},
    {"actual size, the screen's size: 1:1",
     placeActualSize(SW, SH, SW, SH),
     {0, 0, SW, SH},
     {0, 0, SW, SH},
     false},
    {"actual size, wider but lower: cropped round the centre, centred over the margin",
     placeActualSize(SW, SH, 2001, 800),
     {0, 140, SW, 800},
     {40, 0, SW, 800},
     true},
    {"actual size, larger both ways: cropped round the centre",
     placeActualSize(SW, SH, 4000, 3000),
     {0, 0, SW, SH},
     {1040, 960, SW, SH},
     false},
    {"rule without the aspect: stretched",
     placeByRule(false, true, SW, SH, 4000, 3000),
     {0, 0, SW, SH},
     {0, 0, 4000, 3000},
     false},
    // h = 0.36 < l = 0.48, so m = trunc(4000 * 0.36 + 0.5) = 1440.
    {"fit inside, taller than the screen: bars left and right",
     placeByRule(true, true, SW, SH, 4000, 3000),
     {240, 0, 1440, SH},
     {0, 0, 4000, 3000},
     true},
    {"fit inside, wider than the screen: bars above and below",
     placeByRule(true, true, SW, SH, 4000, 1000),
     {0, 300, SW, 480},
     {0, 0, 4000, 1000},
     true},
    {"fit inside, the screen's own shape: nothing to fill",
     placeByRule(true, true, SW, SH, SW, SH),
     {0, 0, SW, SH},
     {0, 0, SW, SH},
     false},
    // v = 4000 * 1080 / 1920 = 2250.
    {"cover, taller: cropped top and bottom",
     placeByRule(true, false, SW, SH, 4000, 3000),
     {0, 0, SW, SH},
     {0, 375, 4000, 2250},
     false},
    // w = 1000 * 1920 / 1080 = 1777.
    {"cover, wider: cropped left and right",
     placeByRule(true, false, SW, SH, 4000, 1000),
     {0, 0, SW, SH},
     {1111, 0, 1777, 1000},
     false},
    // 800 x 600 enlarged to fit inside: 1440 x 1080 between 240-pixel margins.
    {"enlarged 800 x 600, fitted",
     placeByRule(true, true, SW, SH, 1440, SH),
     {240, 0, 1440, SH},
     {0, 0, 1440, SH},
     true},
    // 1000 x 700 enlarged to cover: 1920 x 1344, then cropped at y 132.
    {"enlarged 1000 x 700, covering",
     placeByRule(true, false, SW, SH, SW, 1344),
     {0, 0, SW, SH},
     {0, 132, SW, SH},
     false},
};

TEST(Placement, RectanglesOfEveryRule) {
    for (const Expected& e : kPlacements) {
        SCOPED_TRACE(e.what);
        EXPECT_EQ(e.got.dest, e.dest);
        EXPECT_EQ(e.got.src, e.src);
        EXPECT_EQ(e.got.fillMargin, e.fillMargin);
    }
}

TEST(Placement, EnlargeTargets) {
    // 800 x 600: covering needs 1920 x 1440 (2.4 times, beyond the scaler);
    // fitting inside gives 1440 x 1080.
    EXPECT_EQ(enlargeTarget(true, false, SW, SH, 800, 600), (PlaceSize{SW, 1440}));
    EXPECT_EQ(enlargeTarget(true, true, SW, SH, 800, 600), (PlaceSize{1440, SH}));
    // 1000 x 700 covering: f = 1.92, g = 1.543, so the width decides.
    EXPECT_EQ(enlargeTarget(true, false, SW, SH, 1000, 700), (PlaceSize{SW, 1344}));
    EXPECT_EQ(enlargeTarget(false, true, SW, SH, 1000, 700), (PlaceSize{SW, SH}));
}

}  // namespace
