// Decodes arbitrary bytes as GIF and reads every byte of any picture that
// comes back, so that a block smaller than its header claims faults here; a
// refusal must carry its reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/page_alloc.h"
#include "decode/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Large logical screens are valid but filling them costs more time than
    // one run should take; the code paths are the same as for small ones.
    if (size >= 10) {
        const uint32_t w = data[6] | (data[7] << 8), h = data[8] | (data[9] << 8);
        if (uint64_t{w} * h > (uint64_t{1} << 22)) return 0;
    }
    DecoderState state;
    state.attach(data, size);
    const LoadedImage* image = decodeGif(state);
    if ((image != nullptr) != (state.error == DecodeError::None)) std::abort();
    if (!image) return 0;
    const auto& hdr = image->header;
    if (hdr.biBitCount != 8 || hdr.biWidth < 1 || hdr.biWidth > kMaxImageSide || hdr.biHeight < 1 ||
        hdr.biHeight > kMaxImageSide || !image->bits)
        std::abort();
    const uint32_t bytes = pixelBlockSize(hdr.biWidth, hdr.biHeight, 8);
    unsigned sum = 0;
    for (uint32_t i = 0; i < bytes; ++i) sum += image->bits[i];
    for (const auto& q : image->palette)
        if (q.rgbReserved != 0) std::abort();
    pageFree(image->bits);
    return static_cast<int>(sum & 0);
}
