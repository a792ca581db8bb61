// JPEG reader: libjpeg over the mapped bytes. Our part is the glue: an error
// manager that returns the library's fatal errors, and our own refusals, to
// one recovery point; a source manager over the mapping; the output form by
// component count (grey with a ramp palette, blue-green-red, CMYK
// converted), the bottom-up row order and the JFIF resolution.

#include <csetjmp>
#include <cstring>
#include <utility>

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "decode/exif.h"

namespace {

// A progressive file with more scans than this is hostile: every scan walks
// the whole picture again.
constexpr int kMaxScans = 1000;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf recovery;
    DecodeError reason;  // why the decode stopped
};

struct SourceManager {
    jpeg_source_mgr pub;
    JOCTET endOfImage[2];
};

// Everything the library works on during one decode. Plain data only: the
// library leaves by longjmp, which skips destructors.
struct JpegWork {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    SourceManager src;
    jpeg_progress_mgr progress;
};

// The one way out of a decode that fails, for the library's fatal errors and
// for the checks of our own alike: back to the recovery point in
// decompress(), whose branch releases everything.
[[noreturn]] void stop(j_common_ptr cinfo, DecodeError reason) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->reason = reason;
    longjmp(err->recovery, 1);
}

[[noreturn]] void errorExit(j_common_ptr cinfo) { stop(cinfo, DecodeError::LibraryError); }

void stopRunawayScans(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) stop(cinfo, DecodeError::TooManyScans);
}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

// Wherever the data runs out the library is handed an end-of-image marker, so
// a truncated file ends cleanly with what it has.
boolean fillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
    src->endOfImage[0] = 0xFF;
    src->endOfImage[1] = JPEG_EOI;
    src->pub.next_input_byte = src->endOfImage;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto* src = &cinfo->src[0];
    const size_t n = static_cast<size_t>(count);
    if (n >= src->bytes_in_buffer) {
        src->next_input_byte += src->bytes_in_buffer;
        src->bytes_in_buffer = 0;
    } else {
        src->next_input_byte += n;
        src->bytes_in_buffer -= n;
    }
}

// C[a][b] = floor(a * b / 255), the CMYK ink product; built once.
const uint8_t* inkTable() noexcept {
    struct Table {
        uint8_t t[256 * 256];
        Table() noexcept {
            for (uint32_t a = 0; a < 256; ++a)
                for (uint32_t b = 0; b < 256; ++b)
                    t[a * 256 + b] = static_cast<uint8_t>(a * b / 255);
        }
    };
    static const Table table;
    return table.t;
}

struct JpegResult {
    uint32_t width, height;
    int bitCount;
    int32_t xPelsPerMeter, yPelsPerMeter;
};

// The JFIF density unit; without one the densities give only the aspect.
enum DensityUnit : int { kAspectOnly = 0, kDotsPerInch = 1, kDotsPerCentimetre = 2 };

int32_t pelsPerMeter(int unit, unsigned density) noexcept {
    // Dots per inch / 0.0254, rounded; the exact quotient is never a half.
    if (unit == kDotsPerInch) return static_cast<int32_t>((density * 10000u + 127u) / 254u);
    if (unit == kDotsPerCentimetre) return static_cast<int32_t>(density * 100u);
    return 0;
}

// Runs the library over data[0..size) and returns the filled pixel block, or
// null with the reason in *reason. Every failure leaves through stop() to
// the setjmp below, so this function holds nothing with a destructor; the
// block is a plain pointer, released in that one branch.
uint8_t* decompress(JpegWork* w, const uint8_t* data, size_t size, JpegResult* out,
                    DecodeError* reason) {
    std::memset(w, 0, sizeof *w);
    j_decompress_ptr cinfo = &w->cinfo;
    const auto common = reinterpret_cast<j_common_ptr>(cinfo);
    uint8_t* volatile pixels = nullptr;

    cinfo->err = jpeg_std_error(&w->err.pub);
    w->err.pub.error_exit = errorExit;
    if (setjmp(w->err.recovery)) {
        jpeg_destroy_decompress(cinfo);
        pageFree(pixels);
        *reason = w->err.reason;
        return nullptr;
    }
    jpeg_create_decompress(cinfo);
    w->progress.progress_monitor = stopRunawayScans;
    cinfo->progress = &w->progress;

    w->src.pub.next_input_byte = data;
    w->src.pub.bytes_in_buffer = size;
    w->src.pub.init_source = initSource;
    w->src.pub.fill_input_buffer = fillInputBuffer;
    w->src.pub.skip_input_data = skipInputData;
    w->src.pub.resync_to_restart = jpeg_resync_to_restart;
    w->src.pub.term_source = termSource;
    cinfo->src = &w->src.pub;

    jpeg_read_header(cinfo, TRUE);
    // The size limit is checked before the library sets up anything that
    // grows with the picture.
    if (cinfo->image_width < 1 || cinfo->image_width > uint32_t{kMaxImageSide} ||
        cinfo->image_height < 1 || cinfo->image_height > uint32_t{kMaxImageSide})
        stop(common, DecodeError::SideOutOfRange);
#ifdef JCS_EXTENSIONS
    const bool libraryGivesBgr = cinfo->out_color_space == JCS_RGB;
    if (libraryGivesBgr) cinfo->out_color_space = JCS_EXT_BGR;
#else
    const bool libraryGivesBgr = false;
#endif
    jpeg_start_decompress(cinfo);

    const uint32_t width = cinfo->output_width, height = cinfo->output_height;
    const int components = cinfo->output_components;
    if (width < 1 || width > uint32_t{kMaxImageSide} || height < 1 ||
        height > uint32_t{kMaxImageSide})
        stop(common, DecodeError::SideOutOfRange);
    if (components != 1 && components != 3 && components != 4)
        stop(common, DecodeError::UnsupportedColourModel);
    const int bitCount = components == 1 ? 8 : 24;
    const uint32_t stride = rowStride(static_cast<int32_t>(width), bitCount);
    const uint32_t blockSize =
        pixelBlockSize(static_cast<int32_t>(width), static_cast<int32_t>(height), bitCount);
    if (blockSize == 0) stop(common, DecodeError::TooLarge);
    pixels = static_cast<uint8_t*>(pageAlloc(blockSize));
    if (!pixels) stop(common, DecodeError::OutOfMemory);
    uint8_t* const block = pixels;
    // The first scanline is the top row, the last row of the block.
    auto rowAt = [&](uint32_t line) { return block + size_t{height - 1 - line} * stride; };

    const bool direct = components == 1 || (components == 3 && libraryGivesBgr);
    if (direct) {
        // Grey and blue-green-red scanlines land in the block as they come.
        JSAMPROW rows[8];
        while (cinfo->output_scanline < height) {
            const uint32_t first = cinfo->output_scanline;
            uint32_t n = height - first;
            if (n > 8) n = 8;
            for (uint32_t i = 0; i < n; ++i) rows[i] = rowAt(first + i);
            if (jpeg_read_scanlines(cinfo, rows, n) == 0) stop(common, DecodeError::LibraryError);
        }
    } else {
        const uint8_t* ink = components == 4 ? inkTable() : nullptr;
        JSAMPARRAY line = (*cinfo->mem->alloc_sarray)(common, JPOOL_IMAGE, width * components, 1);
        while (cinfo->output_scanline < height) {
            uint8_t* dst = rowAt(cinfo->output_scanline);
            if (jpeg_read_scanlines(cinfo, line, 1) != 1) stop(common, DecodeError::LibraryError);
            const uint8_t* s = line[0];
            if (components == 3) {
                // Red first from the library: swap into the bitmap's order.
                for (uint32_t x = 0; x < width; ++x, s += 3, dst += 3) {
                    dst[0] = s[2];
                    dst[1] = s[1];
                    dst[2] = s[0];
                }
            } else {
                for (uint32_t x = 0; x < width; ++x, s += 4, dst += 3) {
                    const uint8_t* k = ink + (s[3] << 8);
                    dst[0] = k[s[2]];
                    dst[1] = k[s[1]];
                    dst[2] = k[s[0]];
                }
            }
        }
    }
    jpeg_finish_decompress(cinfo);
    out->width = width;
    out->height = height;
    out->bitCount = bitCount;
    out->xPelsPerMeter = pelsPerMeter(cinfo->density_unit, cinfo->X_density);
    out->yPelsPerMeter = pelsPerMeter(cinfo->density_unit, cinfo->Y_density);
    jpeg_destroy_decompress(cinfo);
    return block;
}

}  // namespace

LoadedImage* decodeJpegBytes(DecoderState& state) noexcept {
    state.error = DecodeError::None;
    if (!state.view || state.fileSize == 0) return state.fail(DecodeError::Truncated);
    std::memset(state.image.palette, 0, sizeof state.image.palette);
    JpegWork work;
    JpegResult result{};
    DecodeError reason = DecodeError::None;
    uint8_t* pixels = decompress(&work, state.view, state.fileSize, &result, &reason);
    if (!pixels) return state.fail(reason);
    if (result.bitCount == 8) {
        for (int i = 0; i < 256; ++i) {
            auto& e = state.image.palette[i];
            e.rgbBlue = e.rgbGreen = e.rgbRed = static_cast<uint8_t>(i);
            e.rgbReserved = 0;
        }
    }
    setOutputHeader(state, static_cast<int32_t>(result.width), static_cast<int32_t>(result.height),
                    result.bitCount, result.xPelsPerMeter, result.yPelsPerMeter);
    state.image.bits = pixels;
    // A camera's orientation tag: the picture is kept upright.
    if (!applyOrientation(state.image, jpegOrientation(state.view, state.fileSize))) {
        const PageBlock dropped = PageBlock::adopt(std::exchange(state.image.bits, nullptr));
        return state.fail(DecodeError::OutOfMemory);
    }
    return &state.image;
}

LoadedImage* decodeJpeg(const wchar_t* path, DecoderState& state) noexcept {
    if (!mapImageFile(path, state)) return nullptr;
    return decodeJpegBytes(state);
}
