// Decodes arbitrary bytes as GIF and reads every byte of any picture that
// comes back, so that a block smaller than its header claims faults here; a
// refusal must carry its reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "fuzz/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Large logical screens are valid but filling them costs more time than
    // one run should take; the code paths are the same as for small ones.
    if (size >= 10) {
        const uint32_t w = data[6] | (data[7] << 8), h = data[8] | (data[9] << 8);
        if (uint64_t{w} * h > (uint64_t{1} << 22)) return 0;
    }
    fuzzDecoder(decodeGif, data, size, [](const LoadedImage& image) {
        if (image.header.biBitCount != 8) return false;
        for (const auto& q : image.palette)
            if (q.rgbReserved != 0) return false;
        return true;
    });
    return 0;
}
