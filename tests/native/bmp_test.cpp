// The BMP reader against an independent decoder (stb_image) on files built
// by the tests, and against values worked out by hand where the two are
// meant to differ (mask scaling) or where the reader must refuse.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "support/bmp_maker.h"
#include "support/image_access.h"
#include "support/test_files.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb/stb_image.h>

namespace {

// Decodes bytes held in a vector of exactly their size, so that reading one
// byte too far is caught by the address sanitizer.
class Decoded {
public:
    explicit Decoded(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
        state_.attach(bytes_.data(), bytes_.size());
        image_ = decodeBmpBytes(state_);
    }
    ~Decoded() {
        if (image_) pageFree(image_->bits);
    }
    explicit operator bool() const { return image_ != nullptr; }
    DecodeError error() const { return state_.error; }
    const LoadedImage& operator*() const { return *image_; }
    const LoadedImage* operator->() const { return image_; }

private:
    std::vector<uint8_t> bytes_;
    DecoderState state_;
    LoadedImage* image_ = nullptr;
};

// The reference: stb_image's RGB pixels, top row first, as 0xRRGGBB.
std::vector<uint32_t> reference(const std::vector<uint8_t>& file, int w, int h) {
    int x = 0, y = 0, n = 0;
    stbi_uc* p = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &x, &y, &n, 3);
    EXPECT_NE(p, nullptr) << stbi_failure_reason();
    std::vector<uint32_t> rgb;
    if (!p) return rgb;
    EXPECT_EQ(x, w);
    EXPECT_EQ(y, h);
    for (int i = 0; i < x * y; ++i)
        rgb.push_back(uint32_t{p[3 * i]} << 16 | uint32_t{p[3 * i + 1]} << 8 | p[3 * i + 2]);
    stbi_image_free(p);
    return rgb;
}

int channelDiff(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int s = 0; s < 24; s += 8) {
        const int d = std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF));
        worst = std::max(worst, d);
    }
    return worst;
}

// Decodes `file` and compares every pixel with the reference; `tolerance`
// allows for stb_image widening 5- and 6-bit fields by bit replication where
// the reader scales them (v * 255 / 31), which can differ by one.
void expectMatchesReference(const std::vector<uint8_t>& file, int w, int h, int outBits,
                            int tolerance = 0) {
    Decoded img(file);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->header.biSize, 40u);
    EXPECT_EQ(img->header.biWidth, w);
    EXPECT_EQ(img->header.biHeight, h);
    EXPECT_EQ(img->header.biPlanes, 1);
    EXPECT_EQ(img->header.biBitCount, outBits);
    EXPECT_EQ(img->header.biCompression, 0u);
    const std::vector<uint32_t> ref = reference(file, w, h);
    ASSERT_EQ(ref.size(), size_t(w) * h);
    int mismatches = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (channelDiff(rgbAt(*img, x, y), ref[size_t(y) * w + x]) > tolerance &&
                ++mismatches <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << rgbAt(*img, x, y)
                              << " vs " << ref[size_t(y) * w + x];
    EXPECT_EQ(mismatches, 0);
}

std::vector<uint8_t> patterned(const testbmp::BmpLayout& s) {
    const int bits = s.bits;
    return testbmp::make(
        s, [bits](int x, int y) { return testbmp::patternValue(x, y, bits == 24 ? 24 : bits); });
}

}  // namespace

TEST(BmpReader, EveryDepthMatchesReference) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (int w : {1, 5, 9, 13, 33}) {
            for (int h : {1, 3}) {
                SCOPED_TRACE(testing::Message() << bits << "-bit " << w << "x" << h);
                testbmp::BmpLayout s;
                s.bits = static_cast<uint16_t>(bits);
                s.width = w;
                s.height = h;
                s.padByte = 0xA5;
                expectMatchesReference(patterned(s), w, h, bits <= 8 ? 8 : 24, bits == 16 ? 1 : 0);
            }
        }
    }
}

TEST(BmpReader, BitFieldFilesMatchReference) {
    struct Case {
        uint16_t bits;
        uint32_t r, g, b;
        int tolerance;
    };
    for (const Case& c :
         {Case{16, 0xF800, 0x07E0, 0x001F, 1}, Case{16, 0x7C00, 0x03E0, 0x001F, 1},
          Case{32, 0xFF0000, 0x00FF00, 0x0000FF, 0},
          Case{32, 0xFF000000, 0x00FF0000, 0x0000FF00, 0},
          Case{32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0}, Case{16, 0x0F00, 0x00F0, 0x000F, 1}}) {
        for (uint32_t infoSize : {40u, 108u, 124u}) {
            SCOPED_TRACE(testing::Message() << c.bits << "-bit header " << infoSize << std::hex
                                            << " red mask " << c.r);
            testbmp::BmpLayout s;
            s.bits = c.bits;
            s.width = 7;
            s.height = 3;
            s.compression = 3;
            s.infoSize = infoSize;
            s.writeMasks = true;
            s.masks[0] = c.r;
            s.masks[1] = c.g;
            s.masks[2] = c.b;
            expectMatchesReference(patterned(s), 7, 3, 24, c.tolerance);
        }
    }
}

// Image editors write palette bitmaps with 108- and 124-byte headers; the
// colour table follows the header, wherever that ends.
TEST(BmpReader, ColourTableFollowsLongerHeaders) {
    for (uint16_t bits : {1, 4, 8}) {
        for (uint32_t infoSize : {40u, 108u, 124u}) {
            SCOPED_TRACE(testing::Message() << bits << "-bit, header " << infoSize);
            testbmp::BmpLayout s;
            s.bits = bits;
            s.width = 11;
            s.height = 2;
            s.infoSize = infoSize;
            expectMatchesReference(patterned(s), 11, 2, 8);
        }
    }
    // 52- and 56-byte headers, which the reference does not read.
    for (uint32_t infoSize : {52u, 56u}) {
        SCOPED_TRACE(infoSize);
        testbmp::BmpLayout s;
        s.bits = 8;
        s.width = 4;
        s.infoSize = infoSize;
        Decoded img(testbmp::make(s, [](int x, int) { return 200 + x; }));
        ASSERT_TRUE(img);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(rgbAt(*img, x, 0), testbmp::testColour(200 + x));
    }
}

TEST(BmpReader, SixteenBitMasksFiveFiveFiveAgainstFiveSixFive) {
    const uint16_t values[] = {0xFFFF, 0x0421, 0x7FFF, 0x8000, 0x03E0, 0x07E0, 0x0020, 0x1234};
    testbmp::BmpLayout s;
    s.bits = 16;
    s.width = 8;
    auto pixel = [&](int x, int) { return uint32_t{values[x]}; };
    Decoded plain(testbmp::make(s, pixel));
    s.compression = 3;
    s.writeMasks = true;
    s.masks[0] = 0xF800;
    s.masks[1] = 0x07E0;
    s.masks[2] = 0x001F;
    Decoded fields(testbmp::make(s, pixel));
    ASSERT_TRUE(plain);
    ASSERT_TRUE(fields);
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; };
    for (int x = 0; x < 8; ++x) {
        const uint32_t v = values[x];
        SCOPED_TRACE(v);
        EXPECT_EQ(rgbAt(*plain, x, 0),
                  rgb((v >> 10 & 31) * 255 / 31, (v >> 5 & 31) * 255 / 31, (v & 31) * 255 / 31));
        EXPECT_EQ(rgbAt(*fields, x, 0),
                  rgb((v >> 11 & 31) * 255 / 31, (v >> 5 & 63) * 255 / 63, (v & 31) * 255 / 31));
    }
    // Field value 1 of 31 is 8, the full value 255.
    EXPECT_EQ(rgbAt(*plain, 1, 0), rgb(8, 8, 8));
    EXPECT_EQ(rgbAt(*plain, 0, 0), rgb(255, 255, 255));
    EXPECT_EQ(rgbAt(*fields, 0, 0), rgb(255, 255, 255));
}

TEST(BmpReader, MaskFieldsWiderThanEightBits) {
    testbmp::BmpLayout s;
    s.bits = 32;
    s.width = 3;
    s.compression = 3;
    s.writeMasks = true;
    // A 32-bit-wide blue field leaves no divisor: refused.
    s.masks[2] = 0xFFFFFFFF;
    EXPECT_EQ(Decoded(testbmp::make(s, [](int, int) { return 7u; })).error(),
              DecodeError::UnusableMasks);
    // A 28-bit blue field scales without the product wrapping.
    s.masks[0] = 0;
    s.masks[1] = 0;
    s.masks[2] = 0x0FFFFFFF;
    const uint32_t v[3] = {0x0FFFFFFF, 0x08000000, 0x00100000};
    Decoded img(testbmp::make(s, [&](int x, int) { return v[x]; }));
    ASSERT_TRUE(img);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(rgbAt(*img, x, 0), uint64_t{v[x]} * 255 / 0x0FFFFFFF) << x;
}

TEST(BmpReader, RefusesWhatItDoesNotRead) {
    auto refusal = [](testbmp::BmpLayout s) { return Decoded(patterned(s)).error(); };
    testbmp::BmpLayout s;
    s.width = 4;
    s.height = 3;
    testbmp::BmpLayout t = s;
    t.height = -100;  // top-down
    EXPECT_EQ(refusal(t), DecodeError::SideOutOfRange);
    for (auto [bits, compression] : {std::pair{8, 1},
                                     {4, 2},
                                     {8, 2},
                                     {24, 1},
                                     {24, 3},
                                     {8, 3},
                                     {4, 3},
                                     {1, 3},
                                     {16, 1},
                                     {32, 4},
                                     {16, 6}}) {
        t = s;
        t.bits = static_cast<uint16_t>(bits);
        t.compression = compression;
        EXPECT_EQ(refusal(t), DecodeError::UnsupportedCompression)
            << bits << "-bit, compression " << compression;
    }
    for (int bits : {0, 2, 3, 12, 48, 64}) {
        t = s;
        t.bits = static_cast<uint16_t>(bits);
        EXPECT_EQ(refusal(t), DecodeError::UnsupportedBitDepth) << bits;
    }
    for (auto [w, h] : {std::pair{0, 1}, {1, 0}, {-1, 1}, {25001, 1}, {1, 25001}, {INT32_MIN, 1}}) {
        t = s;
        t.width = w;
        t.height = h;
        // Only the headers: the sizes are refused before any pixel is read.
        std::vector<uint8_t> f =
            testbmp::make(t.width > 0 && t.width < 100 ? t : s, [](int, int) { return 0u; });
        testbmp::put32(f, 18, static_cast<uint32_t>(w));
        testbmp::put32(f, 22, static_cast<uint32_t>(h));
        EXPECT_EQ(Decoded(f).error(), DecodeError::SideOutOfRange) << w << "x" << h;
    }
    // The largest side is accepted.
    t = s;
    t.bits = 8;
    t.width = 25000;
    t.height = 1;
    EXPECT_TRUE(Decoded(patterned(t)));
}

TEST(BmpReader, RefusesBrokenHeaders) {
    testbmp::BmpLayout s;
    s.width = 2;
    s.height = 2;
    const std::vector<uint8_t> good = patterned(s);
    for (size_t n : {0, 1, 2, 13, 14, 30, 53}) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + n);
        EXPECT_EQ(Decoded(cut).error(), DecodeError::Truncated) << n;
    }
    std::vector<uint8_t> wrong = good;
    wrong[0] = 'X';
    EXPECT_EQ(Decoded(wrong).error(), DecodeError::BadSignature);
    // 16- and 32-bit files with no pixel bytes after the data offset.
    for (uint16_t bits : {16, 32}) {
        s.bits = bits;
        std::vector<uint8_t> f = patterned(s);
        const uint32_t off = f[10] | f[11] << 8;
        f.resize(off);
        EXPECT_EQ(Decoded(f).error(), DecodeError::MissingImageData) << bits;
        testbmp::put32(f, 10, 0x7FFFFFFF);
        EXPECT_EQ(Decoded(f).error(), DecodeError::MissingImageData) << bits;
    }
}

// A file cut inside its pixel data still loads; the rows it lacks (the top
// of the picture) are zero bytes: black, or palette entry 0.
TEST(BmpReader, TruncatedPixelDataReadsAsZero) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        testbmp::BmpLayout s;
        s.bits = static_cast<uint16_t>(bits);
        s.width = 9;
        s.height = 4;
        const std::vector<uint8_t> full = patterned(s);
        Decoded whole(full);
        ASSERT_TRUE(whole);
        const uint32_t off = full[10] | full[11] << 8 | full[12] << 16;
        const uint32_t rowBytes = testbmp::storedRowBytes(9, bits);
        // Keep the two bottom rows and one byte of the third.
        std::vector<uint8_t> cut(full.begin(), full.begin() + off + 2 * rowBytes + 1);
        Decoded img(cut);
        ASSERT_TRUE(img);
        const uint32_t black = bits <= 8 ? testbmp::testColour(0) : 0;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 9; ++x) {
                if (y >= 2) {
                    EXPECT_EQ(rgbAt(*img, x, y), rgbAt(*whole, x, y)) << x << "," << y;
                } else if (y == 1 && x < (bits == 1 ? 8 : bits == 4 ? 2 : 1)) {
                    // The one byte kept of this row holds (part of) these
                    // pixels.
                    continue;
                } else {
                    EXPECT_EQ(rgbAt(*img, x, y), black) << x << "," << y;
                }
            }
        }
    }
    // A 16-bit pixel cut after its low byte reads that byte with a zero high
    // byte: 5-5-5 blue from bits 0-4, green's low three bits from 5-7.
    {
        testbmp::BmpLayout s;
        s.bits = 16;
        s.width = 2;
        s.height = 2;
        std::vector<uint8_t> f = testbmp::make(s, [](int, int) { return 0xFFFFu; });
        const uint32_t off = f[10];
        f.resize(off + 4 + 1);
        Decoded img(f);
        ASSERT_TRUE(img);
        EXPECT_EQ(rgbAt(*img, 0, 0), (7u * 255 / 31) << 8 | 255u);
        EXPECT_EQ(rgbAt(*img, 1, 0), 0u);
        EXPECT_EQ(rgbAt(*img, 0, 1), 0xFFFFFFu);
    }
    // Pixel data starting beyond the end of the file: all zero.
    testbmp::BmpLayout s;
    s.bits = 24;
    s.width = 3;
    s.height = 2;
    std::vector<uint8_t> f = patterned(s);
    testbmp::put32(f, 10, 0xFFFFFFF0);
    Decoded img(f);
    ASSERT_TRUE(img);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(rgbAt(*img, x, 0), 0u);
}

TEST(BmpReader, ShortColourTableLeavesTheRestBlack) {
    testbmp::BmpLayout s;
    s.bits = 4;
    s.width = 16;
    s.clrUsed = 3;
    s.palette = {0x112233, 0x445566, 0x778899};
    Decoded img(testbmp::make(s, [](int x, int) { return uint32_t(x); }));
    ASSERT_TRUE(img);
    EXPECT_EQ(rgbAt(*img, 0, 0), 0x112233u);
    EXPECT_EQ(rgbAt(*img, 1, 0), 0x445566u);
    EXPECT_EQ(rgbAt(*img, 2, 0), 0x778899u);
    for (int x = 3; x < 16; ++x) EXPECT_EQ(rgbAt(*img, x, 0), 0u) << x;
    for (int i = 3; i < 256; ++i) EXPECT_EQ(img->palette[i].rgbRed, 0) << i;
    // The output indices are the file's, one byte a pixel.
    for (int x = 0; x < 16; ++x) EXPECT_EQ(paletteIndexAt(*img, x, 0), uint32_t(x));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(img->palette[i].rgbReserved, 0);
}

TEST(BmpReader, OnePixelWideKeepsPaddingAndResolution) {
    testbmp::BmpLayout s;
    s.bits = 24;
    s.width = 1;
    s.height = 2;
    s.padByte = 0xAB;
    s.xPelsPerMeter = 2835;
    s.yPelsPerMeter = 3780;
    Decoded img(testbmp::make(s, [](int, int y) { return y ? 0x010203u : 0x040506u; }));
    ASSERT_TRUE(img);
    EXPECT_EQ(rowStride(1, 24), 4u);
    EXPECT_EQ(img->bits[0], 0x03);  // bottom row first, blue first
    EXPECT_EQ(img->bits[3], 0xAB);  // padding carried as it is
    EXPECT_EQ(img->bits[4], 0x06);
    EXPECT_EQ(img->header.biXPelsPerMeter, 2835);
    EXPECT_EQ(img->header.biYPelsPerMeter, 3780);
    EXPECT_EQ(img->header.biClrUsed, 0u);
    EXPECT_EQ(img->header.biSizeImage, 0u);
}

// readBmp reads the file with ordinary reads rather than from memory: the
// same pictures must come out, whole files and cut ones alike.
TEST(BmpReader, ReadingTheFileGivesTheSamePicture) {
    TempDir dir;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        testbmp::BmpLayout s;
        s.bits = static_cast<uint16_t>(bits);
        s.width = 13;
        s.height = 5;
        const std::vector<uint8_t> full = patterned(s);
        const size_t off = full[10] | full[11] << 8;
        for (size_t keep : {full.size(), full.size() - 3, off + 7}) {
            SCOPED_TRACE(testing::Message() << bits << "-bit, " << keep << " bytes");
            std::vector<uint8_t> f(full.begin(), full.begin() + keep);
            const std::wstring path = dir.write("f.bmp", f);
            Decoded fromMemory(f);
            DecoderState st;
            LoadedImage* fromFile = readBmp(path.c_str(), st);
            ASSERT_TRUE(fromMemory);
            ASSERT_NE(fromFile, nullptr);
            EXPECT_EQ(std::memcmp(&fromFile->header, &fromMemory->header, 40), 0);
            EXPECT_EQ(std::memcmp(fromFile->palette, fromMemory->palette, 1024), 0);
            const uint32_t size = pixelBlockSize(13, 5, fromFile->header.biBitCount);
            EXPECT_EQ(std::memcmp(fromFile->bits, fromMemory->bits, size), 0);
            pageFree(fromFile->bits);
        }
    }
    DecoderState st;
    EXPECT_EQ(readBmp(dir.path("missing.bmp").c_str(), st), nullptr);
    EXPECT_EQ(st.error, DecodeError::OpenFailed);
    EXPECT_EQ(readBmp(dir.write("empty.bmp", {}).c_str(), st), nullptr);
    EXPECT_EQ(st.error, DecodeError::Truncated);
}
