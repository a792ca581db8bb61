#include "decode/size_probe.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/decode_error_print.h"
#include "support/gif_support.h"
#include "support/test_files.h"
#include "support/tiff_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

ImageSize probe(ImageFormat format, const Bytes& bytes) {
    MemoryProbeSource source(bytes.data(), bytes.size());
    return probeImageSize(format, source);
}

// The size, and why a side is missing (None when both were read).
void expectSize(const ImageSize& s, int32_t w, int32_t h, DecodeError reason = DecodeError::None) {
    EXPECT_EQ(s.width, w);
    EXPECT_EQ(s.height, h);
    EXPECT_EQ(s.error, reason);
}

Bytes bmpHeader(int32_t w, int32_t h) {
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    b[14] = 40;
    std::memcpy(&b[18], &w, 4);  // little-endian host
    std::memcpy(&b[22], &h, 4);
    b[26] = 1;
    b[28] = 24;
    return b;
}

void appendPng(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

Bytes writePng(uint32_t w, uint32_t h) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendPng, nullptr);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    Bytes row(w, 128);
    for (uint32_t y = 0; y < h; ++y) png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A baseline or progressive JPEG from libjpeg, with an EXIF block in front of
// the frame header when asked.
Bytes writeJpeg(int w, int h, bool progressive, bool exif) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    if (exif) {
        // Big enough to hold bytes that look like a frame header.
        Bytes block(3000, 0);
        std::memcpy(block.data(), "Exif\0\0", 6);
        const uint8_t fake[] = {0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x10, 0x00, 0x10};
        std::memcpy(&block[100], fake, sizeof fake);
        jpeg_write_marker(&c, JPEG_APP0 + 1, block.data(), static_cast<unsigned>(block.size()));
    }
    Bytes row(static_cast<size_t>(w), 77);
    JSAMPROW rows[1] = {row.data()};
    while (c.next_scanline < c.image_height) jpeg_write_scanlines(&c, rows, 1);
    jpeg_finish_compress(&c);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

Bytes gifFile(int screenW, int screenH, int frameW, int frameH) {
    giftest::File f;
    f.screenWidth = screenW;
    f.screenHeight = screenH;
    f.globalTable = giftest::makeTable(4, 0);
    f.lzw.minCodeSize = 2;
    giftest::Frame fr;
    fr.width = frameW;
    fr.height = frameH;
    fr.pixels.assign(static_cast<size_t>(frameW) * frameH, 1);
    f.frames.push_back(fr);
    return giftest::writeGif(f);
}

TEST(SizeProbe, ReadsEachBuiltInFormatsHeader) {
    expectSize(probe(ImageFormat::Bmp, bmpHeader(640, 480)), 640, 480);
    expectSize(probe(ImageFormat::Png, writePng(1031, 7)), 1031, 7);
    expectSize(probe(ImageFormat::Jpeg, writeJpeg(333, 222, false, false)), 333, 222);
    expectSize(probe(ImageFormat::Jpeg, writeJpeg(100, 50, true, false)), 100, 50);

    tifftest::File t;
    t.width = 300;
    t.height = 200;
    t.data.assign(300 * 200, 0);
    expectSize(probe(ImageFormat::Tiff, tifftest::writeTiff(t)), 300, 200);
}

TEST(SizeProbe, GifIsMeasuredByItsLogicalScreen) {
    expectSize(probe(ImageFormat::Gif, gifFile(800, 600, 10, 5)), 800, 600);
}

TEST(SizeProbe, TopDownBmpHasANegativeHeight) {
    expectSize(probe(ImageFormat::Bmp, bmpHeader(1024, -768)), 1024, -768);
}

TEST(SizeProbe, JpegBlocksBeforeTheFrameHeaderAreSkippedByTheirLength) {
    // The EXIF block carries bytes that look like a frame header of 16 x 16.
    expectSize(probe(ImageFormat::Jpeg, writeJpeg(1280, 720, false, true)), 1280, 720);
}

TEST(SizeProbe, JpegFillBytesAndStandaloneMarkersAreStepped) {
    const Bytes b = {0x00, 0x12, 0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xE0, 0x00, 0x04, 0xAA,
                     0xBB, 0xFF, 0xC2, 0x00, 0x11, 0x08, 0x01, 0x02, 0x03, 0x04};
    expectSize(probe(ImageFormat::Jpeg, b), 0x0304, 0x0102);
}

TEST(SizeProbe, OtherJpegFrameTypesGiveNoSize) {
    for (uint8_t sof : {0xC3, 0xC5, 0xC9, 0xCA, 0xCB, 0xCF}) {
        const Bytes b = {0xFF, 0xD8, 0xFF, sof,  0x00, 0x0B, 0x08, 0x01, 0x00, 0x02, 0x00,
                         0x01, 0x01, 0x11, 0x00, 0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9};
        expectSize(probe(ImageFormat::Jpeg, b), 0, 0, DecodeError::UnsupportedCompression);
    }
}

TEST(SizeProbe, JpegScanStopsAtScanEndOrBadLength) {
    expectSize(probe(ImageFormat::Jpeg, {0xFF, 0xD8, 0xFF, 0xDA, 0xFF, 0xC0, 0, 17, 8, 0, 9, 0, 9}),
               0, 0, DecodeError::MissingImageData);
    expectSize(probe(ImageFormat::Jpeg,
                     {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x01, 0xFF, 0xC0, 0, 17, 8, 0, 9, 0, 9}),
               0, 0, DecodeError::BadHeader);
    expectSize(probe(ImageFormat::Jpeg, {0xFF, 0xD8, 0xFF, 0xE1, 0x40, 0x00}), 0, 0,
               DecodeError::Truncated);
    expectSize(probe(ImageFormat::Jpeg, {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x02}), 0, 0,
               DecodeError::Truncated);
}

TEST(SizeProbe, BigEndianTiffWithShortWidth) {
    tifftest::File t;
    t.bigEndian = true;
    t.sizeAsShort = true;
    t.width = 0x1234;
    t.height = 3;
    t.data.assign(0x1234 * 3, 0);
    expectSize(probe(ImageFormat::Tiff, tifftest::writeTiff(t)), 0x1234, 3);
    t.sizeAsShort = false;
    expectSize(probe(ImageFormat::Tiff, tifftest::writeTiff(t)), 0x1234, 3);
}

TEST(SizeProbe, TiffDirectoryScanEndsWithoutASize) {
    // Directory offset 0, an empty directory, a first tag of 0, a directory past the end.
    expectSize(probe(ImageFormat::Tiff, {'I', 'I', 42, 0, 0, 0, 0, 0}), 0, 0,
               DecodeError::BadHeader);
    expectSize(probe(ImageFormat::Tiff, {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0}), 0, 0,
               DecodeError::BadHeader);
    expectSize(probe(ImageFormat::Tiff, {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0, 0}), 0, 0,
               DecodeError::BadHeader);
    expectSize(probe(ImageFormat::Tiff, {'M', 'M', 0, 42, 0x7F, 0, 0, 0}), 0, 0,
               DecodeError::Truncated);
    expectSize(probe(ImageFormat::Tiff, {'X', 'X', 42, 0, 8, 0, 0, 0}), 0, 0,
               DecodeError::BadSignature);
    // A width of type RATIONAL has no value; the height is still read.
    const Bytes b = {'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0,        //
                     0,   1,   5,  0, 1, 0, 0, 0, 9, 9, 9, 9,  //
                     1,   1,   3,  0, 1, 0, 0, 0, 7, 0, 0, 0};
    expectSize(probe(ImageFormat::Tiff, b), 0, 7, DecodeError::BadHeader);
}

TEST(SizeProbe, TiffOrientationAfterTheSizeGivesTheUprightSize) {
    // ImageWidth 40, ImageLength 30, Orientation v: quarter turns swap the sides.
    for (uint8_t v : {1, 3, 5, 6, 8, 9}) {
        const Bytes b = {'I',  'I', 42, 0, 8, 0, 0, 0, 3,  0,        //
                         0,    1,   3,  0, 1, 0, 0, 0, 40, 0, 0, 0,  //
                         1,    1,   3,  0, 1, 0, 0, 0, 30, 0, 0, 0,  //
                         0x12, 1,   3,  0, 1, 0, 0, 0, v,  0, 0, 0, 0, 0, 0, 0};
        const bool swapped = v >= 5 && v <= 8;
        expectSize(probe(ImageFormat::Tiff, b), swapped ? 30 : 40, swapped ? 40 : 30);
    }
}

TEST(SizeProbe, ShortReadsLeaveTheValueZero) {
    Bytes bmp = bmpHeader(640, 480);
    bmp.resize(24);  // the height is cut
    expectSize(probe(ImageFormat::Bmp, bmp), 640, 0, DecodeError::Truncated);
    Bytes png = writePng(20, 10);
    png.resize(22);
    expectSize(probe(ImageFormat::Png, png), 20, 0, DecodeError::Truncated);
    expectSize(probe(ImageFormat::Gif, {'G', 'I', 'F', '8', '9', 'a', 5}), 0, 0,
               DecodeError::Truncated);
    expectSize(probe(ImageFormat::Unknown, bmpHeader(640, 480)), 0, 0, DecodeError::UnknownFormat);
    expectSize(probe(ImageFormat::ReadError, {}), 0, 0, DecodeError::Truncated);
}

// A size filter for one test, with no plug-ins.
class SizeFiltering : public testing::Test {
protected:
    void minimum(int32_t w, int32_t h) {
        filter_.minWidth = w;
        filter_.minHeight = h;
    }
    bool passes(const std::wstring& path, DecodeError* reason = nullptr) {
        return passesSizeFilter(path.c_str(), filter_, reason);
    }
    // Why the file failed the filter (None: it was measured and is too small).
    DecodeError failure(const std::wstring& path) {
        DecodeError reason = DecodeError::None;
        EXPECT_FALSE(passes(path, &reason)) << path;
        return reason;
    }
    SizeFilter filter_;
    TempDir dir;
};

TEST_F(SizeFiltering, NoMinimumPassesWithoutTouchingTheFile) {
    minimum(0, 0);
    EXPECT_TRUE(passes(dir.path("missing.png")));
}

TEST_F(SizeFiltering, ExactlyTheMinimumPasses) {
    const auto png = dir.write("a.png", writePng(1024, 768));
    minimum(1024, 768);
    EXPECT_TRUE(passes(png));
    minimum(1025, 768);
    EXPECT_EQ(failure(png), DecodeError::None);
    minimum(1024, 769);
    EXPECT_EQ(failure(png), DecodeError::None);
}

TEST_F(SizeFiltering, EachFormatIsMeasuredFromItsHeader) {
    minimum(800, 600);
    EXPECT_TRUE(passes(dir.write("a.bmp", bmpHeader(800, 600))));
    EXPECT_FALSE(passes(dir.write("td.bmp", bmpHeader(800, -600))));
    EXPECT_TRUE(passes(dir.write("s.gif", gifFile(800, 600, 8, 8))));
    EXPECT_FALSE(passes(dir.write("n.gif", gifFile(799, 600, 8, 8))));
    EXPECT_TRUE(passes(dir.write("e.jpg", writeJpeg(800, 600, false, true))));
    const Bytes lossless = {0xFF, 0xD8, 0xFF, 0xC3, 0x00, 0x0B, 0x08, 0x04, 0x00, 0x04,
                            0x00, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xDA, 0x00, 0x02, 0xFF};
    EXPECT_EQ(failure(dir.write("l.jpg", lossless)), DecodeError::UnsupportedCompression);
    tifftest::File t;
    t.bigEndian = true;
    t.sizeAsShort = true;
    t.width = 1000;
    t.height = 700;
    t.data.assign(1000, 0);  // the probe reads no pixels
    EXPECT_TRUE(passes(dir.write("t.tif", tifftest::writeTiff(t))));
}

TEST_F(SizeFiltering, FilesThatCannotBeProbedFail) {
    minimum(1, 1);
    EXPECT_EQ(failure(dir.path("missing.png")), DecodeError::OpenFailed);
    EXPECT_EQ(failure(dir.write("empty.gif", {})), DecodeError::EmptyFile);
    // Not a built-in format, and no plug-ins to ask, or none that answers.
    const std::wstring pcx = dir.write("x.pcx", {10, 5, 1, 8, 0, 0, 0, 0});
    EXPECT_EQ(failure(pcx), DecodeError::UnknownFormat);
    const std::wstring folder = dir.dir().wstring();
    filter_.pluginFolder = folder.c_str();
    EXPECT_EQ(failure(pcx), DecodeError::NoPlugin);
    EXPECT_EQ(failure(dir.write("cut.gif", {'G', 'I', 'F', '8', '9'})), DecodeError::Truncated);
}

}  // namespace
