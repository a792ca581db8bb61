// JPEG decoder on arbitrary bytes: never crashes, never reads or writes out
// of bounds, gives a reason for every refusal, and a picture it returns is
// complete and as described.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "fuzz/decoder_fuzz.h"

namespace {

// The picture's size as the library reads it, 0 when it cannot.
struct Quiet {
    jpeg_error_mgr pub;
    jmp_buf jump;
};
void jumpOut(j_common_ptr c) { longjmp(reinterpret_cast<Quiet*>(c->err)->jump, 1); }
void silent(j_common_ptr) {}

uint64_t pixelsOf(const uint8_t* data, size_t size) {
    jpeg_decompress_struct d{};
    Quiet err;
    d.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jumpOut;
    err.pub.output_message = silent;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&d);
        return 0;
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d, TRUE);
    const uint64_t n = uint64_t{d.image_width} * d.image_height;
    jpeg_destroy_decompress(&d);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Huge pictures from tiny files only cost time and memory (a progressive
    // file keeps all its coefficients).
    if (pixelsOf(data, size) > (1u << 22)) return 0;
    fuzzDecoder(decodeJpegBytes, data, size, [](const LoadedImage& image) {
        return image.header.biBitCount == 8 || image.header.biBitCount == 24;
    });
    return 0;
}
