// BMP reader on arbitrary bytes: no crash, no leak, no read or write out of
// bounds, a reason for every refusal, and a picture that comes out is one the
// rest of the program can take as it stands.
#include <cstdint>
#include <cstring>

#include "base/page_alloc.h"
#include "decode/decoders.h"
#include "fuzz/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Skip pictures of more than 4 million pixels: the reader accepts up to
    // 25,000 x 25,000 from a few bytes, which only exercises the allocator.
    if (size >= 26) {
        int32_t w, h;
        std::memcpy(&w, data + 18, 4);
        std::memcpy(&h, data + 22, 4);
        if (w > 0 && h > 0 && int64_t{w} * h > (int64_t{1} << 22)) return 0;
    }
    fuzzDecoder(decodeBmpBytes, data, size, [](const LoadedImage& image) {
        const auto& h = image.header;
        return h.biSize == 40 && (h.biBitCount == 8 || h.biBitCount == 24) && h.biCompression == 0;
    });
    return 0;
}
