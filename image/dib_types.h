// Device-independent bitmap structures, laid out exactly like the Windows
// ones of the same names so that a LoadedImage can be handed to GDI as it
// stands. The portable core uses these; the Windows side checks the layout
// against <windows.h> (base/dib_types_win.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace dib {

struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

struct RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

// The header of an uncompressed picture stored bottom-up, as the decoders
// fill it: size 40, one plane, every field not given 0.
constexpr BITMAPINFOHEADER bottomUpHeader(int32_t width, int32_t height,
                                          uint16_t bitCount) noexcept {
    return BITMAPINFOHEADER{40, width, height, 1, bitCount, 0, 0, 0, 0, 0, 0};
}

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    uint16_t bfType;
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;
};
#pragma pack(pop)

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(offsetof(BITMAPINFOHEADER, biBitCount) == 14);
static_assert(offsetof(BITMAPINFOHEADER, biClrImportant) == 36);
static_assert(sizeof(RGBQUAD) == 4);
static_assert(sizeof(BITMAPFILEHEADER) == 14);
static_assert(offsetof(BITMAPFILEHEADER, bfOffBits) == 10);

}  // namespace dib
