// BMP reader on arbitrary bytes: no crash, no leak, no read or write out of
// bounds, a reason for every refusal, and a picture that comes out is one the
// rest of the program can take as it stands.
#include <cstdint>
#include <cstring>

#include "base/page_alloc.h"
#include "decode/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Skip pictures of more than 4 million pixels: the reader accepts up to
    // 25,000 x 25,000 from a few bytes, which only exercises the allocator.
    if (size >= 26) {
        int32_t w, h;
        std::memcpy(&w, data + 18, 4);
        std::memcpy(&h, data + 22, 4);
        if (w > 0 && h > 0 && int64_t{w} * h > (int64_t{1} << 22)) return 0;
    }
    DecoderState state;
    state.attach(data, size);
    LoadedImage* image = decodeBmpBytes(state);
    if ((image != nullptr) != (state.error == DecodeError::None)) __builtin_trap();
    if (!image) return 0;
    const auto& hd = image->header;
    const uint32_t bytes = pixelBlockSize(hd.biWidth, hd.biHeight, hd.biBitCount);
    if (hd.biSize != 40 || (hd.biBitCount != 8 && hd.biBitCount != 24) || hd.biCompression != 0 ||
        bytes == 0 || !image->bits)
        __builtin_trap();
    unsigned sum = 0;
    for (uint32_t i = 0; i < bytes; ++i) sum += image->bits[i];
    volatile unsigned sink = sum;
    (void)sink;
    pageFree(image->bits);
    return 0;
}
