// JPEG decoder against libjpeg decoding the same files into a blue-green-red
// buffer, on files the tests make with libjpeg's compressor.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "base/page_alloc.h"
#include "base/wide_path.h"
#include "decode/decoders.h"
#include "support/decode_error_print.h"
#include "support/jpeg_builder.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/allocator_interface.h>
#define TOLVEX_WATCH_ALLOCATIONS 1
#endif
#endif

using namespace jpegtest;

namespace {

struct Decoded {
    bool ok = false;
    DecodeError error = DecodeError::None;  // why there is no picture
    uint32_t width = 0, height = 0;
    int bitCount = 0;
    int32_t xPels = -1, yPels = -1;
    std::vector<uint8_t> pixels;  // top-down, rows unpadded: grey indices or blue, green, red
    bool greyRamp = false;
};

Decoded fromImage(LoadedImage* image) {
    Decoded d;
    if (!image) return d;
    const auto& h = image->header;
    d.ok = true;
    d.width = uint32_t(h.biWidth);
    d.height = uint32_t(h.biHeight);
    d.bitCount = h.biBitCount;
    d.xPels = h.biXPelsPerMeter;
    d.yPels = h.biYPelsPerMeter;
    d.greyRamp = true;
    for (int i = 0; i < 256; ++i) {
        const auto& e = image->palette[i];
        if (e.rgbRed != i || e.rgbGreen != i || e.rgbBlue != i || e.rgbReserved != 0)
            d.greyRamp = false;
    }
    const uint32_t stride = rowStride(h.biWidth, h.biBitCount);
    const size_t rowBytes = size_t(d.width) * (d.bitCount / 8);
    for (uint32_t y = 0; y < d.height; ++y) {
        const uint8_t* row = image->bits + size_t(d.height - 1 - y) * stride;
        d.pixels.insert(d.pixels.end(), row, row + rowBytes);
    }
    pageFree(image->bits);
    return d;
}

Decoded decode(const Bytes& file) {
    DecoderState state;
    state.attach(file.data(), file.size());
    Decoded d = fromImage(decodeJpegBytes(state));
    d.error = state.error;
    return d;
}

Reference reference(const Bytes& file) {
    Reference r;
    EXPECT_TRUE(referenceDecode(file, &r));
    return r;
}

#ifdef TOLVEX_WATCH_ALLOCATIONS
// The largest heap block asked for while `watching` is set.
std::atomic<bool> watching{false};
std::atomic<size_t> largestAllocation{0};
void onMalloc(const volatile void*, size_t size) {
    if (!watching) return;
    size_t seen = largestAllocation.load();
    while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {
    }
}
void onFree(const volatile void*) {}
#endif

}  // namespace

TEST(JpegDecode, ColourMatchesTheLibraryInBlueGreenRed) {
    const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {17, 9}, {64, 48}, {101, 67}};
    uint32_t seed = 1;
    for (const auto& [w, h] : sizes) {
        for (int variant = 0; variant < 4; ++variant) {
            EncodeOptions o;
            o.progressive = variant == 1;
            o.arithmetic = variant == 2;
            o.restartRows = variant == 3 ? 1 : 0;
            SCOPED_TRACE(testing::Message() << w << "x" << h << " variant " << variant);
            const Bytes file = encodeJpeg(w, h, photoSamples(w, h, 3, seed++), o);
            const Decoded d = decode(file);
            ASSERT_TRUE(d.ok);
            EXPECT_EQ(d.width, w);
            EXPECT_EQ(d.height, h);
            EXPECT_EQ(d.bitCount, 24);
            const Reference r = reference(file);
            ASSERT_EQ(r.components, 3);
            EXPECT_EQ(d.pixels, r.pixels);
        }
    }
}

TEST(JpegDecode, GreyGivesEightBitsWithARamp) {
    for (bool progressive : {false, true}) {
        EncodeOptions o;
        o.components = 1;
        o.progressive = progressive;
        const Bytes file = encodeJpeg(45, 31, photoSamples(45, 31, 1, 7), o);
        const Decoded d = decode(file);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.bitCount, 8);
        EXPECT_TRUE(d.greyRamp);
        const Reference r = reference(file);
        ASSERT_EQ(r.components, 1);
        EXPECT_EQ(d.pixels, r.pixels);
    }
}

// The source hands the library an end-of-image marker where the data stops,
// so a cut-off file decodes with what it has.
TEST(JpegDecode, TruncatedFileStillDecodes) {
    for (bool progressive : {false, true}) {
        EncodeOptions o;
        o.progressive = progressive;
        const Bytes full = encodeJpeg(120, 96, photoSamples(120, 96, 3, 8), o);
        const Bytes cut(full.begin(), full.begin() + full.size() / 2);
        const Decoded d = decode(cut);
        ASSERT_TRUE(d.ok) << progressive;
        EXPECT_EQ(d.height, 96u);
        EXPECT_EQ(d.pixels, reference(cut).pixels);
        if (!progressive) {
            // The top rows are those of the whole file (the next ones share
            // chroma samples with the rows that were cut).
            const Decoded whole = decode(full);
            EXPECT_TRUE(
                std::equal(d.pixels.begin(), d.pixels.begin() + 8 * 120 * 3, whole.pixels.begin()));
        }
    }
}

// Adobe-style CMYK, where 255 means no ink: red = C[c][k], green = C[m][k],
// blue = C[y][k] with C[a][b] = floor(a * b / 255).
TEST(JpegDecode, CmykIsConvertedThroughTheInkProduct) {
    EncodeOptions o;
    o.components = 4;
    const Bytes file = encodeJpeg(33, 21, photoSamples(33, 21, 4, 9), o);
    const Decoded d = decode(file);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.bitCount, 24);
    const Reference r = reference(file);
    ASSERT_EQ(r.components, 4);
    for (size_t i = 0; i < size_t(33) * 21; ++i) {
        const uint8_t* s = &r.pixels[4 * i];
        const uint8_t* p = &d.pixels[3 * i];
        ASSERT_EQ(p[2], s[0] * s[3] / 255) << i;
        ASSERT_EQ(p[1], s[1] * s[3] / 255) << i;
        ASSERT_EQ(p[0], s[2] * s[3] / 255) << i;
    }
    // Flat colours survive compression exactly at full quality.
    o.quality = 100;
    std::vector<uint8_t> magenta(16 * 16 * 4);
    for (size_t i = 0; i < magenta.size(); i += 4) {
        magenta[i] = 255;
        magenta[i + 1] = 0;
        magenta[i + 2] = 255;
        magenta[i + 3] = 255;
    }
    const Decoded m = decode(encodeJpeg(16, 16, magenta, o));
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.pixels[0], 255);  // blue
    EXPECT_EQ(m.pixels[1], 0);    // green
    EXPECT_EQ(m.pixels[2], 255);  // red
    std::vector<uint8_t> noKey = magenta;
    for (size_t i = 3; i < noKey.size(); i += 4) noKey[i] = 0;
    const Decoded black = decode(encodeJpeg(16, 16, noKey, o));
    ASSERT_TRUE(black.ok);
    EXPECT_EQ(black.pixels, std::vector<uint8_t>(16 * 16 * 3, 0));
}

TEST(JpegDecode, TwoComponentsAreRefused) {
    EncodeOptions o;
    o.components = 2;
    const Bytes file = encodeJpeg(16, 16, photoSamples(16, 16, 2, 10), o);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(decode(file).error, DecodeError::UnsupportedColourModel);
}

// Too wide a picture is refused before anything that grows with its width
// is allocated.
TEST(JpegDecode, ThirtyThousandWideIsRefusedWithoutAllocation) {
    EncodeOptions o;
    o.components = 1;
    const Bytes file = encodeJpeg(30000, 8, std::vector<uint8_t>(30000 * 8, 128), o);
    ASSERT_FALSE(file.empty());
#ifdef TOLVEX_WATCH_ALLOCATIONS
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
    ASSERT_TRUE(installed);
    largestAllocation = 0;
    watching = true;
#endif
    const Decoded d = decode(file);
    EXPECT_EQ(d.error, DecodeError::SideOutOfRange);
#ifdef TOLVEX_WATCH_ALLOCATIONS
    watching = false;
    EXPECT_LT(largestAllocation.load(), 30000u);
#endif
    // 25,000 is still fine.
    const Bytes edge = encodeJpeg(25000, 1, std::vector<uint8_t>(25000, 77), o);
    const Decoded e = decode(edge);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.width, 25000u);
}

TEST(JpegDecode, DensityIsTakenIntoTheHeader) {
    struct Case {
        int unit, x, y;
        int32_t xPels, yPels;
    };
    for (const Case c : {Case{1, 72, 72, 2835, 2835}, Case{1, 300, 96, 11811, 3780},
                         Case{2, 28, 40, 2800, 4000}, Case{0, 1, 1, 0, 0}, Case{0, 3, 2, 0, 0}}) {
        EncodeOptions o;
        o.densityUnit = c.unit;
        o.xDensity = c.x;
        o.yDensity = c.y;
        const Decoded d = decode(encodeJpeg(8, 8, photoSamples(8, 8, 3, 11), o));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.xPels, c.xPels) << c.unit << " " << c.x;
        EXPECT_EQ(d.yPels, c.yPels) << c.unit << " " << c.y;
    }
}

TEST(JpegDecode, NonImagesAreRefused) {
    EXPECT_EQ(decode({}).error, DecodeError::Truncated);
    // What the library itself finds wrong.
    EXPECT_EQ(decode({0xFF, 0xD8}).error, DecodeError::LibraryError);
    EXPECT_EQ(decode({0xFF, 0xD8, 0xFF, 0xD9}).error, DecodeError::LibraryError);  // no image
    Bytes garbage(500, 0x5A);
    garbage[0] = 0xFF;
    garbage[1] = 0xD8;
    EXPECT_EQ(decode(garbage).error, DecodeError::LibraryError);
    // Tables only: the header is cut right after the quantisation tables.
    const Bytes file = encodeJpeg(8, 8, photoSamples(8, 8, 3, 12), {});
    Bytes tables;
    for (size_t i = 2; i + 1 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            tables.assign(file.begin(), file.begin() + i);
            tables.push_back(0xFF);
            tables.push_back(0xD9);
            break;
        }
    }
    ASSERT_FALSE(tables.empty());
    EXPECT_EQ(decode(tables).error, DecodeError::LibraryError);
}

TEST(JpegDecode, FromAFileOnDisk) {
    const Bytes file = encodeJpeg(20, 10, photoSamples(20, 10, 3, 13), {});
    const std::string path = testing::TempDir() + "tolvex_jpeg_test.jpg";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    DecoderState state;
    const Decoded d = fromImage(decodeJpeg(widenPath(path.c_str()).c_str(), state));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, reference(file).pixels);
    std::remove(path.c_str());
    DecoderState missing;
    EXPECT_EQ(decodeJpeg(widenPath("/nonexistent/x.jpg").c_str(), missing), nullptr);
    EXPECT_EQ(missing.error, DecodeError::OpenFailed);
}
