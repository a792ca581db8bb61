// A decoded picture as a device-independent bitmap: 40-byte header, 256-entry
// palette right behind it (together a BITMAPINFO with 256 colours), and a
// pointer to a page-allocated block of bottom-up rows, each padded to 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/dib_types.h"

struct LoadedImage {
    dib::BITMAPINFOHEADER header;
    dib::RGBQUAD palette[256];
    uint8_t* bits;
};
static_assert(offsetof(LoadedImage, palette) == 40);
static_assert(offsetof(LoadedImage, bits) == 1064);

// The one process-wide slot for the picture being worked on.
extern LoadedImage CurrentImage;

// Bytes in one row of `width` pixels at `bitCount` bits, padded to a multiple
// of 4. 0 for an unsupported bit count or a width that does not fit.
uint32_t rowStride(int32_t width, int bitCount) noexcept;

// stride * height, or 0 when it would not fit in 32 bits (or either is 0).
uint32_t pixelBlockSize(int32_t width, int32_t height, int bitCount) noexcept;

// Hands a decoded picture over into CurrentImage: copies the header, the
// palette unless the picture is 24-bit, and takes over `bits`.
void handOverToCurrent(const LoadedImage& image) noexcept;

// No picture side above this is accepted by a decoder or by the scaler.
inline constexpr int32_t kMaxImageSide = 25000;
