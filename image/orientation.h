// Turning a decoded picture upright: the eight orientation values of EXIF
// (and of TIFF's Orientation tag) say how the stored rows relate to the
// picture as it is meant to be seen; the decoders apply them once, so every
// picture record holds its picture upright.
#pragma once

#include <cstdint>

#include "image/loaded_image.h"

// The orientation values, as EXIF and TIFF number them: where the stored
// first row and first column belong on the upright picture.
enum class Orientation : uint8_t {
    Normal = 1,            // top row at the top, first column at the left
    MirrorHorizontal = 2,  // first column at the right
    Rotate180 = 3,         // top row at the bottom, first column at the right
    MirrorVertical = 4,    // top row at the bottom
    Transpose = 5,         // top row at the left, first column at the top
    Rotate90 = 6,          // top row at the right: turned a quarter clockwise to show
    Transverse = 7,        // top row at the right, first column at the bottom
    Rotate270 = 8,         // top row at the left: turned a quarter anticlockwise to show
};

// The orientation a stored value names; Normal for 0 and for anything above
// 8, which a reader is to ignore.
Orientation orientationFromValue(uint32_t value) noexcept;

// True for the four values that exchange width and height (5 to 8).
inline bool swapsSides(Orientation o) noexcept { return static_cast<uint8_t>(o) >= 5; }

// The upright width and height of a picture stored as width x height.
inline void uprightSize(Orientation o, int32_t& width, int32_t& height) noexcept {
    if (swapsSides(o)) {
        const int32_t w = width;
        width = height;
        height = w;
    }
}

// Rewrites the picture's pixels upright into a new page block, then releases
// the old block and updates the header's width and height (a bottom-up
// picture of 1, 4, 8 or 24 bits; the palette is unchanged). Normal costs
// nothing. False, with the picture untouched, for another bit count, a size
// out of range or when memory runs out.
[[nodiscard]] bool applyOrientation(LoadedImage& image, Orientation o) noexcept;
