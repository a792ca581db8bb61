// WebP decoder against libwebp's own tools: files made at run time with
// cwebp, img2webp and webpmux from PNGs the tests build; dwebp's PNG of the
// same file, read by our PNG decoder, is the expected picture, so alpha must
// come out flattened exactly as a PNG with alpha does. Then the container
// checks, damaged files and the size probe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "decode/decoders.h"
#include "decode/flatten.h"
#include "decode/png_rows.h"
#include "decode/size_probe.h"
#include "support/image_access.h"
#include "support/png_builder.h"
#include "support/test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Smooth colours with a little noise (lossy coding keeps them recognisable),
// and an alpha channel running from clear to opaque with a few steps.
pngtest::Samples picture(uint32_t w, uint32_t h, bool alpha, uint32_t seed) {
    pngtest::Samples s;
    s.width = w;
    s.height = h;
    s.colourType = alpha ? 6 : 2;
    s.values.resize(size_t(w) * h * s.channels());
    uint32_t noise = seed;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            noise = noise * 1664525u + 1013904223u;
            s.at(x, y, 0) = uint16_t((x * 255 / (w > 1 ? w - 1 : 1) + (noise >> 28)) & 0xFF);
            s.at(x, y, 1) = uint16_t((y * 255 / (h > 1 ? h - 1 : 1)) & 0xFF);
            s.at(x, y, 2) = uint16_t(((x + y) * 7 + seed) & 0xFF);
            if (alpha) s.at(x, y, 3) = uint16_t(x % 4 == 0 ? 0 : (x * 37 + y * 11) & 0xFF);
        }
    return s;
}

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> rgb;  // top-down 0xRRGGBB
    bool operator==(const Picture&) const = default;
};

Picture pictureOf(const LoadedImage& img) {
    Picture p{img.header.biWidth, img.header.biHeight, {}};
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) p.rgb.push_back(rgbAt(img, x, y));
    return p;
}

// Our decode of `file`; an empty picture (and the reason) when refused.
Picture decodeWebp(const Bytes& file, DecodeError* reason = nullptr) {
    DecodedBytes d;
    decodeBytes(decodeWebpBytes, file, d);
    if (reason) *reason = d.error;
    return d.ok ? pictureOf(d.image) : Picture{};
}

Picture decodePngFile(const Bytes& file) {
    DecodedBytes d;
    decodeBytes(decodePng, file, d);
    return d.ok ? pictureOf(d.image) : Picture{};
}

ImageSize probeWebp(const Bytes& file) {
    MemoryProbeSource source(file.data(), file.size());
    return probeImageSize(ImageFormat::Webp, source);
}

class WebpOracle : public ::testing::Test {
protected:
    // Encodes the samples with cwebp and the given options.
    Bytes encode(const pngtest::Samples& s, const std::string& options) {
        const std::string in = path("in.png"), out = path("out.webp");
        dir_.write("in.png", pngtest::makePng(s, {}));
        EXPECT_TRUE(run("cwebp " + options + " " + in + " -o " + out)) << options;
        return readAll(out);
    }
    // dwebp's picture of the file, through our PNG decoder.
    Picture reference(const Bytes& webp) {
        dir_.write("ref.webp", webp);
        EXPECT_TRUE(run("dwebp " + path("ref.webp") + " -o " + path("ref.png")));
        return decodePngFile(readAll(path("ref.png")));
    }
    std::string path(const std::string& name) const { return (dir_.dir() / name).string(); }
    TempDir dir_;
};

TEST_F(WebpOracle, StillPicturesMatchDwebp) {
    struct Case {
        uint32_t w, h;
        bool alpha;
        const char* options;
    };
    const Case cases[] = {
        {97, 61, false, "-q 80"},
        {97, 61, false, "-lossless"},
        {97, 61, true, "-q 70"},
        {97, 61, true, "-lossless"},
        {64, 48, true, "-q 90 -alpha_q 40"},
        {1, 1, false, "-q 80"},
        {1, 1, true, "-lossless"},
        {1, 3000, false, "-q 60"},
        {3000, 1, true, "-lossless"},
        {33, 17, false, "-q 100 -sharp_yuv"},
    };
    for (const Case& c : cases) {
        const Bytes file = encode(picture(c.w, c.h, c.alpha, c.w + c.h), c.options);
        ASSERT_FALSE(file.empty());
        const Picture want = reference(file);
        ASSERT_EQ(want.width, int32_t(c.w));
        DecodeError reason;
        EXPECT_EQ(decodeWebp(file, &reason), want) << c.w << "x" << c.h << " " << c.options;
        EXPECT_EQ(reason, DecodeError::None);
        const ImageSize size = probeWebp(file);
        EXPECT_EQ(size.width, int32_t(c.w)) << c.options;
        EXPECT_EQ(size.height, int32_t(c.h)) << c.options;
    }
}

TEST_F(WebpOracle, AnimationGivesItsFirstFrameOnTheCanvas) {
    // Lossless frames, so the first frame is exactly the first PNG (alpha
    // flattened as our PNG decoder flattens it).
    for (bool alpha : {false, true}) {
        const auto first = picture(40, 30, alpha, 1), second = picture(40, 30, alpha, 99);
        dir_.write("f1.png", pngtest::makePng(first, {}));
        dir_.write("f2.png", pngtest::makePng(second, {}));
        ASSERT_TRUE(run("img2webp -lossless -d 100 " + path("f1.png") + " " + path("f2.png") +
                        " -o " + path("anim.webp")));
        const Bytes anim = readAll(path("anim.webp"));
        EXPECT_EQ(decodeWebp(anim), decodePngFile(readAll(path("f1.png")))) << alpha;
        const ImageSize size = probeWebp(anim);
        EXPECT_EQ(size.width, 40);
        EXPECT_EQ(size.height, 30);
    }
}

// An EXIF block, big-endian, holding only the orientation.
Bytes exifWithOrientation(int value) {
    return {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, uint8_t(value),
            0,   0,   0, 0,  0, 0};
}

TEST_F(WebpOracle, ExifOrientationTurnsThePictureUpright) {
    const Bytes plain = encode(picture(20, 10, false, 5), "-lossless");
    const Picture stored = reference(plain);
    for (int value : {3, 6, 8}) {
        dir_.write("o.exif", exifWithOrientation(value));
        dir_.write("plain.webp", plain);
        ASSERT_TRUE(run("webpmux -set exif " + path("o.exif") + " " + path("plain.webp") + " -o " +
                        path("turned.webp")));
        const Bytes turned = readAll(path("turned.webp"));
        const Picture p = decodeWebp(turned);
        const bool swap = value != 3;
        ASSERT_EQ(p.width, swap ? 10 : 20) << value;
        ASSERT_EQ(p.height, swap ? 20 : 10);
        // The upright top-left pixel: the stored bottom-right (180), the
        // stored bottom-left (a quarter clockwise), the stored top-right (a
        // quarter anticlockwise).
        const uint32_t storedAt = value == 3 ? 10 * 20 - 1 : value == 6 ? 9 * 20 : 19;
        EXPECT_EQ(p.rgb[0], stored.rgb[storedAt]) << value;
        const ImageSize size = probeWebp(turned);
        EXPECT_EQ(size.width, p.width);
        EXPECT_EQ(size.height, p.height);
    }
}

TEST_F(WebpOracle, DamagedFilesAreRefusedWithAReason) {
    const Bytes lossy = encode(picture(50, 40, true, 3), "-q 75");
    const Bytes lossless = encode(picture(50, 40, true, 4), "-lossless");
    for (const Bytes* file : {&lossy, &lossless}) {
        // Every cut: refused (the RIFF size no longer fits), never a crash.
        for (size_t n = 0; n < file->size(); n += 1 + n / 16) {
            DecodeError reason = DecodeError::None;
            const Bytes cut(file->begin(), file->begin() + long(n));
            EXPECT_EQ(decodeWebp(cut, &reason), Picture{}) << n;
            EXPECT_NE(reason, DecodeError::None);
        }
        // Flipped bytes in the bitstream: a picture or a reason, never a fault.
        for (size_t at = 20; at < file->size(); at += 7) {
            Bytes bad = *file;
            bad[at] ^= 0x5A;
            DecodeError reason = DecodeError::None;
            const Picture p = decodeWebp(bad, &reason);
            EXPECT_EQ(p.width == 0, reason != DecodeError::None);
        }
    }
    // The container's own checks.
    Bytes longChunk = lossless;
    longChunk[16] = 0xFF;  // the first chunk reaches past the RIFF size
    longChunk[19] = 0x7F;
    DecodeError reason;
    decodeWebp(longChunk, &reason);
    EXPECT_EQ(reason, DecodeError::DataOutsideFile);
    Bytes wave = lossless;
    wave[9] = 'A';
    decodeWebp(wave, &reason);
    EXPECT_EQ(reason, DecodeError::BadSignature);
    // An extended header announcing a canvas of 30,000 pixels is refused
    // before anything is allocated.
    Bytes huge = {'R', 'I', 'F', 'F', 30,  0,   0,   0,   'W', 'E', 'B', 'P',  'V',
                  'P', '8', 'X', 10,  0,   0,   0,   0,   0,   0,   0,   0x2F, 0x75,
                  0,   0,   1,   0,   'V', 'P', '8', 'L', 0,   0,   0,   0};
    decodeWebp(huge, &reason);
    EXPECT_EQ(reason, DecodeError::SideOutOfRange);
    Bytes noImage(huge.begin(), huge.end() - 8);
    noImage[4] = 22;
    noImage[24] = 0;  // a canvas of 1 x 2, and no image chunk
    noImage[25] = 0;
    decodeWebp(noImage, &reason);
    EXPECT_EQ(reason, DecodeError::MissingImageData);
}

}  // namespace

namespace {

TEST(Flatten, EveryAlphaAndColourBlendsAsThePngProductTable) {
    // Each (alpha, colour) pair as one pixel, against the PNG decoder's own table.
    const uint8_t* product = png::productTable();
    std::vector<uint8_t> bgra, bgr(256 * 256 * 3);
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c)
            bgra.insert(bgra.end(), {uint8_t(c), uint8_t(c), uint8_t(c), uint8_t(a)});
    flattenBgraOntoWhite(bgra.data(), bgr.data(), 256 * 256);
    int wrong = 0;
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) {
            const int want = product[a * 256 + c] + product[(255 - a) * 256 + 255];
            wrong += bgr[size_t(a * 256 + c) * 3] != want;
        }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
