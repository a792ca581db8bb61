#include "decode/flatten.h"

#include "decode/png_rows.h"

void flattenBgraOntoWhite(const uint8_t* bgra, uint8_t* bgr, uint32_t pixels) noexcept {
    // As the PNG rows blend: T[a][c] plus the background's share T[255 - a][255],
    // which for white is 255 - a.
    const uint8_t* product = png::productTable();
    for (uint32_t n = pixels; n != 0; --n, bgra += 4, bgr += 3) {
        const uint8_t a = bgra[3];
        const uint8_t* t = product + (a << 8);
        const uint8_t back = static_cast<uint8_t>(255 - a);
        bgr[0] = static_cast<uint8_t>(t[bgra[0]] + back);
        bgr[1] = static_cast<uint8_t>(t[bgra[1]] + back);
        bgr[2] = static_cast<uint8_t>(t[bgra[2]] + back);
    }
}
