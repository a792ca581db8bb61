// WebP decoder on arbitrary bytes: never crashes, never reads or writes out
// of bounds, gives a reason for every refusal, and a picture it returns is
// complete, 24-bit and within the side limit.
#include <webp/decode.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "fuzz/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Keep each run small: huge pictures from tiny files only cost time.
    int w = 0, h = 0;
    if (WebPGetInfo(data, size, &w, &h) && int64_t{w} * h > (1 << 22)) return 0;
    fuzzDecoder(decodeWebpBytes, data, size,
                [](const LoadedImage& image) { return image.header.biBitCount == 24; });
    return 0;
}
