// PNG decoder on arbitrary bytes: never crashes, never reads or writes out of
// bounds, gives a reason for every refusal, and a picture it returns is
// complete and as described.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "fuzz/decoder_fuzz.h"

namespace {
uint32_t be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Keep each run small: huge pictures from tiny files only cost time.
    if (size >= 24 && uint64_t{be32(data + 16)} * be32(data + 20) > (1u << 22)) return 0;
    fuzzDecoder(decodePng, data, size, [&](const LoadedImage& image) {
        const auto& h = image.header;
        return size >= 24 && h.biWidth == int32_t(be32(data + 16)) &&
               h.biHeight == int32_t(be32(data + 20)) && (h.biBitCount == 8 || h.biBitCount == 24);
    });
    return 0;
}
