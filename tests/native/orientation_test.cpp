// Pictures upright: the eight orientation values against grids written out
// from their definitions, at every bit count; the EXIF reader's bounds; and
// a JPEG with an orientation tag, decoded and measured upright.
#include "image/orientation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "decode/decoders.h"
#include "decode/exif.h"
#include "decode/size_probe.h"
#include "support/image_access.h"
#include "support/jpeg_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A bottom-up picture of `bits` from values given top-down (palette indices
// below 2^bits, or 0xRRGGBB at 24 bits); a grey ramp palette.
LoadedImage makeImage(int32_t w, int32_t h, int bits, const std::vector<uint32_t>& topDown) {
    LoadedImage img{};
    img.header.biSize = 40;
    img.header.biWidth = w;
    img.header.biHeight = h;
    img.header.biPlanes = 1;
    img.header.biBitCount = static_cast<uint16_t>(bits);
    img.header.biXPelsPerMeter = 100;
    img.header.biYPelsPerMeter = 200;
    img.bits = static_cast<uint8_t*>(pageAlloc(pixelBlockSize(w, h, bits)));
    const uint32_t stride = rowStride(w, bits);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = img.bits + size_t(h - 1 - y) * stride;
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = topDown[size_t(y) * w + x];
            if (bits == 24) {
                row[3 * x] = uint8_t(v);
                row[3 * x + 1] = uint8_t(v >> 8);
                row[3 * x + 2] = uint8_t(v >> 16);
            } else {
                const int perByte = 8 / bits;
                row[x / perByte] |= uint8_t(v << (8 - bits * (1 + x % perByte)));
            }
        }
    }
    return img;
}

// The picture's values top-down: indices, or 0xRRGGBB at 24 bits.
std::vector<uint32_t> valuesOf(const LoadedImage& img) {
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < img.header.biHeight; ++y)
        for (int32_t x = 0; x < img.header.biWidth; ++x)
            v.push_back(img.header.biBitCount == 24 ? rgbAt(img, x, y) : paletteIndexAt(img, x, y));
    return v;
}

// The stored picture  a b c / d e f  and each value's upright picture, as
// the definitions draw it.
struct Case {
    int value;
    int32_t w, h;
    const char* upright;
};
constexpr Case kCases[] = {
    {1, 3, 2, "abcdef"}, {2, 3, 2, "cbafed"}, {3, 3, 2, "fedcba"}, {4, 3, 2, "defabc"},
    {5, 2, 3, "adbecf"}, {6, 2, 3, "daebfc"}, {7, 2, 3, "fcebda"}, {8, 2, 3, "cfbead"},
};

TEST(Orientation, EachValueGivesTheUprightPictureAtEveryBitCount) {
    for (const Case& c : kCases) {
        for (int bits : {8, 24}) {
            std::vector<uint32_t> stored;
            for (char ch : std::string("abcdef"))
                stored.push_back(uint32_t(ch) * 0x010203u & 0xFFFFFF);
            if (bits == 8)
                for (auto& v : stored) v &= 0xFF;
            LoadedImage img = makeImage(3, 2, bits, stored);
            ASSERT_TRUE(applyOrientation(img, orientationFromValue(c.value)));
            EXPECT_EQ(img.header.biWidth, c.w) << c.value;
            EXPECT_EQ(img.header.biHeight, c.h) << c.value;
            std::vector<uint32_t> want;
            for (const char* p = c.upright; *p; ++p)
                want.push_back((uint32_t(*p) * 0x010203u & 0xFFFFFF) & (bits == 8 ? 0xFF : ~0u));
            EXPECT_EQ(valuesOf(img), want) << "value " << c.value << " at " << bits << " bits";
            const bool swapped = c.value >= 5;
            EXPECT_EQ(img.header.biXPelsPerMeter, swapped ? 200 : 100);
            int32_t w = 3, h = 2;
            uprightSize(orientationFromValue(c.value), w, h);
            EXPECT_EQ(w, c.w);
            EXPECT_EQ(h, c.h);
            pageFree(img.bits);
        }
    }
}

TEST(Orientation, PackedPixelsMoveAsWholeBytePixelsDo) {
    // Sizes that cross byte boundaries in every direction; the 8-bit result,
    // checked above against the drawn grids, is the reference.
    for (int bits : {1, 4}) {
        for (int value = 1; value <= 8; ++value) {
            const int32_t w = 13, h = 7;
            std::vector<uint32_t> stored;
            for (int i = 0; i < w * h; ++i)
                stored.push_back(uint32_t(i * 7 + i / 5) % (1u << bits));
            LoadedImage packed = makeImage(w, h, bits, stored);
            LoadedImage bytes = makeImage(w, h, 8, stored);
            ASSERT_TRUE(applyOrientation(packed, orientationFromValue(value)));
            ASSERT_TRUE(applyOrientation(bytes, orientationFromValue(value)));
            EXPECT_EQ(valuesOf(packed), valuesOf(bytes)) << bits << " bits, value " << value;
            pageFree(packed.bits);
            pageFree(bytes.bits);
        }
    }
}

TEST(Orientation, ValuesOutsideOneToEightAreNormal) {
    for (uint32_t v : {0u, 9u, 255u, 0x10006u})
        EXPECT_EQ(orientationFromValue(v), Orientation::Normal);
}

// An EXIF block ("Exif\0\0" and a TIFF structure) whose first directory
// holds `extra` empty entries and then the orientation entry.
Bytes exifBlock(uint16_t value, bool bigEndian, int extra = 0, uint16_t type = 3,
                uint32_t count = 1) {
    Bytes b = {'E', 'x', 'i', 'f', 0, 0};
    auto put16 = [&](uint32_t v) {
        if (bigEndian) {
            b.push_back(uint8_t(v >> 8));
            b.push_back(uint8_t(v));
        } else {
            b.push_back(uint8_t(v));
            b.push_back(uint8_t(v >> 8));
        }
    };
    auto put32 = [&](uint32_t v) {
        if (bigEndian) {
            put16(v >> 16);
            put16(v & 0xFFFF);
        } else {
            put16(v & 0xFFFF);
            put16(v >> 16);
        }
    };
    b.push_back(bigEndian ? 'M' : 'I');
    b.push_back(bigEndian ? 'M' : 'I');
    put16(42);
    put32(8);
    put16(uint32_t(extra + 1));
    for (int i = 0; i < extra; ++i) {
        put16(0x010F);  // Make, an ASCII count of 0
        put16(2);
        put32(0);
        put32(0);
    }
    put16(0x0112);
    put16(type);
    put32(count);
    put16(value);
    put16(0);
    put32(0);  // no next directory
    return b;
}

TEST(Exif, OrientationFromEitherByteOrderAndAfterOtherTags) {
    for (bool big : {false, true})
        for (uint16_t v = 1; v <= 8; ++v) {
            const Bytes b = exifBlock(v, big, v % 3);
            EXPECT_EQ(exifOrientation(b.data(), b.size()), orientationFromValue(v));
            // Without the "Exif\0\0" prefix, as some WebP files carry it.
            EXPECT_EQ(exifOrientation(b.data() + 6, b.size() - 6), orientationFromValue(v));
        }
}

TEST(Exif, DamagedBlocksReadAsNormal) {
    const Bytes good = exifBlock(6, false, 2);
    // Every cut of the block: never a read past it, Normal until the entry is whole.
    for (size_t n = 0; n < good.size(); ++n) {
        const Orientation o = exifOrientation(good.data(), n);
        EXPECT_EQ(o, n >= good.size() - 4 ? Orientation::Rotate90 : Orientation::Normal) << n;
    }
    EXPECT_EQ(exifOrientation(exifBlock(6, false, 0, 4).data(), 26), Orientation::Normal);  // LONG
    EXPECT_EQ(exifOrientation(exifBlock(6, false, 0, 3, 2).data(), 26), Orientation::Normal);
    Bytes farDirectory = exifBlock(6, false);
    farDirectory[10] = 0xF0;  // the directory offset points past the block
    EXPECT_EQ(exifOrientation(farDirectory.data(), farDirectory.size()), Orientation::Normal);
    Bytes manyEntries = exifBlock(6, true);
    manyEntries[14] = 0xFF;  // a count far beyond the block
    manyEntries[15] = 0xFF;  // the entries the block holds are read, and no more
    EXPECT_EQ(exifOrientation(manyEntries.data(), manyEntries.size()), Orientation::Rotate90);
    manyEntries.resize(manyEntries.size() - 6);
    EXPECT_EQ(exifOrientation(manyEntries.data(), manyEntries.size()), Orientation::Normal);
    EXPECT_EQ(exifOrientation(nullptr, 100), Orientation::Normal);
}

// A JPEG of four flat quadrants with an APP1 EXIF segment right after SOI.
Bytes quadrantJpeg(uint32_t w, uint32_t h, int orientation) {
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    const uint8_t colours[4][3] = {{250, 0, 0}, {0, 250, 0}, {0, 0, 250}, {250, 250, 250}};
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            std::memcpy(&rgb[(size_t(y) * w + x) * 3], colours[(y >= h / 2) * 2 + (x >= w / 2)], 3);
    jpegtest::EncodeOptions options;
    options.quality = 95;
    Bytes jpeg = jpegtest::encodeJpeg(w, h, rgb, options);
    if (orientation == 0) return jpeg;
    const Bytes exif = exifBlock(uint16_t(orientation), orientation % 2 == 0, 1);
    Bytes app1 = {0xFF, 0xE1, uint8_t((exif.size() + 2) >> 8), uint8_t(exif.size() + 2)};
    app1.insert(app1.end(), exif.begin(), exif.end());
    jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
    return jpeg;
}

// Which quadrant colour a pixel is nearest: 0 red, 1 green, 2 blue, 3 white.
int quadrantAt(const LoadedImage& img, int x, int y) {
    const uint32_t c = rgbAt(img, x, y);
    const bool r = (c >> 16 & 0xFF) > 128, g = (c >> 8 & 0xFF) > 128, b = (c & 0xFF) > 128;
    return r && g && b ? 3 : b ? 2 : g ? 1 : 0;
}

TEST(Exif, JpegIsDecodedAndMeasuredUpright) {
    // The stored quadrants  0 1 / 2 3  (red green / blue white) and where
    // each value puts them.
    const char* kUpright[9] = {"", "0123", "1032", "3210", "2301", "0213", "2031", "3120", "1302"};
    const uint32_t w = 64, h = 32;
    for (int v = 1; v <= 8; ++v) {
        const Bytes file = quadrantJpeg(w, h, v);
        EXPECT_EQ(jpegOrientation(file.data(), file.size()), orientationFromValue(v));
        DecodedBytes d;
        decodeBytes(decodeJpegBytes, file, d);
        ASSERT_TRUE(d.ok) << v;
        const int32_t uw = v >= 5 ? h : w, uh = v >= 5 ? w : h;
        EXPECT_EQ(d.image.header.biWidth, uw);
        EXPECT_EQ(d.image.header.biHeight, uh);
        std::string got;
        for (int qy = 0; qy < 2; ++qy)
            for (int qx = 0; qx < 2; ++qx)
                got += char('0' + quadrantAt(d.image, qx * uw / 2 + uw / 4, qy * uh / 2 + uh / 4));
        EXPECT_EQ(got, kUpright[v]) << "value " << v;
        MemoryProbeSource source(file.data(), file.size());
        const ImageSize size = probeImageSize(ImageFormat::Jpeg, source);
        EXPECT_EQ(size.width, uw);
        EXPECT_EQ(size.height, uh);
    }
}

TEST(Exif, JpegWithoutExifOrWithOtherApp1IsNormal) {
    Bytes plain = quadrantJpeg(16, 16, 0);
    EXPECT_EQ(jpegOrientation(plain.data(), plain.size()), Orientation::Normal);
    Bytes xmp = {0xFF, 0xE1, 0, 8, 'h', 't', 't', 'p', ':', '/'};
    plain.insert(plain.begin() + 2, xmp.begin(), xmp.end());
    EXPECT_EQ(jpegOrientation(plain.data(), plain.size()), Orientation::Normal);
    // A segment length past the end of the file.
    const Bytes cut = {0xFF, 0xD8, 0xFF, 0xE1, 0x40, 0x00, 'E', 'x', 'i', 'f', 0, 0};
    EXPECT_EQ(jpegOrientation(cut.data(), cut.size()), Orientation::Normal);
}

}  // namespace
