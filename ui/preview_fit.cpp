#include "ui/preview_fit.h"

#include <cstdint>

PreviewRect fitPreview(int areaWidth, int areaHeight, int pictureWidth,
                       int pictureHeight) noexcept {
    PreviewRect r;
    if (areaWidth <= 0 || areaHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return r;
    if (pictureWidth <= areaWidth && pictureHeight <= areaHeight) {
        r.width = pictureWidth;
        r.height = pictureHeight;
    } else {
        // Ratios in 1/16384ths; the products stay in 64 bits whatever the sizes.
        const int64_t sx = int64_t{areaWidth} * 16384 / pictureWidth;
        const int64_t sy = int64_t{areaHeight} * 16384 / pictureHeight;
        if (sx < sy) {
            r.width = areaWidth;
            r.height = static_cast<int>((sx * pictureHeight) >> 14);
        } else {
            r.height = areaHeight;
            r.width = static_cast<int>((int64_t{pictureWidth} * sy) >> 14);
        }
        if (r.width < 1) r.width = 1;
        if (r.height < 1) r.height = 1;
    }
    r.x = r.width < areaWidth ? (areaWidth - r.width) / 2 : 0;
    r.y = r.height < areaHeight ? (areaHeight - r.height) / 2 : 0;
    return r;
}

PreviewMargins previewMargins(int areaWidth, int areaHeight, const PreviewRect& drawn) noexcept {
    PreviewMargins m;
    const int right = drawn.x + drawn.width;
    const int bottom = drawn.y + drawn.height;
    m.left = {0, 0, drawn.x, areaHeight};
    m.right = {right, 0, areaWidth > right ? areaWidth - right : 0, areaHeight};
    m.top = {drawn.x, 0, drawn.width, drawn.y};
    m.bottom = {drawn.x, bottom, drawn.width, areaHeight > bottom ? areaHeight - bottom : 0};
    return m;
}
