// Pictures with an alpha channel become opaque on the wallpaper: each pixel
// is blended onto white with the PNG decoder's product table, so a WebP or an
// AVIF with alpha gives the bytes a PNG with alpha and no background colour
// would.
#pragma once

#include <cstdint>

// `pixels` blue-green-red-alpha pixels (straight alpha) to blue-green-red.
void flattenBgraOntoWhite(const uint8_t* bgra, uint8_t* bgr, uint32_t pixels) noexcept;
