// The scaler: the worked five-from-three example in both directions, the
// refusals, and two-direction scaling as the two passes one after the other.
#include "image/scale.h"

#include <gtest/gtest.h>

#include <vector>

#include "image/loaded_image.h"

namespace {

struct Block {
    int w, h;
    std::vector<uint8_t> bytes;
    Block(int w_, int h_, uint8_t fill = 0)
        : w(w_), h(h_), bytes(pixelBlockSize(w_, h_, 24), fill) {}
    uint8_t* px(int x, int y) { return &bytes[size_t{rowStride(w, 24)} * y + 3 * x]; }
};

// One line sample by sample: the arithmetic of the example written out.
uint8_t lerp(uint8_t a, uint8_t b, uint32_t f) { return uint8_t((a * (65536 - f) + b * f) >> 16); }

bool scale(Block& src, Block& dst) {
    ScaleRequest r;
    r.width = src.w;
    r.height = src.h;
    r.source = src.bytes.data();
    r.destination = dst.bytes.data();
    return scaleImage(r, dst.w, dst.h);
}

}  // namespace

TEST(Scaler, ThreeToFiveAlongARow) {
    Block src(3, 1);
    const uint8_t s[3][3] = {{10, 200, 0}, {250, 100, 255}, {30, 60, 90}};
    for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 3; ++c) src.px(x, 0)[c] = s[x][c];
    Block dst(5, 1, 0xEE);
    ASSERT_TRUE(scale(src, dst));
    // step 196608 / 5 = 39321: positions 0, 39321, 78642, 117963, 157284.
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(dst.px(0, 0)[c], s[0][c]);
        EXPECT_EQ(dst.px(1, 0)[c], lerp(s[0][c], s[1][c], 39321));
        EXPECT_EQ(dst.px(2, 0)[c], lerp(s[1][c], s[2][c], 13106));
        EXPECT_EQ(dst.px(3, 0)[c], lerp(s[1][c], s[2][c], 52427));
        EXPECT_EQ(dst.px(4, 0)[c], s[2][c]);
    }
    EXPECT_EQ(dst.px(1, 0)[0], (10 * 26215 + 250 * 39321) >> 16);
    // The padding of the 16-byte row is not written.
    EXPECT_EQ(dst.bytes[15], 0xEE);
}

TEST(Scaler, ThreeToFiveDownAColumn) {
    Block src(2, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            for (int c = 0; c < 3; ++c) src.px(x, y)[c] = uint8_t(y * 100 + x * 20 + c * 7);
    Block dst(2, 5, 0xEE);
    ASSERT_TRUE(scale(src, dst));
    const uint32_t pos[5] = {0, 39321, 78642, 117963, 157284};
    for (int k = 0; k < 5; ++k) {
        const int i = pos[k] >> 16;
        for (int x = 0; x < 2; ++x)
            for (int c = 0; c < 3; ++c) {
                const uint8_t want =
                    i < 2 ? lerp(src.px(x, i)[c], src.px(x, i + 1)[c], pos[k] & 0xFFFF)
                          : src.px(x, 2)[c];
                EXPECT_EQ(dst.px(x, k)[c], want) << k;
            }
        EXPECT_EQ(dst.bytes[size_t{rowStride(2, 24)} * k + 6], 0xEE) << "padding";
    }
}

TEST(Scaler, BothDirectionsAreTheTwoPassesInTurn) {
    Block src(7, 4);
    for (size_t i = 0; i < src.bytes.size(); ++i) src.bytes[i] = uint8_t(i * 37 + 5);
    Block tall(7, 6), wide(11, 6), both(11, 6);
    ASSERT_TRUE(scale(src, tall));
    ASSERT_TRUE(scale(tall, wide));
    ASSERT_TRUE(scale(src, both));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 11; ++x)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(both.px(x, y)[c], wide.px(x, y)[c]);
}

TEST(Scaler, OnePixelDoubledRepeatsIt) {
    Block src(1, 1);
    src.px(0, 0)[0] = 9, src.px(0, 0)[1] = 99, src.px(0, 0)[2] = 199;
    Block dst(2, 2);
    ASSERT_TRUE(scale(src, dst));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(dst.px(x, y)[0], 9);
            EXPECT_EQ(dst.px(x, y)[2], 199);
        }
}

TEST(Scaler, Refusals) {
    Block src(4, 3);
    ScaleRequest r;
    r.width = 4;
    r.height = 3;
    r.source = src.bytes.data();
    Block big(9, 7);
    r.destination = big.bytes.data();
    EXPECT_TRUE(scaleImage(r, 8, 3));   // exactly twice
    EXPECT_FALSE(scaleImage(r, 9, 3));  // more than twice
    EXPECT_TRUE(scaleImage(r, 4, 6));
    EXPECT_FALSE(scaleImage(r, 4, 7));
    EXPECT_FALSE(scaleImage(r, 9, 5));  // both directions, one too far
    EXPECT_FALSE(scaleImage(r, 5, 7));
    EXPECT_FALSE(scaleImage(r, 4, 3));  // same size
    EXPECT_FALSE(scaleImage(r, 0, 3));
    EXPECT_FALSE(scaleImage(r, 4, 0));
    EXPECT_FALSE(scaleImage(r, 25001, 3));
    EXPECT_FALSE(scaleImage(r, 4, 25001));
    r.width = 25001;
    EXPECT_FALSE(scaleImage(r, 4, 6));
}
