// The wallpaper's size and scale from what the platform reports: worked
// examples of the usual scaled laptop screens and of reports not trusted.
#include "app/screen_size.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenSize, PhysicalSizeAndScaleFromTheMeasure) {
    struct Case {
        ScreenMeasure measure;
        int32_t width, height, logicalWidth, percent;
    };
    const Case cases[] = {
        {{1920, 1080, 1920, 1080}, 1920, 1080, 1920, 100},
        {{1536, 864, 1920, 1080}, 1920, 1080, 1536, 125},
        {{1280, 720, 1920, 1080}, 1920, 1080, 1280, 150},
        {{960, 540, 1920, 1080}, 1920, 1080, 960, 200},
        {{1093, 614, 1366, 768}, 1366, 768, 1093, 125},  // 1366 / 1.25 = 1092.8
        {{1097, 686, 2560, 1600}, 2560, 1600, 1097, 233},
        {{2194, 1234, 3840, 2160}, 3840, 2160, 2194, 175},
        // Not trusted: nothing, smaller, another shape (a rotated mode).
        {{1280, 1024, 0, 0}, 1280, 1024, 1280, 100},
        {{1920, 1080, 1280, 720}, 1920, 1080, 1920, 100},
        {{1280, 720, 1080, 1920}, 1280, 720, 1280, 100},
        // No logical size: the physical one stands in.
        {{0, 0, 1600, 900}, 1600, 900, 1600, 100},
    };
    for (const Case& c : cases) {
        Settings s;
        applyScreenMeasure(s, c.measure);
        EXPECT_EQ(s.screenWidth, c.width)
            << c.measure.logicalWidth << "x" << c.measure.physicalWidth;
        EXPECT_EQ(s.screenHeight, c.height) << c.measure.logicalWidth;
        EXPECT_EQ(s.logicalScreenWidth, c.logicalWidth) << c.measure.logicalWidth;
        EXPECT_EQ(s.screenScalePercent, c.percent) << c.measure.logicalWidth;
    }
}

}  // namespace
