// Row strides and block sizes of the picture record.
#include <gtest/gtest.h>

#include "image/loaded_image.h"

TEST(Stride, RowsArePaddedToFourBytes) {
    struct Case {
        int32_t width;
        int bits;
        uint32_t stride;
    };
    const Case cases[] = {
        {1, 1, 4},  {1, 4, 4},   {1, 8, 4}, {1, 24, 4},  {5, 1, 4},          {5, 4, 4},
        {5, 8, 8},  {5, 24, 16}, {9, 1, 4}, {9, 4, 8},   {9, 8, 12},         {9, 24, 28},
        {32, 1, 4}, {33, 1, 8},  {8, 4, 4}, {4, 24, 12}, {25000, 24, 75000}, {25000, 1, 3128},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rowStride(c.width, c.bits), c.stride) << c.width << " at " << c.bits << " bits";
}

TEST(Stride, RefusesWhatNoPictureHas) {
    for (int bits : {0, 2, 16, 32}) EXPECT_EQ(rowStride(5, bits), 0u) << bits;
    EXPECT_EQ(rowStride(0, 24), 0u);
    EXPECT_EQ(rowStride(-1, 8), 0u);
    EXPECT_EQ(rowStride(25001, 8), 0u);
    EXPECT_EQ(pixelBlockSize(5, 0, 24), 0u);
    EXPECT_EQ(pixelBlockSize(5, 25001, 24), 0u);
    EXPECT_EQ(pixelBlockSize(5, 3, 24), 48u);
    // The largest picture fits in 32 bits.
    EXPECT_EQ(pixelBlockSize(25000, 25000, 24), 75000u * 25000u);
}
