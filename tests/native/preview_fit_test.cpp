// Where the preview pane draws a picture, in the pane's 140 x 105 client area
// (the 142 x 107 pane less its static edge).
#include "ui/preview_fit.h"

#include <gtest/gtest.h>

namespace {

constexpr int kW = 140;
constexpr int kH = 105;

void expectRect(const PreviewRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

TEST(PreviewFit, SmallPictureIsDrawnAtItsOwnSizeCentred) {
    expectRect(fitPreview(kW, kH, 100, 50), 20, 27, 100, 50);
    expectRect(fitPreview(kW, kH, kW, kH), 0, 0, kW, kH);
    expectRect(fitPreview(kW, kH, 1, 1), 69, 52, 1, 1);
}

TEST(PreviewFit, WidePictureFillsTheWidth) {
    // sx = 140 * 16384 / 2000 = 1146, sy = 105 * 16384 / 1000 = 1720.
    expectRect(fitPreview(kW, kH, 2000, 1000), 0, 18, 140, 69);
}

TEST(PreviewFit, EqualRatiosTakeTheHeightBranch) {
    // sx = sy = 1433: the tie draws 139 x 105, not 140 wide.
    expectRect(fitPreview(kW, kH, 1600, 1200), 0, 0, 139, 105);
}

TEST(PreviewFit, ShrunkSidesKeepAtLeastOnePixel) {
    expectRect(fitPreview(kW, kH, 1, 5000), 69, 0, 1, 105);
    expectRect(fitPreview(kW, kH, 25000, 1), 0, 52, 140, 1);
    // One side fits, the other does not: still the shrinking rule.
    expectRect(fitPreview(kW, kH, 100, 25000), 69, 0, 1, 105);
}

TEST(PreviewFit, LargestPicturesDoNotOverflow) {
    const PreviewRect r = fitPreview(kW, kH, 25000, 25000);
    EXPECT_EQ(r.height, kH);
    EXPECT_GE(r.width, 1);
    EXPECT_LE(r.width, kW);
}

TEST(PreviewFit, NothingToDrawForEmptySizes) {
    expectRect(fitPreview(kW, kH, 0, 10), 0, 0, 0, 0);
    expectRect(fitPreview(kW, kH, 10, -3), 0, 0, 0, 0);
    expectRect(fitPreview(0, kH, 10, 10), 0, 0, 0, 0);
}

TEST(PreviewFit, MarginsCoverEverythingButThePicture) {
    for (const auto& [w, h] : {std::pair{100, 50}, {2000, 1000}, {1600, 1200}, {1, 5000}, {3, 3}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        const PreviewRect drawn = fitPreview(kW, kH, w, h);
        const PreviewMargins m = previewMargins(kW, kH, drawn);
        int covered[kH][kW] = {};
        for (const PreviewRect* r : {&drawn, &m.left, &m.right, &m.top, &m.bottom})
            for (int y = r->y; y < r->y + r->height; ++y)
                for (int x = r->x; x < r->x + r->width; ++x) ++covered[y][x];
        int wrong = 0;
        for (auto& row : covered)
            for (int c : row) wrong += c != 1;
        EXPECT_EQ(wrong, 0) << "pixels covered not exactly once";
    }
}

}  // namespace
