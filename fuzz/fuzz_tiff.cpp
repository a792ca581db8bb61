// Decodes arbitrary bytes as TIFF and reads back any picture that comes out,
// so that a block smaller than its header claims faults here; a refusal must
// carry its reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/page_alloc.h"
#include "decode/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecoderState state;
    state.attach(data, size);
    const LoadedImage* image = decodeTiff(state);
    if ((image != nullptr) != (state.error == DecodeError::None)) std::abort();
    if (!image) return 0;
    const auto& hdr = image->header;
    if ((hdr.biBitCount != 8 && hdr.biBitCount != 24) || hdr.biWidth < 1 ||
        hdr.biWidth > kMaxImageSide || hdr.biHeight < 1 || hdr.biHeight > kMaxImageSide ||
        !image->bits)
        std::abort();
    const uint32_t bytes = pixelBlockSize(hdr.biWidth, hdr.biHeight, hdr.biBitCount);
    if (bytes == 0) std::abort();
    // A picture may be far larger than its file (rows the strips do not reach
    // stay 0): read all of small ones, the two ends of large ones.
    unsigned sum = image->bits[0] + image->bits[bytes - 1];
    if (bytes <= (1u << 24))
        for (uint32_t i = 0; i < bytes; ++i) sum += image->bits[i];
    if (hdr.biBitCount == 8 && hdr.biWidth > 0)
        for (const auto& q : image->palette)
            if (q.rgbReserved != 0) std::abort();
    pageFree(image->bits);
    return static_cast<int>(sum & 0);
}
