// AVIF decoder on arbitrary bytes: the box walk and dav1d behind it never
// crash, never read or write out of bounds, give a reason for every refusal,
// and a picture they return is complete, 24-bit and within the side limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/page_alloc.h"
#include "decode/avif_container.h"
#include "decode/decoders.h"
#include "fuzz/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Keep each run small: huge pictures from tiny files only cost time.
    AvifLayout layout;
    if (readAvifFile(data, size, layout) == DecodeError::None &&
        uint64_t{layout.width} * layout.height > (1u << 22))
        return 0;
    fuzzDecoder(decodeAvifBytes, data, size,
                [](const LoadedImage& image) { return image.header.biBitCount == 24; });
    return 0;
}
