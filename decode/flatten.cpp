#include "decode/flatten.h"

void flattenBgraOntoWhite(const uint8_t* bgra, uint8_t* bgr, uint32_t pixels) noexcept {
    // The PNG rows blend with the product table T[a][c] and add the
    // background's share T[255 - a][255], which for white is 255 - a. Every
    // entry of that table is (a * c * 257 + 32768) >> 16, which the tests
    // check entry by entry; the arithmetic form needs no lookups.
    for (uint32_t n = pixels; n != 0; --n, bgra += 4, bgr += 3) {
        const uint32_t a = bgra[3], back = 255 - a, scale = a * 257;
        bgr[0] = static_cast<uint8_t>(((bgra[0] * scale + 32768) >> 16) + back);
        bgr[1] = static_cast<uint8_t>(((bgra[1] * scale + 32768) >> 16) + back);
        bgr[2] = static_cast<uint8_t>(((bgra[2] * scale + 32768) >> 16) + back);
    }
}
