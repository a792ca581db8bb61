// Rewrites a pixel block in another bit count: 1-, 4- and 8-bit palette
// pictures become 24-bit (the composer works in 24 bits only), and 1- and
// 4-bit ones become 8-bit (the BMP reader's expansion). Integer work only;
// the destination block is the caller's.
#pragma once

#include <cstdint>

#include "image/dib_types.h"
#include "image/loaded_image.h"

// One conversion. The caller fills the size and the two depths; layout
// computes the destination's row bytes, stride and block size.
struct DepthJob {
    int32_t width = 0;
    int32_t height = 0;
    int32_t srcBits = 0;
    int32_t dstBits = 0;
    uint32_t dstRowBytes = 0;  // bytes of pixel data in a destination row
    uint32_t dstStride = 0;    // bytes a destination row occupies (multiple of 4)
    uint32_t dstSize = 0;      // dstStride * height
};

// Fills dstRowBytes, dstStride and dstSize from width, height and dstBits.
// False (and all three 0) when the size is out of range or dstBits is not
// 1, 4, 8 or 24.
bool layoutDepthJob(DepthJob& job) noexcept;

// Converts `src` (rows at the source stride, bottom-up) into `dst` (rows at
// job.dstStride). Pairs handled: 1 -> 8, 4 -> 8 (the first 2 or 16 palette
// entries are copied to dstPalette), and 1 -> 24, 4 -> 24, 8 -> 24 (each index
// looked up in srcPalette; dstPalette is not used). False for any other pair
// or a job whose layout was not computed. Padding bytes of destination rows
// are not written.
bool convertDepth(dib::RGBQUAD* dstPalette, uint8_t* dst, const DepthJob& job,
                  const dib::RGBQUAD* srcPalette, const uint8_t* src) noexcept;

// Brings a picture to 24 bits: nothing to do when it already is; otherwise a
// new block is made and filled, and only then the old one is released and
// `bits` and the bit count are updated. False, with the picture untouched,
// for an unsupported bit count or when memory runs out.
[[nodiscard]] bool convertTo24Bits(OwnedImage& image) noexcept;
