// AVIF decoder on arbitrary bytes: the box walk and dav1d behind it never
// crash, never read or write out of bounds, give a reason for every refusal,
// and a picture they return is complete, 24-bit and within the side limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/page_alloc.h"
#include "decode/avif_container.h"
#include "decode/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Keep each run small: huge pictures from tiny files only cost time.
    AvifLayout layout;
    if (readAvifFile(data, size, layout) == DecodeError::None &&
        uint64_t{layout.width} * layout.height > (1u << 22))
        return 0;
    DecoderState state;
    state.attach(data, size);
    LoadedImage* image = decodeAvifBytes(state);
    if ((image != nullptr) != (state.error == DecodeError::None)) std::abort();
    if (!image) return 0;
    const auto& h = image->header;
    if (h.biBitCount != 24 || h.biWidth < 1 || h.biWidth > kMaxImageSide || h.biHeight < 1 ||
        h.biHeight > kMaxImageSide || !image->bits)
        std::abort();
    const size_t bytes = pixelBlockSize(h.biWidth, h.biHeight, 24);
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += image->bits[i];
    volatile unsigned sink = sum;
    (void)sink;
    pageFree(image->bits);
    return 0;
}
