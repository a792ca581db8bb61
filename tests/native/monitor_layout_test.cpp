// Several monitors on one wallpaper: the virtual screen, each monitor's place
// in it, and the tiled arrangement's wrap-around, against worked examples.
#include "compose/monitor_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MonitorLayout, VirtualScreenAndMonitorsLeftToRight) {
    struct Case {
        const char* name;
        std::vector<MonitorRect> monitors;
        int32_t width, height;
        std::vector<PlaceRect> placed;
        size_t main;
        int32_t originX, originY;
    };
    const Case cases[] = {
        {"1280x1024 right of 1920x1080, tops aligned",
         {{0, 0, 1920, 1080, true}, {1920, 0, 1280, 1024, false}},
         3200,
         1080,
         {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}},
         0,
         0,
         0},
        {"1920x1080 left of a 1366x768 main",
         {{0, 0, 1366, 768, true}, {-1920, 0, 1920, 1080, false}},
         3286,
         1080,
         {{0, 0, 1920, 1080}, {1920, 0, 1366, 768}},
         1,
         1920,
         0},
        {"above and to the left, bottoms aligned",
         {{0, 0, 1600, 900, true}, {-200, -1200, 1920, 1200, false}},
         1920,
         2100,
         {{0, 0, 1920, 1200}, {200, 1200, 1600, 900}},
         1,
         200,
         1200},
        {"three, the main in the middle, a gap below the smaller",
         {{1920, 100, 1024, 768, false}, {0, 0, 1920, 1080, true}, {-1280, 0, 1280, 1024, false}},
         4224,
         1080,
         {{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}, {3200, 100, 1024, 768}},
         1,
         1280,
         0},
        {"no monitor marked main: the one at 0,0",
         {{-800, 0, 800, 600, false}, {0, 0, 1024, 768, false}},
         1824,
         768,
         {{0, 0, 800, 600}, {800, 0, 1024, 768}},
         1,
         800,
         0},
        {"monitors without area are left out",
         {{0, 0, 1024, 768, true}, {1024, 0, 0, 768, false}, {0, 768, 1024, -5, false}},
         1024,
         768,
         {{0, 0, 1024, 768}},
         0,
         0,
         0},
    };
    for (const Case& c : cases) {
        const MonitorLayout layout = layoutMonitors(c.monitors);
        EXPECT_EQ(layout.width, c.width) << c.name;
        EXPECT_EQ(layout.height, c.height) << c.name;
        EXPECT_EQ(layout.monitors, c.placed) << c.name;
        EXPECT_EQ(layout.main, c.main) << c.name;
        EXPECT_EQ(layout.originX, c.originX) << c.name;
        EXPECT_EQ(layout.originY, c.originY) << c.name;
    }
    // Nothing to lay out, or a virtual screen no bitmap can hold.
    EXPECT_TRUE(layoutMonitors({}).monitors.empty());
    const std::vector<MonitorRect> far = {{0, 0, 1024, 768, true}, {40000, 0, 1024, 768, false}};
    EXPECT_TRUE(layoutMonitors(far).monitors.empty());
}

TEST(MonitorLayout, PicturesPerChange) {
    Settings s;
    s.monitors = {{0, 0, 1920, 1080, true}, {1920, 0, 1280, 1024, false}};
    EXPECT_FALSE(spansMonitors(s));  // the option is off by default
    EXPECT_EQ(picturesPerChange(s), 1);
    s.Monitors = kMonitorsSame;
    EXPECT_TRUE(spansMonitors(s));
    EXPECT_EQ(picturesPerChange(s), 1);
    s.Monitors = kMonitorsEach;
    EXPECT_EQ(picturesPerChange(s), 2);
    s.monitors.resize(1);  // one monitor: as with the option off
    EXPECT_FALSE(spansMonitors(s));
    EXPECT_EQ(picturesPerChange(s), 1);
}

// A 5 x 3 bitmap of one byte a pixel, each pixel named by its column and
// row from the top (10 * row + column), rows bottom-up with padding.
TEST(MonitorLayout, TiledArrangementWrapsRound) {
    constexpr int32_t w = 5, h = 3;
    constexpr uint32_t stride = 8;
    auto at = [](const std::vector<uint8_t>& block, int32_t c, int32_t r) {
        return block[static_cast<size_t>(h - 1 - r) * stride + c];
    };
    std::vector<uint8_t> spanned(stride * h, 0xEE);
    for (int32_t r = 0; r < h; ++r)
        for (int32_t c = 0; c < w; ++c)
            spanned[static_cast<size_t>(h - 1 - r) * stride + c] = static_cast<uint8_t>(10 * r + c);

    struct Case {
        int32_t originX, originY;
        uint8_t topRow[w];
        uint8_t leftColumn[h];
    };
    const Case cases[] = {
        {0, 0, {0, 1, 2, 3, 4}, {0, 10, 20}},       // main at the corner: unchanged
        {2, 0, {2, 3, 4, 0, 1}, {2, 12, 22}},       // a monitor 2 wide to the left
        {0, 1, {10, 11, 12, 13, 14}, {10, 20, 0}},  // one above
        {3, 2, {23, 24, 20, 21, 22}, {23, 3, 13}},
        {-2, 4, {13, 14, 10, 11, 12}, {13, 23, 3}},  // origins taken modulo the sides
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> tiled(stride * h, 0);
        wrapForTiling(spanned.data(), tiled.data(), w, h, stride, 1, c.originX, c.originY);
        for (int32_t col = 0; col < w; ++col)
            EXPECT_EQ(at(tiled, col, 0), c.topRow[col]) << c.originX << "," << c.originY;
        for (int32_t row = 0; row < h; ++row)
            EXPECT_EQ(at(tiled, 0, row), c.leftColumn[row]) << c.originX << "," << c.originY;
    }
    // Three bytes a pixel move together.
    const uint8_t rgb[2 * 3] = {1, 2, 3, 4, 5, 6};
    uint8_t out[2 * 3] = {};
    wrapForTiling(rgb, out, 2, 1, 6, 3, 1, 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));
}

}  // namespace
