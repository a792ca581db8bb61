// The .bmp writer: exact file layout, and files that the reader (and an
// independent reading of the headers) take back unchanged.
#include "image/bmp_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <vector>

#include "base/output_file.h"
#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "image/loaded_image.h"
#include "support/test_files.h"

namespace {

uint32_t at32(const std::vector<uint8_t>& f, size_t i) {
    return f[i] | f[i + 1] << 8 | f[i + 2] << 16 | uint32_t(f[i + 3]) << 24;
}

dib::BITMAPINFOHEADER header(int32_t w, int32_t h, uint16_t bits) {
    dib::BITMAPINFOHEADER hd{};
    hd.biSize = 40;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biPlanes = 1;
    hd.biBitCount = bits;
    return hd;
}

}  // namespace

TEST(BmpFile, TwentyFourBitLayout) {
    const dib::BITMAPINFOHEADER hd = header(1, 1, 24);
    const uint8_t bits[4] = {1, 2, 3, 0xCD};
    ASSERT_EQ(bmpFileBytes(hd), 58u);
    std::vector<uint8_t> f(58);
    ASSERT_TRUE(buildBmpFile(hd, nullptr, bits, f.data(), f.size()));
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(at32(f, 2), 58u);
    EXPECT_EQ(at32(f, 6), 0u);
    EXPECT_EQ(at32(f, 10), 54u);
    EXPECT_EQ(at32(f, 14), 40u);
    EXPECT_EQ(at32(f, 18), 1u);
    EXPECT_EQ(at32(f, 22), 1u);
    EXPECT_EQ(f[26] | f[27] << 8, 1);
    EXPECT_EQ(f[28] | f[29] << 8, 24);
    for (size_t i = 30; i < 54; i += 4) EXPECT_EQ(at32(f, i), 0u) << i;
    EXPECT_EQ(std::memcmp(&f[54], bits, 4), 0);  // padding written as it stands
    // Screen sizes of the wallpaper file.
    EXPECT_EQ(bmpFileBytes(header(1024, 768, 24)), 2359350u);
    EXPECT_EQ(bmpFileBytes(header(1366, 768, 24)), 3148854u);
    EXPECT_EQ(bmpFileBytes(header(5, 1, 24)), 54u + 16u);
    EXPECT_EQ(bmpFileBytes(header(5, 1, 16)), 0u);
    EXPECT_EQ(bmpFileBytes(header(0, 1, 24)), 0u);
    std::vector<uint8_t> small(57);
    EXPECT_FALSE(buildBmpFile(hd, nullptr, bits, small.data(), small.size()));
}

TEST(BmpFile, EightBitRoundTripsThroughTheReader) {
    dib::BITMAPINFOHEADER hd = header(5, 3, 8);
    hd.biXPelsPerMeter = 3780;
    dib::RGBQUAD pal[256];
    for (int i = 0; i < 256; ++i) pal[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    const uint32_t size = pixelBlockSize(5, 3, 8);
    std::vector<uint8_t> bits(size);
    for (uint32_t i = 0; i < size; ++i) bits[i] = uint8_t(i * 13);
    EXPECT_FALSE(writeBmpFile(L"/nonexistent-folder/x.bmp", hd, pal, bits.data()));
    EXPECT_FALSE(buildBmpHeaders(hd, nullptr, bits.data(), 2000));  // palette needed

    TempDir dir;
    const std::wstring path = dir.path("out.bmp");
    ASSERT_TRUE(writeBmpFile(path.c_str(), hd, pal, bits.data()));
    const std::vector<uint8_t> f = readAll(dir.dir() / "out.bmp");
    ASSERT_EQ(f.size(), 54u + 1024 + size);
    EXPECT_EQ(at32(f, 10), 54u + 1024);
    EXPECT_EQ(at32(f, 46), 0u);

    DecoderState st;
    st.attach(f.data(), f.size());
    LoadedImage* img = decodeBmpBytes(st);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->header.biBitCount, 8);
    EXPECT_EQ(img->header.biXPelsPerMeter, 3780);
    EXPECT_EQ(std::memcmp(img->palette, pal, sizeof pal), 0);
    EXPECT_EQ(std::memcmp(img->bits, bits.data(), size), 0);
    pageFree(img->bits);
}

// The writer behind the wallpaper file: the old file stays whole until the
// new one is complete, and nothing is left behind either way.
TEST(ReplacingFile, OldFileStaysUntilTheNewOneIsComplete) {
    TempDir dir;
    const std::wstring target = dir.write("target.bmp", {'o', 'l', 'd'});
    auto filesInDir = [&] {
        return std::distance(std::filesystem::directory_iterator(dir.dir()),
                             std::filesystem::directory_iterator());
    };
    {
        ReplacingFile file;
        ASSERT_TRUE(file.create(target.c_str()));
        ASSERT_TRUE(file.write("new", 3));
        EXPECT_EQ(readAll(dir.dir() / "target.bmp"), (std::vector<uint8_t>{'o', 'l', 'd'}));
        EXPECT_EQ(filesInDir(), 2);
    }  // given up before commit
    EXPECT_EQ(readAll(dir.dir() / "target.bmp"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(filesInDir(), 1);

    ReplacingFile file;
    ASSERT_TRUE(file.create(target.c_str()));
    ASSERT_TRUE(file.write("new!", 4));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(readAll(dir.dir() / "target.bmp"), (std::vector<uint8_t>{'n', 'e', 'w', '!'}));
    EXPECT_EQ(filesInDir(), 1);
    EXPECT_FALSE(file.commit());  // nothing left to move

    EXPECT_FALSE(file.create(dir.path("missing/target.bmp").c_str()));
}
