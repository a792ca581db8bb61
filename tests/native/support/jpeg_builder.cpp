#include "support/jpeg_builder.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <random>

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

namespace jpegtest {
namespace {

struct Error {
    jpeg_error_mgr pub;
    jmp_buf jump;
};
void jumpOut(j_common_ptr cinfo) { longjmp(reinterpret_cast<Error*>(cinfo->err)->jump, 1); }
void quiet(j_common_ptr) {}

}  // namespace

std::vector<uint8_t> photoSamples(uint32_t width, uint32_t height, int components, uint32_t seed) {
    std::vector<uint8_t> out(size_t(width) * height * components);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-6, 6);
    const double f = 0.5 + (seed % 7) * 0.1;
    size_t i = 0;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            for (int c = 0; c < components; ++c) {
                const double v = 128 + 70 * std::sin((x * 0.021 + c) * f + y * 0.013) +
                                 40 * std::cos(y * 0.017 * f - x * 0.008 + c * 2);
                int s = int(v) + noise(rng);
                out[i++] = uint8_t(s < 0 ? 0 : s > 255 ? 255 : s);
            }
        }
    }
    return out;
}

Bytes encodeJpeg(uint32_t width, uint32_t height, const std::vector<uint8_t>& samples,
                 const EncodeOptions& o) {
    jpeg_compress_struct c{};
    Error err;
    c.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jumpOut;
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&c);
        std::free(mem);
        return {};
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, &mem, &memSize);
    c.image_width = width;
    c.image_height = height;
    c.input_components = o.components;
    c.in_color_space = o.components == 1   ? JCS_GRAYSCALE
                       : o.components == 3 ? JCS_RGB
                       : o.components == 4 ? JCS_CMYK
                                           : JCS_UNKNOWN;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, o.quality, TRUE);
    if (o.progressive) jpeg_simple_progression(&c);
    c.arith_code = o.arithmetic ? TRUE : FALSE;
    c.restart_in_rows = o.restartRows;
    if (o.components == 1 || o.components == 3) {
        c.write_JFIF_header = TRUE;
        c.density_unit = uint8_t(o.densityUnit);
        c.X_density = uint16_t(o.xDensity);
        c.Y_density = uint16_t(o.yDensity);
    }
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(samples.data() + size_t(c.next_scanline) * width * o.components);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(mem, mem + memSize);
    std::free(mem);
    return out;
}

bool referenceDecode(const Bytes& file, Reference* out) {
    jpeg_decompress_struct d{};
    Error err;
    d.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jumpOut;
    err.pub.output_message = quiet;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&d);
        return false;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), (unsigned long)file.size());
    jpeg_read_header(&d, TRUE);
    if (d.out_color_space == JCS_RGB) d.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&d);
    out->width = d.output_width;
    out->height = d.output_height;
    out->components = d.output_components;
    const size_t stride = size_t(out->width) * out->components;
    out->pixels.assign(stride * out->height, 0);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = out->pixels.data() + d.output_scanline * stride;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return true;
}

}  // namespace jpegtest
