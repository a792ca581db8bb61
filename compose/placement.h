// Where a picture goes on the screen-sized wallpaper: the rectangles of every
// placement mode, computed without drawing anything. The composer
// (compose_win.cpp) draws with the rectangles these return.
#pragma once

#include <cstdint>

struct PlaceRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const PlaceRect&, const PlaceRect&) = default;
};

// Destination on the screen, source in the picture (y counted from the
// bottom row for bottom-up rows, the way StretchDIBits takes it), and whether
// the margin colour must be filled first because the picture leaves part of
// the screen uncovered.
struct Placement {
    PlaceRect dest;
    PlaceRect src;
    bool fillMargin = false;
};

struct PlaceSize {
    int32_t width = 0, height = 0;
    friend bool operator==(const PlaceSize&, const PlaceSize&) = default;
};

// Small means strictly smaller than the screen in both directions; a
// picture of the screen's size, or larger in one direction only, is large.
constexpr bool isSmallPicture(int32_t iw, int32_t ih, int32_t sw, int32_t sh) noexcept {
    return iw < sw && ih < sh;
}

// Small picture, "等倍": centred 1:1 over the margin.
Placement placeCentred(int32_t sw, int32_t sh, int32_t iw, int32_t ih) noexcept;

// Large picture, "等倍": 1:1, cropped round the centre in a direction where
// it is larger than the screen, centred over the margin where it is not.
Placement placeActualSize(int32_t sw, int32_t sh, int32_t iw, int32_t ih) noexcept;

// The rectangle rule of "拡大" (after the enlargement) and "縮小":
// keepAspect off stretches over the whole screen; with keepAspect,
// fitInside shows the whole picture over the margin, otherwise the screen is
// covered and the picture cropped round its centre.
Placement placeByRule(bool keepAspect, bool fitInside, int32_t sw, int32_t sh, int32_t iw,
                      int32_t ih) noexcept;

// Target size of the "拡大" enlargement, before the rectangle rule.
PlaceSize enlargeTarget(bool keepAspect, bool fitInside, int32_t sw, int32_t sh, int32_t iw,
                        int32_t ih) noexcept;
