// Reading pixels out of a LoadedImage the way a viewer sees them: y = 0 is
// the top row, colours as 0xRRGGBB whatever the bit count.
#pragma once

#include <cstdint>
#include <vector>

#include "base/page_alloc.h"
#include "decode/decoder_state.h"
#include "image/loaded_image.h"
#include "support/decode_error_print.h"

inline const uint8_t* rowFromTop(const LoadedImage& img, int y) {
    const uint32_t stride = rowStride(img.header.biWidth, img.header.biBitCount);
    return img.bits + size_t{stride} * (img.header.biHeight - 1 - y);
}

inline uint32_t paletteIndexAt(const LoadedImage& img, int x, int y) {
    const uint8_t* row = rowFromTop(img, y);
    switch (img.header.biBitCount) {
        case 1:
            return (row[x / 8] >> (7 - x % 8)) & 1;
        case 4:
            return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
        default:
            return row[x];
    }
}

inline uint32_t rgbAt(const LoadedImage& img, int x, int y) {
    if (img.header.biBitCount == 24) {
        const uint8_t* p = rowFromTop(img, y) + 3 * x;
        return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
    const dib::RGBQUAD& c = img.palette[paletteIndexAt(img, x, y)];
    return uint32_t{c.rgbRed} << 16 | uint32_t{c.rgbGreen} << 8 | c.rgbBlue;
}

// A picture decoded from bytes in memory by one decoder entry; its pixel
// block goes with it.
struct DecodedBytes {
    bool ok = false;
    DecodeError error = DecodeError::None;  // why there is no picture
    LoadedImage image{};
    DecodedBytes() = default;
    DecodedBytes(const DecodedBytes&) = delete;
    DecodedBytes& operator=(const DecodedBytes&) = delete;
    ~DecodedBytes() { pageFree(image.bits); }
};

using DecoderEntry = LoadedImage* (*)(DecoderState&) noexcept;

inline void decodeBytes(DecoderEntry entry, const std::vector<uint8_t>& bytes, DecodedBytes& out) {
    DecoderState state;
    state.attach(bytes.data(), bytes.size());
    LoadedImage* img = entry(state);
    out.ok = img != nullptr;
    out.error = state.error;
    if (img) out.image = *img;
}

inline bool decodesBytes(DecoderEntry entry, const std::vector<uint8_t>& bytes) {
    DecodedBytes d;
    decodeBytes(entry, bytes, d);
    return d.ok;
}

// Why the entry refused the bytes: None when it decoded them.
inline DecodeError refusalOf(DecoderEntry entry, const std::vector<uint8_t>& bytes) {
    DecodedBytes d;
    decodeBytes(entry, bytes, d);
    return d.error;
}
