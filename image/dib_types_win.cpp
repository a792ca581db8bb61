// The portable DIB types must be the Windows ones byte for byte: a
// LoadedImage's header and palette go to GDI as a BITMAPINFO as they stand.
#include <windows.h>

#include <cstddef>

#include "image/dib_types.h"
#include "image/loaded_image.h"

static_assert(sizeof(dib::BITMAPINFOHEADER) == sizeof(::BITMAPINFOHEADER));
static_assert(offsetof(dib::BITMAPINFOHEADER, biWidth) == offsetof(::BITMAPINFOHEADER, biWidth));
static_assert(offsetof(dib::BITMAPINFOHEADER, biHeight) == offsetof(::BITMAPINFOHEADER, biHeight));
static_assert(offsetof(dib::BITMAPINFOHEADER, biBitCount) ==
              offsetof(::BITMAPINFOHEADER, biBitCount));
static_assert(offsetof(dib::BITMAPINFOHEADER, biCompression) ==
              offsetof(::BITMAPINFOHEADER, biCompression));
static_assert(offsetof(dib::BITMAPINFOHEADER, biXPelsPerMeter) ==
              offsetof(::BITMAPINFOHEADER, biXPelsPerMeter));
static_assert(offsetof(dib::BITMAPINFOHEADER, biClrUsed) ==
              offsetof(::BITMAPINFOHEADER, biClrUsed));
static_assert(offsetof(dib::BITMAPINFOHEADER, biClrImportant) ==
              offsetof(::BITMAPINFOHEADER, biClrImportant));
static_assert(sizeof(dib::RGBQUAD) == sizeof(::RGBQUAD));
static_assert(offsetof(dib::RGBQUAD, rgbRed) == offsetof(::RGBQUAD, rgbRed));
static_assert(sizeof(dib::BITMAPFILEHEADER) == sizeof(::BITMAPFILEHEADER));
static_assert(offsetof(dib::BITMAPFILEHEADER, bfOffBits) ==
              offsetof(::BITMAPFILEHEADER, bfOffBits));
// Header and palette of a LoadedImage are a BITMAPINFO with 256 colours.
static_assert(offsetof(LoadedImage, palette) == offsetof(::BITMAPINFO, bmiColors));
static_assert(offsetof(LoadedImage, bits) == sizeof(::BITMAPINFOHEADER) + 256 * sizeof(::RGBQUAD));
