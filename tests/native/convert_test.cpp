// The depth converter: palette pictures widened to 8 and 24 bits, odd
// widths whose last byte is only partly used, and the pairs it refuses.
#include "image/convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "base/page_alloc.h"
#include "image/loaded_image.h"

namespace {

// A packed source block of `w` x `h` pixels at `bits`, index(x, y) with y the
// stored row; bits after the last pixel of a row and padding bytes are set,
// so that reading them would show.
std::vector<uint8_t> packed(int w, int h, int bits, uint32_t (*index)(int, int)) {
    const uint32_t stride = rowStride(w, bits);
    std::vector<uint8_t> block(size_t{stride} * h, 0xFF);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = &block[size_t{stride} * y];
        std::memset(row, 0, (size_t(w) * bits + 7) / 8);
        if (bits < 8 && (w * bits) % 8) row[(w * bits) / 8] = 0xFF >> ((w * bits) % 8);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = index(x, y);
            if (bits == 1) row[x / 8] |= (v & 1) << (7 - x % 8);
            if (bits == 4) row[x / 2] |= (v & 15) << (x % 2 ? 0 : 4);
            if (bits == 8) row[x] = static_cast<uint8_t>(v);
        }
    }
    return block;
}

uint32_t idx(int x, int y) { return static_cast<uint32_t>(x * 5 + y * 3 + (x ^ y)); }

// A job of w x h pixels between two depths, its layout computed when it can be.
DepthJob jobFor(int w, int h, int srcBits, int dstBits) {
    DepthJob job{w, h, srcBits, dstBits};
    layoutDepthJob(job);
    return job;
}

struct Palette {
    dib::RGBQUAD q[256];
    Palette() {
        for (int i = 0; i < 256; ++i)
            q[i] = {uint8_t(i * 3 + 1), uint8_t(i * 7 + 2), uint8_t(255 - i), uint8_t(0x55)};
    }
};

// A packed w x h block at `bits` (indices idx) converted to `dstBits`; the
// destination starts as 0xEE, so bytes the converter leaves alone show.
struct Converted {
    DepthJob job;
    std::vector<uint8_t> dst;
    bool ok = false;
};
Converted convertPacked(int w, int h, int bits, int dstBits, const Palette& pal,
                        dib::RGBQUAD* dstPalette) {
    Converted c;
    c.job = jobFor(w, h, bits, dstBits);
    if (c.job.dstSize == 0) return c;
    const std::vector<uint8_t> src = packed(w, h, bits, idx);
    c.dst.assign(c.job.dstSize, 0xEE);
    c.ok = convertDepth(dstPalette, c.dst.data(), c.job, pal.q, src.data());
    return c;
}

}  // namespace

TEST(DepthConverter, LayoutOfTheDestination) {
    DepthJob job;
    job.width = 9;
    job.height = 3;
    job.dstBits = 24;
    ASSERT_TRUE(layoutDepthJob(job));
    EXPECT_EQ(job.dstRowBytes, 27u);
    EXPECT_EQ(job.dstStride, 28u);
    EXPECT_EQ(job.dstSize, 84u);
    job.dstBits = 8;
    ASSERT_TRUE(layoutDepthJob(job));
    EXPECT_EQ(job.dstRowBytes, 9u);
    EXPECT_EQ(job.dstStride, 12u);
    job.dstBits = 1;
    ASSERT_TRUE(layoutDepthJob(job));
    EXPECT_EQ(job.dstRowBytes, 2u);
    EXPECT_EQ(job.dstStride, 4u);
    job.dstBits = 16;
    EXPECT_FALSE(layoutDepthJob(job));
    EXPECT_EQ(job.dstSize, 0u);
    job.dstBits = 24;
    job.width = 25001;
    EXPECT_FALSE(layoutDepthJob(job));
}

TEST(DepthConverter, PaletteDepthsToTwentyFourBits) {
    const Palette pal;
    for (int bits : {1, 4, 8}) {
        for (int w : {1, 3, 5, 9, 17}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, width " << w);
            const int h = 3;
            const auto [job, dst, ok] = convertPacked(w, h, bits, 24, pal, nullptr);
            ASSERT_TRUE(ok);
            const uint32_t mask = (1u << bits) - 1;
            for (int y = 0; y < h; ++y) {
                const uint8_t* row = &dst[size_t{job.dstStride} * y];
                for (int x = 0; x < w; ++x) {
                    const dib::RGBQUAD& c = pal.q[idx(x, y) & mask];
                    EXPECT_EQ(row[3 * x], c.rgbBlue);
                    EXPECT_EQ(row[3 * x + 1], c.rgbGreen);
                    EXPECT_EQ(row[3 * x + 2], c.rgbRed);
                }
                // Padding bytes are not written.
                for (uint32_t k = 3 * w; k < job.dstStride; ++k) EXPECT_EQ(row[k], 0xEE);
            }
        }
    }
}

TEST(DepthConverter, PackedDepthsToEightBits) {
    const Palette pal;
    for (int bits : {1, 4}) {
        for (int w : {1, 3, 9, 15}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, width " << w);
            const int h = 2;
            dib::RGBQUAD out[256];
            std::memset(out, 0x77, sizeof out);
            const auto [job, dst, ok] = convertPacked(w, h, bits, 8, pal, out);
            ASSERT_TRUE(ok);
            const int entries = 1 << bits;
            EXPECT_EQ(std::memcmp(out, pal.q, sizeof(dib::RGBQUAD) * entries), 0);
            EXPECT_EQ(out[entries].rgbBlue, 0x77) << "only the used entries are copied";
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    EXPECT_EQ(dst[size_t{job.dstStride} * y + x], idx(x, y) & (entries - 1));
        }
    }
}

TEST(DepthConverter, RefusesOtherPairs) {
    const Palette pal;
    uint8_t src[64] = {}, dst[256] = {};
    dib::RGBQUAD out[256];
    for (auto [from, to] :
         {std::pair{2, 24}, {16, 24}, {32, 24}, {24, 24}, {8, 8}, {24, 8}, {1, 4}, {4, 1}}) {
        const DepthJob job = jobFor(3, 2, from, to);
        EXPECT_FALSE(convertDepth(out, dst, job, pal.q, src)) << from << " -> " << to;
    }
    // A job whose layout was not computed would write past the block.
    const DepthJob unlaid{3, 2, 8, 24};
    EXPECT_FALSE(convertDepth(out, dst, unlaid, pal.q, src));
}

TEST(DepthConverter, PictureToTwentyFourBits) {
    Palette pal;
    const std::vector<uint8_t> src = packed(5, 2, 4, idx);
    PageBlock block(src.size());
    ASSERT_TRUE(block);
    std::memcpy(block.get(), src.data(), src.size());
    OwnedImage img;
    img.replacePixels(std::move(block), 5, 2, 4);
    std::memcpy(img.palette(), pal.q, sizeof pal.q);
    ASSERT_TRUE(convertTo24Bits(img));
    EXPECT_EQ(img.header().biBitCount, 24);
    EXPECT_EQ(img.bits()[3 * 4 + 2], pal.q[idx(4, 0) & 15].rgbRed);
    ASSERT_TRUE(convertTo24Bits(img));  // already 24-bit: untouched
    uint8_t* const before = img.bits();
    img.header().biBitCount = 16;
    EXPECT_FALSE(convertTo24Bits(img));
    EXPECT_EQ(img.bits(), before);
    EXPECT_EQ(img.header().biBitCount, 16);
}

// The picture slot hands its block over exactly once: natively a block
// released twice, or read after its release, faults at once.
TEST(OwnedImage, TakesThePictureOutOfTheSlotWithItsBlock) {
    LoadedImage record{};
    record.header = dib::bottomUpHeader(3, 2, 24);
    PageBlock block(pixelBlockSize(3, 2, 24));
    block.get()[0] = 42;
    record.bits = block.release();
    handOverToCurrent(record);

    OwnedImage taken = takeCurrentImage();
    EXPECT_EQ(CurrentImage.bits, nullptr);
    ASSERT_EQ(taken.bits(), record.bits);
    EXPECT_EQ(taken.header().biWidth, 3);

    OwnedImage moved(std::move(taken));
    EXPECT_FALSE(taken);
    OwnedImage assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved);
    OwnedImage& same = assigned;
    assigned = std::move(same);
    ASSERT_TRUE(assigned);
    EXPECT_EQ(assigned.bits()[0], 42);
    // An empty slot hands over an empty picture.
    EXPECT_FALSE(takeCurrentImage());
}
