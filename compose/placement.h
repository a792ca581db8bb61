// Where a picture goes on the screen-sized wallpaper: the rectangles of every
// placement mode, computed without drawing anything. The composer
// (compose_win.cpp) draws with the rectangles these return.
#pragma once

#include <cstdint>

// How a picture smaller than the screen is shown: the StyleS setting, whose
// values are also the order of the small-picture combo box's items. The file
// is read without a range check, so any other value can arrive; it makes the
// composition of a small picture fail.
enum class SmallPlacement : int32_t {
    ActualSize = 0,  // "等倍": centred 1:1 over the margin
    Enlarge = 1,     // "拡大": enlarged by the scaler, then the rectangle rule
    Tile = 2,        // "並列": tiled from the top-left corner
};

// How every other picture is shown: the StyleB flag.
enum class LargePlacement : uint8_t {
    ActualSize = 0,  // "等倍": 1:1, cropped round the centre where it is larger
    Shrink = 1,      // "縮小": the rectangle rule, scaled by GDI
};

constexpr SmallPlacement smallPlacement(int32_t styleS) noexcept {
    return static_cast<SmallPlacement>(styleS);
}
constexpr LargePlacement largePlacement(uint8_t styleB) noexcept {
    return (styleB & 1) ? LargePlacement::Shrink : LargePlacement::ActualSize;
}

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
