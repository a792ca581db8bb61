// AVIF decoder against libavif's own tools: files made at run time with
// avifenc from PNGs the tests build, avifdec's PNG of the same file (chroma
// taken from the nearest sample, as ours is) read by our PNG decoder as the
// expected picture, within a small tolerance for the two conversions'
// rounding. Then orientation, the container checks, damaged files and the
// size probe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "decode/decoders.h"
#include "decode/size_probe.h"
#include "support/image_access.h"
#include "support/png_builder.h"
#include "support/test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Smooth colours (the coder keeps them close) and an alpha ramp with clear
// and opaque columns.
pngtest::Samples picture(uint32_t w, uint32_t h, bool alpha) {
    pngtest::Samples s;
    s.width = w;
    s.height = h;
    s.colourType = alpha ? 6 : 2;
    s.values.resize(size_t(w) * h * s.channels());
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            s.at(x, y, 0) = uint16_t(x * 255 / (w > 1 ? w - 1 : 1));
            s.at(x, y, 1) = uint16_t(y * 255 / (h > 1 ? h - 1 : 1));
            s.at(x, y, 2) = uint16_t(128 + (x / 8 % 2) * 60);
            if (alpha) s.at(x, y, 3) = uint16_t(x < w / 4 ? 0 : x < w / 2 ? 128 : 255);
        }
    return s;
}

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> rgb;  // top-down 0xRRGGBB
};

Picture pictureOf(const LoadedImage& img) {
    Picture p{img.header.biWidth, img.header.biHeight, {}};
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) p.rgb.push_back(rgbAt(img, x, y));
    return p;
}

Picture decodeAvif(const Bytes& file, DecodeError* reason = nullptr) {
    DecodedBytes d;
    decodeBytes(decodeAvifBytes, file, d);
    if (reason) *reason = d.error;
    return d.ok ? pictureOf(d.image) : Picture{};
}

// The largest difference of one channel between the two pictures.
int largestDifference(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return 999;
    int most = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i)
        for (int shift : {0, 8, 16}) {
            const int d = int(a.rgb[i] >> shift & 0xFF) - int(b.rgb[i] >> shift & 0xFF);
            most = std::max(most, std::abs(d));
        }
    return most;
}

ImageSize probeAvif(const Bytes& file) {
    MemoryProbeSource source(file.data(), file.size());
    return probeImageSize(ImageFormat::Avif, source);
}

class AvifOracle : public ::testing::Test {
protected:
    Bytes encode(const pngtest::Samples& s, const std::string& options) {
        dir_.write("in.png", pngtest::makePng(s, {}));
        EXPECT_TRUE(run("avifenc -s 10 " + options + " " + path("in.png") + " " + path("out.avif")))
            << options;
        return readAll(path("out.avif"));
    }
    Picture reference(const Bytes& avif) {
        dir_.write("ref.avif", avif);
        EXPECT_TRUE(run("avifdec -u nearest -d 8 " + path("ref.avif") + " " + path("ref.png")));
        DecodedBytes d;
        decodeBytes(decodePng, readAll(path("ref.png")), d);
        return d.ok ? pictureOf(d.image) : Picture{};
    }
    std::string path(const std::string& name) const { return (dir_.dir() / name).string(); }
    TempDir dir_;
};

TEST_F(AvifOracle, PicturesMatchAvifdec) {
    struct Case {
        uint32_t w, h;
        bool alpha;
        const char* options;
    };
    const Case cases[] = {
        {97, 61, false, "-y 420"},
        {97, 61, false, "-y 422"},
        {97, 61, false, "-y 444"},
        {97, 61, false, "-y 420 -r limited"},
        {64, 48, false, "-y 444 -d 10"},
        {64, 48, false, "-y 420 -d 12"},
        {64, 48, false, "-y 420 -d 10 -r limited --cicp 1/13/1"},
        {64, 48, false, "-y 444 --cicp 9/16/9"},
        {64, 48, false, "-y 400"},
        {80, 40, true, "-y 420"},
        {80, 40, true, "-y 444 -d 10"},
        {1, 1, false, "-y 444"},
        {1, 3000, false, "-y 420"},
        {3000, 1, true, "-y 420"},
    };
    for (const Case& c : cases) {
        const Bytes file = encode(picture(c.w, c.h, c.alpha), c.options);
        ASSERT_FALSE(file.empty()) << c.options;
        const Picture want = reference(file);
        ASSERT_EQ(want.width, int32_t(c.w)) << c.options;
        DecodeError reason;
        const Picture got = decodeAvif(file, &reason);
        EXPECT_EQ(reason, DecodeError::None) << c.options;
        // Two conversions of the same planes, avifdec's in libyuv's fixed
        // point: a little rounding apart.
        EXPECT_LE(largestDifference(got, want), 3) << c.w << "x" << c.h << " " << c.options;
        const ImageSize size = probeAvif(file);
        EXPECT_EQ(size.width, int32_t(c.w));
        EXPECT_EQ(size.height, int32_t(c.h));
    }
}

TEST_F(AvifOracle, RotationAndMirrorTurnThePictureUpright) {
    // Corners of distinct colours, so each can be told after the turn.
    pngtest::Samples s = picture(40, 20, false);
    const uint16_t corners[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (uint32_t y = 0; y < 20; ++y)
        for (uint32_t x = 0; x < 40; ++x)
            for (int c = 0; c < 3; ++c) s.at(x, y, c) = corners[(y >= 10) * 2 + (x >= 20)][c];
    // The stored quadrants  0 1 / 2 3  and where each irot/imir puts them:
    // irot turns anticlockwise; imir 0 exchanges top and bottom, 1 left and right.
    struct Case {
        const char* options;
        const char* upright;
    };
    const Case cases[] = {
        {"--irot 1", "1302"},          {"--irot 2", "3210"}, {"--irot 3", "2031"},
        {"--imir 0", "2301"},          {"--imir 1", "1032"}, {"--irot 1 --imir 0", "0213"},
        {"--irot 1 --imir 1", "3120"},
    };
    for (const Case& c : cases) {
        const Bytes file = encode(s, "-y 444 -l " + std::string(c.options));
        const Picture p = decodeAvif(file);
        const bool swap = std::string(c.options).find("irot 1") != std::string::npos ||
                          std::string(c.options).find("irot 3") != std::string::npos;
        ASSERT_EQ(p.width, swap ? 20 : 40) << c.options;
        ASSERT_EQ(p.height, swap ? 40 : 20);
        std::string got;
        for (int qy = 0; qy < 2; ++qy)
            for (int qx = 0; qx < 2; ++qx) {
                const uint32_t v = p.rgb[size_t(qy * p.height / 2 + p.height / 4) * p.width +
                                         size_t(qx * p.width / 2 + p.width / 4)];
                const bool r = (v >> 16 & 0xFF) > 128, g = (v >> 8 & 0xFF) > 128,
                           b = (v & 0xFF) > 128;
                got += r && g && b ? '3' : b ? '2' : g ? '1' : '0';
            }
        EXPECT_EQ(got, c.upright) << c.options;
        const ImageSize size = probeAvif(file);
        EXPECT_EQ(size.width, p.width) << c.options;
        EXPECT_EQ(size.height, p.height);
    }
}

// The offset of the first box of `type` found anywhere in the file.
size_t findBox(const Bytes& f, const char* type) {
    for (size_t i = 4; i + 4 <= f.size(); ++i)
        if (std::equal(type, type + 4, f.begin() + long(i))) return i - 4;
    return 0;
}

TEST_F(AvifOracle, DamagedFilesAreRefusedWithAReason) {
    const Bytes file = encode(picture(48, 32, true), "-y 420");
    // Every cut: refused, never a fault.
    for (size_t n = 0; n < file.size(); n += 1 + n / 24) {
        DecodeError reason = DecodeError::None;
        const Bytes cut(file.begin(), file.begin() + long(n));
        EXPECT_EQ(decodeAvif(cut, &reason).width, 0) << n;
        EXPECT_NE(reason, DecodeError::None) << n;
    }
    // Flipped bytes: a picture or a reason.
    for (size_t at = 0; at < file.size(); at += 5) {
        Bytes bad = file;
        bad[at] ^= 0x41;
        DecodeError reason = DecodeError::None;
        const Picture p = decodeAvif(bad, &reason);
        EXPECT_EQ(p.width == 0, reason != DecodeError::None) << at;
    }
    DecodeError reason;
    // An ispe of 30,000 is refused before dav1d sees the stream.
    Bytes huge = file;
    const size_t ispe = findBox(huge, "ispe");
    ASSERT_NE(ispe, 0u);
    huge[ispe + 12 + 2] = 0x75;  // width 0x7530 = 30,000
    huge[ispe + 12 + 3] = 0x30;
    decodeAvif(huge, &reason);
    EXPECT_EQ(reason, DecodeError::SideOutOfRange);
    EXPECT_EQ(probeAvif(huge).error, DecodeError::SideOutOfRange);
    // An ispe that is not the stream's size: a larger frame is stopped by
    // dav1d's frame size limit, a smaller one by our check after.
    Bytes other = file;
    other[ispe + 12 + 3] = 47;
    decodeAvif(other, &reason);
    EXPECT_EQ(reason, DecodeError::CodecError);
    other[ispe + 12 + 3] = 49;
    decodeAvif(other, &reason);
    EXPECT_EQ(reason, DecodeError::BadHeader);
    // A brand that is not AVIF's.
    Bytes brand = file;
    brand[8] = 'm';
    brand[9] = 'p';
    brand[10] = '4';
    brand[11] = '2';
    for (size_t i = 16; i + 4 <= findBox(file, "meta"); i += 4) brand[i] = 'x';
    decodeAvif(brand, &reason);
    EXPECT_EQ(reason, DecodeError::BadSignature);
    // An extent past the end of the file.
    Bytes cut(file.begin(), file.end() - 1);
    decodeAvif(cut, &reason);
    EXPECT_EQ(reason, DecodeError::DataOutsideFile);
}

}  // namespace
