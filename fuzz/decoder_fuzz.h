// What every decoder fuzzer asserts of one run on arbitrary bytes: a
// picture exactly when no reason for a refusal is given; a picture within
// the side limit, at a bit count the decoder may give, with a block whose
// every byte can be read (the sanitizers see a short block); the block
// released afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/page_alloc.h"
#include "decode/decoders.h"

using FuzzedDecoder = LoadedImage* (*)(DecoderState&) noexcept;

// `accept` adds the decoder's own conditions on the picture (its bit
// counts, its header); a false answer is a finding.
template <typename Accept>
void fuzzDecoder(FuzzedDecoder decode, const uint8_t* data, size_t size, Accept accept) {
    DecoderState state;
    state.attach(data, size);
    LoadedImage* image = decode(state);
    if ((image != nullptr) != (state.error == DecodeError::None)) std::abort();
    if (!image) return;
    const PageBlock block = PageBlock::adopt(image->bits);
    const auto& h = image->header;
    if (!image->bits || h.biWidth < 1 || h.biWidth > kMaxImageSide || h.biHeight < 1 ||
        h.biHeight > kMaxImageSide || !accept(*image))
        std::abort();
    const size_t bytes = pixelBlockSize(h.biWidth, h.biHeight, h.biBitCount);
    if (bytes == 0) std::abort();
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += image->bits[i];
    volatile unsigned sink = sum;
    (void)sink;
}
