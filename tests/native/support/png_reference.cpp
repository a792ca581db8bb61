#include "support/png_reference.h"

#include <png.h>

#include <cstring>

namespace pngtest {
namespace {

struct Reader {
    const std::vector<uint8_t>* file;
    size_t pos;
};

void readBytes(png_structp png, png_bytep out, size_t n) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (r->file->size() - r->pos < n) png_error(png, "read past end");
    std::memcpy(out, r->file->data() + r->pos, n);
    r->pos += n;
}

}  // namespace

bool readWithLibpng(const std::vector<uint8_t>& file, ReferenceImage* out) {
    Reader reader{&file, 0};
    std::vector<png_bytep> rows;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, readBytes);
    png_read_info(png, info);
    const int colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
        if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY) png_set_expand_gray_1_2_4_to_8(png);
    png_set_strip_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->channels = png_get_channels(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    out->pixels.assign(rowBytes * out->height, 0);
    rows.resize(out->height);
    for (uint32_t y = 0; y < out->height; ++y) rows[y] = out->pixels.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace pngtest
