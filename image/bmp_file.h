// Turns a device-independent bitmap (header, palette, bottom-up pixel block)
// into the bytes of an uncompressed .bmp file: the 14-byte file header, a
// 40-byte info header, the palette (2, 16 or 256 entries for 1-, 4- and 8-bit
// pictures, none for 24-bit) and the pixel block byte for byte, padding
// included. Used for the wallpaper file and by the developer tools.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/dib_types.h"

// Bytes in front of the pixel data (54 for 24-bit, 54 + 4 x palette entries
// otherwise); 0 when the header does not describe a 1-, 4-, 8- or 24-bit
// picture with both sides in 1..25,000.
uint32_t bmpHeaderBytes(const dib::BITMAPINFOHEADER& header) noexcept;

// Size of the whole file, or 0 as above.
uint32_t bmpFileBytes(const dib::BITMAPINFOHEADER& header) noexcept;

// Writes the headers and the palette (bmpHeaderBytes of them) into `out`.
// The info header carries width, height, bit count and the two resolutions
// of `header`; every other field is the uncompressed default (biSizeImage 0,
// biClrUsed 0). `palette` may be null for 24-bit pictures.
bool buildBmpHeaders(const dib::BITMAPINFOHEADER& header, const dib::RGBQUAD* palette, uint8_t* out,
                     size_t outSize) noexcept;

// The whole file in memory: `outSize` must be at least bmpFileBytes.
bool buildBmpFile(const dib::BITMAPINFOHEADER& header, const dib::RGBQUAD* palette,
                  const uint8_t* bits, uint8_t* out, size_t outSize) noexcept;

// Creates (or replaces) the file at `path`: the headers with one write, the
// pixel block straight from `bits` with a second. False when the picture is
// not writable, the file cannot be created or a write falls short.
bool writeBmpFile(const wchar_t* path, const dib::BITMAPINFOHEADER& header,
                  const dib::RGBQUAD* palette, const uint8_t* bits) noexcept;
