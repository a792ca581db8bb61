// Writes the decoder benchmark's files (PNG kinds, JPEG, GIF, LZW TIFF, all
// 4000 x 3000 photo-like content, made with the formats' own libraries),
// times this build's decoders on them and keeps the figures beside the
// files, where the 32-bit program's benchmark under Wine reads both
// (bench/windows/decoders_bench.cpp). Usage: decoders_bench [FOLDER]
// (default build/bench/decoder_files); other arguments are ignored.
#include <gif_lib.h>
// clang-format off
#include <cstdio>  // jpeglib.h needs FILE
#include <jpeglib.h>
// clang-format on
#include <png.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "decoders_timing.h"

namespace {

using Bytes = std::vector<uint8_t>;
using decoderbench::Codec;
constexpr uint32_t kW = 4000, kH = 3000;

// Smooth shapes plus sensor-like noise, red, green, blue, alpha.
Bytes photo() {
    Bytes p(size_t(kW) * kH * 4);
    std::vector<float> sx(4 * size_t(kW)), sy(4 * size_t(kH));
    for (int c = 0; c < 4; ++c) {
        for (uint32_t x = 0; x < kW; ++x)
            sx[c * size_t(kW) + x] = 60 * std::sin(x * (0.0021f + 0.0007f * c) + c) +
                                     25 * std::sin(x * 0.031f * (c + 1));
        for (uint32_t y = 0; y < kH; ++y)
            sy[c * size_t(kH) + y] =
                45 * std::cos(y * (0.0033f + 0.0005f * c) - c) + 15 * std::sin(y * 0.027f + c);
    }
    uint32_t lcg = 12345;
    size_t i = 0;
    for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW; ++x)
            for (int c = 0; c < 4; ++c, ++i) {
                lcg = lcg * 1664525u + 1013904223u;
                float v = 128 + sx[c * size_t(kW) + x] + sy[c * size_t(kH) + y] +
                          float(int((lcg >> 24) % 9) - 4);
                if (c == 3) v = 200 + 2 * (v - 128);
                p[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
    return p;
}

uint8_t paletteIndex(const uint8_t* s) {
    return uint8_t((s[0] * 6 / 256) * 42 + (s[1] * 7 / 256) * 6 + s[2] * 6 / 256);
}

void appendPng(png_structp png, png_bytep data, size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void flushNothing(png_structp) {}

// colourType/depth as PNG has them; libpng's default filter choice.
Bytes writePng(const Bytes& p, int colourType, int depth, bool interlaced) {
    const int channels = colourType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                         : colourType == PNG_COLOR_TYPE_RGB     ? 3
                                                                : 1;
    const size_t rowBytes = size_t(kW) * channels * (depth / 8);
    Bytes image(rowBytes * kH);
    for (size_t px = 0; px < size_t(kW) * kH; ++px) {
        const uint8_t* s = &p[px * 4];
        if (colourType == PNG_COLOR_TYPE_PALETTE)
            image[px] = paletteIndex(s);
        else if (colourType == PNG_COLOR_TYPE_GRAY)
            image[px] = uint8_t((s[0] * 77 + s[1] * 150 + s[2] * 29) >> 8);
        else if (depth == 16)
            for (int c = 0; c < 3; ++c) {
                image[px * 6 + 2 * c] = s[c];
                image[px * 6 + 2 * c + 1] = uint8_t(s[(c + 1) % 3] * 37);
            }
        else
            std::memcpy(&image[px * channels], s, channels);
    }
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) std::abort();
    png_set_write_fn(png, &out, appendPng, flushNothing);
    png_set_IHDR(png, info, kW, kH, depth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[252];
        for (int i = 0; i < 252; ++i)
            palette[i] = {uint8_t((i / 42) * 51), uint8_t((i / 6 % 7) * 42), uint8_t((i % 6) * 51)};
        png_set_PLTE(png, info, palette, 252);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rows(kH);
    for (uint32_t y = 0; y < kH; ++y) rows[y] = image.data() + y * rowBytes;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes writeJpeg(const Bytes& p) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = kW;
    c.image_height = kH;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    Bytes row(size_t(kW) * 3);
    while (c.next_scanline < kH) {
        const uint8_t* s = &p[size_t(c.next_scanline) * kW * 4];
        for (uint32_t x = 0; x < kW; ++x) std::memcpy(&row[x * 3], s + x * 4, 3);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return out;
}

int appendGif(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

Bytes writeGif(const Bytes& p) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendGif, &error);
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    for (int i = 0; i < 256; ++i)
        map->Colors[i] = GifColorType{GifByteType((i / 42) * 51), GifByteType((i / 6 % 7) * 42),
                                      GifByteType((i % 6) * 51)};
    EGifPutScreenDesc(gif, kW, kH, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, kW, kH, false, nullptr);
    std::vector<GifPixelType> line(kW);
    for (uint32_t y = 0; y < kH; ++y) {
        for (uint32_t x = 0; x < kW; ++x) line[x] = paletteIndex(&p[(size_t(y) * kW + x) * 4]);
        EGifPutLine(gif, line.data(), kW);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

// RGB, LZW with the horizontal predictor, libtiff's usual strips.
Bytes writeTiffLzw(const Bytes& p, const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kW);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kH);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    Bytes row(size_t(kW) * 3);
    for (uint32_t y = 0; y < kH; ++y) {
        const uint8_t* s = &p[size_t(y) * kW * 4];
        for (uint32_t x = 0; x < kW; ++x) std::memcpy(&row[x * 3], s + x * 4, 3);
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
    return decoderbench::readFile(path);
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok && !bytes.empty();
}

Bytes make(const decoderbench::Sample& s, const Bytes& p, const std::string& path) {
    const std::string n = s.name;
    if (n == "png_rgb8") return writePng(p, PNG_COLOR_TYPE_RGB, 8, false);
    if (n == "png_rgba8") return writePng(p, PNG_COLOR_TYPE_RGB_ALPHA, 8, false);
    if (n == "png_palette8") return writePng(p, PNG_COLOR_TYPE_PALETTE, 8, false);
    if (n == "png_grey8") return writePng(p, PNG_COLOR_TYPE_GRAY, 8, false);
    if (n == "png_rgb16") return writePng(p, PNG_COLOR_TYPE_RGB, 16, false);
    if (n == "png_rgb8_adam7") return writePng(p, PNG_COLOR_TYPE_RGB, 8, true);
    if (n == "jpeg_q90") return writeJpeg(p);
    if (n == "gif_256") return writeGif(p);
    if (n == "tiff_lzw_rgb8") return writeTiffLzw(p, path);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder =
        argc > 1 && argv[1][0] != '-' ? argv[1] : decoderbench::defaultFolder();
    mkdir(folder.c_str(), 0755);
    const Bytes p = photo();
    FILE* figures = std::fopen(decoderbench::figuresPath(folder).c_str(), "w");
    if (!figures) {
        std::fprintf(stderr, "decoders_bench: cannot write into %s\n", folder.c_str());
        return 1;
    }
    std::printf("%-16s %10s %12s\n", "file", "MB", "native ms");
    int status = 0;
    for (const auto& s : decoderbench::kSamples) {
        const std::string path = decoderbench::samplePath(folder, s);
        Bytes bytes = decoderbench::readFile(path);
        if (bytes.empty()) {
            bytes = make(s, p, path);
            if (!writeFile(path, bytes)) status = 1;
        }
        const double ms = decoderbench::bestMs(bytes, s.codec);
        std::printf("%-16s %10.2f %12.1f\n", s.name, bytes.size() / 1e6, ms);
        std::fprintf(figures, "%s %.3f\n", s.name, ms);
        if (ms < 0) status = 1;
    }
    std::fclose(figures);
    return status;
}
