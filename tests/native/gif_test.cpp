#include <gtest/gtest.h>

#include <cstring>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "support/gif_support.h"
#include "support/image_access.h"

using giftest::File;
using giftest::Frame;

namespace {

// Decodes bytes through decodeGif; owns the pixel block it hands back.
using Decoded = DecodedBytes;

void decode(const std::vector<uint8_t>& bytes, Decoded& out) { decodeBytes(decodeGif, bytes, out); }
bool decodes(const std::vector<uint8_t>& bytes) { return decodesBytes(decodeGif, bytes); }
DecodeError refusal(const std::vector<uint8_t>& bytes) { return refusalOf(decodeGif, bytes); }

File simpleFile(int w, int h, int colors = 256) {
    File f;
    f.screenWidth = w;
    f.screenHeight = h;
    f.globalTable = giftest::makeTable(colors, 1);
    Frame fr;
    fr.width = w;
    fr.height = h;
    fr.pixels = giftest::makePixels(w, h, colors, 2);
    f.frames.push_back(fr);
    return f;
}

// Decodes with ours and with giflib and compares indices and palette.
void expectMatchesGiflib(const std::vector<uint8_t>& bytes) {
    giftest::Reference ref;
    ASSERT_TRUE(giftest::readWithGiflib(bytes, ref));
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.header.biSize, 40u);
    EXPECT_EQ(d.image.header.biWidth, ref.width);
    EXPECT_EQ(d.image.header.biHeight, ref.height);
    EXPECT_EQ(d.image.header.biBitCount, 8);
    EXPECT_EQ(d.image.header.biPlanes, 1);
    EXPECT_EQ(d.image.header.biCompression, 0u);
    EXPECT_TRUE(giftest::topDownIndices(d.image) == ref.indices) << "pixel indices differ";
    EXPECT_EQ(std::memcmp(d.image.palette, ref.palette, sizeof ref.palette), 0)
        << "palettes differ";
}

TEST(GifDecode, Versions87aAnd89aMatchGiflib) {
    File f = simpleFile(37, 23);
    f.version89a = false;
    expectMatchesGiflib(giftest::writeGif(f));
    f.version89a = true;
    expectMatchesGiflib(giftest::writeGif(f));
}

TEST(GifDecode, LargePictureWithCodeGrowthAndClearsMatchesGiflib) {
    File f = simpleFile(1001, 677);
    const auto bytes = giftest::writeGif(f);
    expectMatchesGiflib(bytes);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(giftest::topDownIndices(d.image) == f.frames[0].pixels);
}

TEST(GifDecode, SmallCodeSizesMatchGiflib) {
    for (int bits : {2, 3, 4, 7}) {
        File f = simpleFile(61, 19, 1 << bits);
        f.lzw.minCodeSize = bits;
        SCOPED_TRACE(bits);
        expectMatchesGiflib(giftest::writeGif(f));
    }
}

TEST(GifDecode, LocalTableReplacesGlobalOne) {
    File f = simpleFile(20, 10, 16);
    f.frames[0].localTable = giftest::makeTable(16, 9);
    expectMatchesGiflib(giftest::writeGif(f));
    Decoded d;
    decode(giftest::writeGif(f), d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.palette[3].rgbRed, f.frames[0].localTable[9]);

    f.globalTable.clear();  // local table only
    expectMatchesGiflib(giftest::writeGif(f));
}

TEST(GifDecode, TwoEntryTableLeavesTheRestOfThePaletteBlack) {
    File f = simpleFile(9, 9, 2);
    f.globalTable = {10, 20, 30, 40, 50, 60};
    f.lzw.minCodeSize = 2;
    expectMatchesGiflib(giftest::writeGif(f));
    Decoded d;
    decode(giftest::writeGif(f), d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.palette[1].rgbBlue, 60);
    EXPECT_EQ(d.image.palette[1].rgbRed, 40);
    for (int i = 2; i < 256; ++i) {
        const auto& q = d.image.palette[i];
        ASSERT_EQ(q.rgbRed | q.rgbGreen | q.rgbBlue | q.rgbReserved, 0) << i;
    }
}

TEST(GifDecode, InterlacedHeightsOneToNine) {
    for (int h = 1; h <= 9; ++h) {
        File f = simpleFile(5, h, 256);
        for (size_t i = 0; i < f.frames[0].pixels.size(); ++i)
            f.frames[0].pixels[i] = static_cast<uint8_t>(i / 5 * 10 + i % 5);  // row-tagged
        f.frames[0].interlaced = true;
        SCOPED_TRACE(h);
        const auto bytes = giftest::writeGif(f);
        expectMatchesGiflib(bytes);
        Decoded d;
        decode(bytes, d);
        ASSERT_TRUE(d.ok);
        EXPECT_TRUE(giftest::topDownIndices(d.image) == f.frames[0].pixels);
    }
}

TEST(GifDecode, FrameSmallerThanScreenSitsAtItsOffsetOnTheBackground) {
    File f;
    f.screenWidth = 13;
    f.screenHeight = 11;
    f.globalTable = giftest::makeTable(8, 3);
    f.background = 5;
    f.lzw.minCodeSize = 3;
    Frame fr;
    fr.left = 4;
    fr.top = 3;
    fr.width = 6;
    fr.height = 7;
    fr.pixels = giftest::makePixels(6, 7, 5, 4);  // indices 0..4, never the background
    f.frames.push_back(fr);
    const auto bytes = giftest::writeGif(f);
    expectMatchesGiflib(bytes);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    const auto px = giftest::topDownIndices(d.image);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 13; ++x) {
            const bool inside = x >= 4 && x < 10 && y >= 3 && y < 10;
            const uint8_t want = inside ? fr.pixels[(y - 3) * 6 + (x - 4)] : 5;
            ASSERT_EQ(px[y * 13 + x], want) << x << "," << y;
        }
}

TEST(GifDecode, FrameReachingOnePixelPastTheScreenIsRefused) {
    File f = simpleFile(10, 10, 4);
    f.lzw.minCodeSize = 2;
    f.frames[0].width = 9;
    f.frames[0].pixels = giftest::makePixels(9, 10, 4, 1);
    f.frames[0].left = 1;
    EXPECT_TRUE(decodes(giftest::writeGif(f)));  // exactly fits
    f.frames[0].left = 2;
    EXPECT_EQ(refusal(giftest::writeGif(f)), DecodeError::FrameOutsideScreen);
    f.frames[0].left = 0;
    f.frames[0].height = 9;
    f.frames[0].pixels.resize(90);
    f.frames[0].top = 2;
    EXPECT_EQ(refusal(giftest::writeGif(f)), DecodeError::FrameOutsideScreen);
}

TEST(GifDecode, TransparentIndexShowsTheBackgroundColour) {
    File f = simpleFile(8, 6, 16);
    f.background = 2;
    f.frames[0].transparentIndex = 7;
    f.frames[0].localTable = giftest::makeTable(16, 5);
    const auto bytes = giftest::writeGif(f);
    expectMatchesGiflib(bytes);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.palette[7].rgbRed, f.globalTable[6]);
    EXPECT_EQ(d.image.palette[7].rgbGreen, f.globalTable[7]);
    EXPECT_EQ(d.image.palette[7].rgbBlue, f.globalTable[8]);
}

TEST(GifDecode, TransparentIndexWithoutGlobalTableIsWhite) {
    File f = simpleFile(8, 6, 16);
    f.frames[0].localTable = f.globalTable;
    f.globalTable.clear();
    f.frames[0].transparentIndex = 3;
    const auto bytes = giftest::writeGif(f);
    expectMatchesGiflib(bytes);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.palette[3].rgbRed, 255);
    EXPECT_EQ(d.image.palette[3].rgbGreen, 255);
    EXPECT_EQ(d.image.palette[3].rgbBlue, 255);
}

TEST(GifDecode, AnimationGivesItsFirstFrame) {
    File f = simpleFile(30, 20, 64);
    f.applicationBlock = true;
    Frame second = f.frames[0];
    second.pixels = giftest::makePixels(30, 20, 64, 99);
    second.transparentIndex = 1;
    f.frames[0].transparentIndex = 4;
    f.frames.push_back(second);
    const auto bytes = giftest::writeGif(f);
    expectMatchesGiflib(bytes);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(giftest::topDownIndices(d.image) == f.frames[0].pixels);
}

TEST(GifDecode, LzwStreamCutShortLeavesTheRestAtIndexZero) {
    File f = simpleFile(40, 30, 256);
    for (auto& p : f.frames[0].pixels) p = static_cast<uint8_t>(p | 1);  // never 0
    std::vector<uint8_t> full = giftest::lzwEncode(f.frames[0].pixels, f.lzw);
    full.resize(full.size() / 2);  // codes stop in the middle, no end code
    std::vector<uint8_t> bytes = giftest::writeGif(f);
    // Replace the image data: header(13) + table(768) + descriptor(10) + code size(1).
    const size_t dataAt = 13 + 768 + 10 + 1;
    bytes.resize(dataAt);
    const auto blocks = giftest::subBlocks(full);
    bytes.insert(bytes.end(), blocks.begin(), blocks.end());
    bytes.push_back(0x3B);

    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    // The codes that arrived are decoded (the last one, cut in the middle,
    // completed with zero bits), the pixels behind them stay 0.
    const auto px = giftest::topDownIndices(d.image);
    size_t matching = 0;
    while (matching < px.size() && px[matching] == f.frames[0].pixels[matching]) ++matching;
    size_t written = px.size();
    while (written > 0 && px[written - 1] == 0) --written;
    EXPECT_GT(matching, px.size() / 3);
    EXPECT_LT(written, px.size() - 100);
    EXPECT_LE(written, matching + 4096);
}

TEST(GifDecode, FileCutInsideTheImageDataIsRefused) {
    const auto bytes = giftest::writeGif(simpleFile(40, 30, 256));
    for (size_t keep : {size_t{0}, size_t{5}, size_t{12}, size_t{100}, size_t{781}, size_t{790},
                        size_t{792}, bytes.size() / 2, bytes.size() - 3})
        EXPECT_EQ(refusal(std::vector<uint8_t>(bytes.begin(), bytes.begin() + keep)),
                  DecodeError::Truncated)
            << keep;
    // Only the trailer is missing: the image is complete.
    EXPECT_TRUE(decodes(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)));
}

TEST(GifDecode, HeaderScreenAndTrailerAloneAreRefused) {
    File f = simpleFile(4, 4, 4);
    f.frames.clear();
    EXPECT_EQ(refusal(giftest::writeGif(f)), DecodeError::MissingImageData);
}

TEST(GifDecode, MalformedHeadersAndBlocksAreRefused) {
    File f = simpleFile(6, 6, 4);
    f.lzw.minCodeSize = 2;
    const auto good = giftest::writeGif(f);
    ASSERT_TRUE(decodes(good));

    auto bad = good;
    bad[4] = '8';  // "GIF88a"
    EXPECT_EQ(refusal(bad), DecodeError::BadSignature);
    bad = good;
    bad[6] = bad[7] = 0;  // width 0
    EXPECT_EQ(refusal(bad), DecodeError::SideOutOfRange);
    bad = good;
    bad[8] = 0xA9;  // height 25,001
    bad[9] = 0x61;
    EXPECT_EQ(refusal(bad), DecodeError::SideOutOfRange);
    bad = good;
    bad[10] &= 0x7F;  // no global table: the frame has none either
    bad.erase(bad.begin() + 13, bad.begin() + 13 + 12);
    EXPECT_EQ(refusal(bad), DecodeError::MissingPalette);
    bad = good;
    bad[13 + 12 + 10] = 1;  // LZW minimum code size below 2
    EXPECT_EQ(refusal(bad), DecodeError::BadHeader);
    bad[13 + 12 + 10] = 9;  // above 8
    EXPECT_EQ(refusal(bad), DecodeError::BadHeader);
    bad = good;
    bad[13 + 12 + 11] = 0;  // no data sub-block at all
    EXPECT_EQ(refusal(bad), DecodeError::MissingImageData);

    bad = good;
    const uint8_t unknownExtension[] = {0x21, 0x77, 1, 0, 0};
    bad.insert(bad.begin() + 25, unknownExtension, unknownExtension + 5);
    EXPECT_EQ(refusal(bad), DecodeError::UnknownBlock);
    bad = good;
    const uint8_t plainText[] = {0x21, 0x01, 12, 0, 0, 0, 0,   0,   0, 0,
                                 0,    0,    0,  0, 0, 2, 'h', 'i', 0};
    bad.insert(bad.begin() + 25, plainText, plainText + sizeof plainText);
    EXPECT_TRUE(decodes(bad));  // skipped like any text
    bad = good;
    bad[25] = 0x3B;  // trailer before the image
    EXPECT_EQ(refusal(bad), DecodeError::MissingImageData);
}

// A stream built from codes given one by one (minimum code size 2: clear 4,
// end 5, first free code 6).
std::vector<uint8_t> fileWithCodes(const std::vector<std::pair<uint32_t, int>>& codes, int w,
                                   int h) {
    uint64_t acc = 0;
    int bits = 0;
    std::vector<uint8_t> stream;
    for (auto [code, size] : codes) {
        acc |= uint64_t{code} << bits;
        bits += size;
        while (bits >= 8) {
            stream.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits) stream.push_back(static_cast<uint8_t>(acc));
    std::vector<uint8_t> out = {
        'G', 'I',  'F', '8', '9', 'a', static_cast<uint8_t>(w), 0, static_cast<uint8_t>(h),
        0,   0x81, 0,   0};
    const auto table = giftest::makeTable(4, 0);
    out.insert(out.end(), table.begin(), table.end());
    const uint8_t desc[] = {0x2C, 0, 0, 0, 0, static_cast<uint8_t>(w), 0, static_cast<uint8_t>(h),
                            0,    0, 2};
    out.insert(out.end(), desc, desc + sizeof desc);
    const auto blocks = giftest::subBlocks(stream);
    out.insert(out.end(), blocks.begin(), blocks.end());
    out.push_back(0x3B);
    return out;
}

TEST(GifLzw, CodeThatIsBeingDefinedRepeatsThePreviousString) {
    // clear, 1, 6 (= "1 1", defined by this very code), 7 (= "1 1 1"), end.
    const auto bytes = fileWithCodes({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}}, 6, 1);
    expectMatchesGiflib(bytes);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(giftest::topDownIndices(d.image), (std::vector<uint8_t>{1, 1, 1, 1, 1, 1}));
}

TEST(GifLzw, StreamWithoutLeadingClearCode) {
    File f = simpleFile(50, 40, 256);
    f.lzw.initialClear = false;
    const auto bytes = giftest::writeGif(f);
    expectMatchesGiflib(bytes);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(giftest::topDownIndices(d.image) == f.frames[0].pixels);
}

TEST(GifLzw, FullTableWithoutClearKeepsTwelveBitCodes) {
    File f = simpleFile(900, 500, 256);
    f.lzw.clearWhenFull = false;
    const auto bytes = giftest::writeGif(f);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(giftest::topDownIndices(d.image) == f.frames[0].pixels);
}

TEST(GifLzw, UndefinedCodeAfterClearStopsDecoding) {
    // clear, 3, clear, 7 (nothing is defined yet), 2: the picture keeps only
    // its first pixel.
    const auto bytes = fileWithCodes({{4, 3}, {3, 3}, {4, 3}, {7, 3}, {2, 3}, {5, 3}}, 4, 1);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(giftest::topDownIndices(d.image), (std::vector<uint8_t>{3, 0, 0, 0}));
}

TEST(GifLzw, StringLongerThanTheRoomLeftStopsDecoding) {
    // 1, 6 (= "1 1"), 7 (= "1 1 1") into 4 pixels: the last string no longer fits.
    const auto bytes = fileWithCodes({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}}, 4, 1);
    Decoded d;
    decode(bytes, d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(giftest::topDownIndices(d.image), (std::vector<uint8_t>{1, 1, 1, 0}));
}

}  // namespace
