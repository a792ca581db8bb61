// WebP decoder on arbitrary bytes: never crashes, never reads or writes out
// of bounds, gives a reason for every refusal, and a picture it returns is
// complete, 24-bit and within the side limit.
#include <webp/decode.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/page_alloc.h"
#include "decode/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Keep each run small: huge pictures from tiny files only cost time.
    int w = 0, h = 0;
    if (WebPGetInfo(data, size, &w, &h) && int64_t{w} * h > (1 << 22)) return 0;
    DecoderState state;
    state.attach(data, size);
    LoadedImage* image = decodeWebpBytes(state);
    if ((image != nullptr) != (state.error == DecodeError::None)) std::abort();
    if (!image) return 0;
    const auto& hd = image->header;
    if (hd.biBitCount != 24 || hd.biWidth < 1 || hd.biWidth > kMaxImageSide || hd.biHeight < 1 ||
        hd.biHeight > kMaxImageSide || !image->bits)
        std::abort();
    const size_t bytes = pixelBlockSize(hd.biWidth, hd.biHeight, 24);
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += image->bits[i];
    volatile unsigned sink = sum;
    (void)sink;
    pageFree(image->bits);
    return 0;
}
